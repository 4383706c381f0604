#pragma once

#include <QSize>
#include <span>
#include <utility>
#include <vector>

#include "TwipScale.h"

class QWidget;

namespace cvx {

// A window laid out as a table of controls in twips, as frmMain and frmApply are.
namespace controls {

enum class Kind { Frame, TextField, Button, CheckBox, Label };

struct Row {
    Kind kind;
    const char* name;       // the object name
    const char* container;  // nullptr: the window itself
    const char* caption;    // a text field's initial text
    TwipRect twips;         // from the container's top-left corner; a frame's caption in its border
    int tabIndex;
};

using Created = std::vector<std::pair<QWidget*, const Row*>>;

// The fixed single border of the program's windows: they can be minimised, not maximised or
// resized.
inline constexpr Qt::WindowFlags kFixedSingleBorder =
    Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
    Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint;

// Creates the controls of `rows` on `window`, each in its container (a frame comes before what it
// holds), named and captioned by its row, and returns them with their rows. A button takes
// Return, as Space.
Created create(QWidget& window, std::span<const Row> rows);

// Lowers `scale` as far as every created control's caption needs to show whole.
void fit(const Created& created, TwipScale& scale);

// Places the controls at `scale`, fixes the window's size to `client` twips, orders the keyboard
// by tab index over the controls that take focus and puts the focus on the first enabled one.
void place(QWidget& window, Created created, const TwipScale& scale, QSize client);

}  // namespace controls
}  // namespace cvx
