#pragma once

#include <QRect>
#include <QSize>

class QWidget;

namespace cvx {

// A position and size in twips (1440 to the inch), measured from the top-left corner of the
// container.
struct TwipRect {
    int left;
    int top;
    int width;
    int height;
};

// Turns the window layouts, kept in twips, into pixels with one whole number of twips per pixel
// for every control of the program, so that the relative layout stays exactly as designed.
//
// The classic 15 twips per pixel suits fonts of about 8 points; the default fonts of today are
// wider, and their captions would be clipped. The scale therefore starts at 15 and is lowered
// (the controls made larger) until every caption that has been fitted shows whole.
class TwipScale {
public:
    static constexpr int kStandardTwipsPerPixel = 15;

    TwipScale() = default;
    explicit TwipScale(int twipsPerPixel);

    int twipsPerPixel() const { return m_twipsPerPixel; }

    // Returns `twips` in pixels, rounded to the nearest pixel.
    int toPixels(int twips) const;
    QSize toPixels(int widthTwips, int heightTwips) const;
    // Rounds the edges rather than the size, so controls whose edges line up in twips line up in
    // pixels too.
    QRect toPixels(const TwipRect& rect) const;

    // Lowers the twips per pixel as far as needed for `pixels` to fit into a box of `twips`,
    // with a pixel to spare for the rounding of the box's edges. Never raises it.
    void fit(QSize pixels, QSize twips);

    // Fits what `widget`'s caption or text needs at its own font and style into `twips`.
    void fit(const QWidget& widget, QSize twips) { fit(contentSize(widget), twips); }

    // Returns the size `widget` needs to show its caption or text whole. Push buttons are
    // measured by their caption and frame only: the style's minimum width for buttons is a
    // preference that the layout does not have to follow.
    static QSize contentSize(const QWidget& widget);

private:
    int m_twipsPerPixel = kStandardTwipsPerPixel;
};

}  // namespace cvx
