#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

// Lengths in the layout tables are twips. One logical pixel is 15 twips; Qt scales logical pixels to the
// screen's density.
inline constexpr int kTwipsPerPixel = 15;

constexpr int twipsToPixels(int twips)
{
    return (twips >= 0 ? twips + kTwipsPerPixel / 2 : twips - kTwipsPerPixel / 2) / kTwipsPerPixel;
}

constexpr int pixelsToTwips(int pixels)
{
    return pixels * kTwipsPerPixel;
}

inline QRect twipsRect(int left, int top, int width, int height)
{
    return {twipsToPixels(left), twipsToPixels(top), twipsToPixels(width), twipsToPixels(height)};
}

// The same, for a layout drawn larger than designed by SCALE (at least 1), as a large desktop font needs.
inline int twipsToPixels(int twips, double scale)
{
    return scale == 1.0 ? twipsToPixels(twips) : static_cast<int>(twips * scale / kTwipsPerPixel + 0.5);
}

inline QRect twipsRect(int left, int top, int width, int height, double scale)
{
    return {twipsToPixels(left, scale), twipsToPixels(top, scale), twipsToPixels(width, scale),
            twipsToPixels(height, scale)};
}
