#include "TwipScale.h"

#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <algorithm>

namespace cvx {

TwipScale::TwipScale(int twipsPerPixel) : m_twipsPerPixel(std::max(twipsPerPixel, 1)) {}

int TwipScale::toPixels(int twips) const {
    // Rounds half up; layouts hold no negative positions.
    return (2 * twips + m_twipsPerPixel) / (2 * m_twipsPerPixel);
}

QSize TwipScale::toPixels(int widthTwips, int heightTwips) const {
    return {toPixels(widthTwips), toPixels(heightTwips)};
}

QRect TwipScale::toPixels(const TwipRect& rect) const {
    const int left = toPixels(rect.left);
    const int top = toPixels(rect.top);
    return {left, top, toPixels(rect.left + rect.width) - left,
            toPixels(rect.top + rect.height) - top};
}

void TwipScale::fit(QSize pixels, QSize twips) {
    // Largest whole t with twips / t >= pixels + 1.
    auto largestFitting = [](int available, int needed) {
        return needed > 0 ? available / (needed + 1) : available;
    };
    m_twipsPerPixel =
        std::clamp(std::min({m_twipsPerPixel, largestFitting(twips.width(), pixels.width()),
                             largestFitting(twips.height(), pixels.height())}),
                   1, m_twipsPerPixel);
}

QSize TwipScale::contentSize(const QWidget& widget) {
    if (const auto* button = qobject_cast<const QPushButton*>(&widget)) {
        const QStyle* style = button->style();
        const QSize text = button->fontMetrics().size(Qt::TextShowMnemonic, button->text());
        const int chrome = style->pixelMetric(QStyle::PM_ButtonMargin, nullptr, button) +
                           2 * style->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, button);
        return text + QSize(chrome, chrome);
    }
    if (const auto* frame = qobject_cast<const QGroupBox*>(&widget)) {
        // A frame's own height is given by its contents; only its caption has to fit across.
        return {frame->minimumSizeHint().width(), 0};
    }
    if (const auto* field = qobject_cast<const QLineEdit*>(&widget)) {
        // The style's minimum holds one character; the initial text has to show whole.
        return field->minimumSizeHint() +
               QSize(field->fontMetrics().horizontalAdvance(field->text()), 0);
    }
    // Check boxes and labels: what the style asks for their caption.
    return widget.minimumSizeHint().expandedTo(QSize(0, 0));
}

}  // namespace cvx
