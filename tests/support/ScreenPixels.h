#pragma once

#include <QColor>
#include <QImage>
#include <QRect>

// What the desktop tests read off a screenshot.
namespace ScreenPixels {

// The views' own background, which fills the panel's edges.
inline constexpr QRgb panelBackground = qRgb(13, 13, 16);

// The bounding box of the pixels of `colour`; empty when there are fewer than `atLeast`.
QRect boundsOf(const QImage& image, QRgb colour, int atLeast = 2000);
// The rectangle of the pixels that differ between two pictures of the same screen inside `area`.
QRect changedWithin(const QImage& before, const QImage& after, const QRect& area);
// The contrast ratio of two colours as WCAG defines it, from 1 (the same) to 21 (black and white).
double contrast(QColor a, QColor b);
// The highest contrast a pixel of `area` in `picture` has against `background`.
double bestContrast(const QImage& picture, const QRect& area, QColor background);

} // namespace ScreenPixels
