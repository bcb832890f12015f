#include "support/ScreenPixels.h"

#include <algorithm>
#include <cmath>

namespace ScreenPixels {
namespace {

double luminance(QColor colour)
{
    const auto channel = [](double c) {
        return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(colour.redF()) + 0.7152 * channel(colour.greenF()) +
           0.0722 * channel(colour.blueF());
}

} // namespace

QRect boundsOf(const QImage& image, QRgb colour, int atLeast)
{
    int left = image.width(), top = image.height(), right = -1, bottom = -1, count = 0;
    for (int y = 0; y < image.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            if ((line[x] & 0xffffff) != (colour & 0xffffff))
                continue;
            ++count;
            left = std::min(left, x);
            right = std::max(right, x);
            top = std::min(top, y);
            bottom = std::max(bottom, y);
        }
    }
    return count >= atLeast ? QRect(QPoint(left, top), QPoint(right, bottom)) : QRect();
}

QRect changedWithin(const QImage& before, const QImage& after, const QRect& area)
{
    QRect changed;
    if (before.size() != after.size())
        return changed;
    const QRect inside = area & before.rect();
    for (int y = inside.top(); y <= inside.bottom(); ++y)
        for (int x = inside.left(); x <= inside.right(); ++x)
            if (before.pixel(x, y) != after.pixel(x, y))
                changed |= QRect(x, y, 1, 1);
    return changed;
}

double contrast(QColor a, QColor b)
{
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

double bestContrast(const QImage& picture, const QRect& area, QColor background)
{
    double best = 1;
    const QRect inside = area & picture.rect();
    for (int y = inside.top(); y <= inside.bottom(); ++y)
        for (int x = inside.left(); x <= inside.right(); ++x)
            best = std::max(best, contrast(picture.pixelColor(x, y), background));
    return best;
}

} // namespace ScreenPixels
