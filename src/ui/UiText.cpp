#include "UiText.h"

namespace cvx {

QString UiText::display(const std::string& text) {
    return QString::fromStdString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

}  // namespace cvx
