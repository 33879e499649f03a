// layout.h: the game window as designed: its size, colours and font, and the place
// of every control in twips. Both faces build their window from it.
#pragma once

#include "forms/numbers.h"
#include "board/geometry.h"

#include <cstdint>
#include <string_view>

namespace window::layout {

using board::Picture1;
using forms::TwipRect;

using Rgb = std::uint32_t;   // 0xRRGGBB

constexpr TwipRect ClientArea{0, 0, 6990, 6360};   // 466 x 424 pixels, fixed
constexpr Rgb WindowColour = 0xC0C0FF;            // light lavender blue
constexpr std::string_view FontFamily = "Times New Roman";
constexpr int FontPoints = 12;

constexpr TwipRect Text1{120, 4440, 6735, 1815};   // the message box
constexpr TwipRect Label1{480, 0, 5415, 375};      // the title line, centred
constexpr Rgb Label1Colour = 0xFFC080;             // light orange
constexpr TwipRect Board = Picture1;               // the 30 slots

// The four command buttons by index, each drawn in its own face colour.
struct CommandDesign
{
    TwipRect place;
    Rgb face;
};
constexpr CommandDesign Command1[4] = {
    {{5640, 600, 1215, 375}, 0xFF8080},
    {{5640, 1080, 1215, 375}, 0x80FF80},
    {{5640, 3000, 1215, 375}, 0x8080FF},
    {{5640, 3600, 1215, 375}, 0xFF00FF},
};

// The largest zoom, 2, 1.5 or else 1, at which the window and its frame fit a screen
// area of width x height logical pixels; the frame is taken as FrameAcross and
// FrameDown pixels, a title bar and borders of the usual size.
constexpr int FrameAcross = 16, FrameDown = 48;
constexpr double ProjectorZoom(int width, int height)
{
    for (const double zoom : {2.0, 1.5}) {
        if (ClientArea.Width / forms::TwipsPerPixel * zoom + FrameAcross <= width
            && ClientArea.Height / forms::TwipsPerPixel * zoom + FrameDown <= height)
            return zoom;
    }
    return 1.0;
}

// The page's scale: the largest of these at which the whole window fits a viewport;
// whole and half factors keep every 50-pixel piece a whole number of CSS pixels.
constexpr double PageScales[] = {4, 3.5, 3, 2.5, 2, 1.5, 1};

// The factor the page shows the window at in a viewport of width x height CSS pixels:
// the largest of PageScales that fits, or below 1 (a phone) the one that fits exactly.
constexpr double PageScale(double width, double height)
{
    const double across = ClientArea.Width / forms::TwipsPerPixel, down = ClientArea.Height / forms::TwipsPerPixel;
    for (const double scale : PageScales) {
        if (across * scale <= width && down * scale <= height)
            return scale;
    }
    const double fit = width / across < height / down ? width / across : height / down;
    return fit > 0 ? fit : 0;
}

} // namespace window::layout
