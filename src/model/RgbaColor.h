#pragma once

// A colour as the model states it, in sRGB components from 0 to 1. The model stays free of the GUI
// library; the views turn it into their own colour type.
struct RgbaColor
{
    float red = 0;
    float green = 0;
    float blue = 0;
    float alpha = 1;

    friend constexpr bool operator==(const RgbaColor&, const RgbaColor&) = default;
};
