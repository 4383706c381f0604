#pragma once

#include <QString>
#include <string>

namespace cvx {

// Texts of the operations and the windows on their way to the screen.
class UiText {
public:
    // Returns the UTF-8 text `text` with each CR LF turned into the line break that Qt draws.
    static QString display(const std::string& text);
};

}  // namespace cvx
