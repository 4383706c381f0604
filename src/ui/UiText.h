#pragma once

#include <QString>
#include <string>

class QLabel;

namespace cvx {

// Texts of the operations and the windows on their way to the screen.
class UiText {
public:
    // Returns the UTF-8 text `text` with each CR LF turned into the line break that Qt draws. Where
    // the installer put "Cindervaxel command line" into the Start menu, advice to run
    // cindervaxel-cli says to open it first: the tool is on no PATH there.
    static QString display(const std::string& text);

    // As display(), with or without that entry in the Start menu.
    static QString display(const std::string& text, bool commandLineInStartMenu);

    // Says in `line`, the line at a window's foot, what a run wrote (`written`; empty: "Nothing was
    // written."): the whole line in its tip, as much as fits in the line with its middle left out.
    static void showOutcome(QLabel& line, const QString& written);
};

}  // namespace cvx
