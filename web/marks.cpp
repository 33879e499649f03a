// marks.cpp: the two marks as SVG, pixel by pixel on whole coordinates so that they
// stay sharp at any device pixel ratio.
#include "web/marks.h"

#include "board/marks.h"

#include <cassert>

namespace web {

namespace {

std::string svg(int size, const std::string &body)
{
    const std::string side = std::to_string(size);
    return "data:image/svg+xml,<svg xmlns='http://www.w3.org/2000/svg' width='" + side + "' height='" + side
        + "' viewBox='0 0 " + side + " " + side + "' shape-rendering='crispEdges'>" + body + "</svg>";
}

std::string colour(board::Rgb rgb)
{
    return "rgb(" + std::to_string(rgb >> 16 & 0xFF) + "," + std::to_string(rgb >> 8 & 0xFF) + "," + std::to_string(rgb & 0xFF) + ")";
}

// A ring `inset` pixels in from the edge, `width` pixels wide.
std::string ring(int size, int inset, int width, board::Rgb rgb)
{
    const int outer = size - 2 * inset, inner = outer - 2 * width;
    const std::string a = std::to_string(inset), b = std::to_string(inset + width);
    return "<path fill-rule='evenodd' fill='" + colour(rgb) + "' d='M" + a + " " + a + "h" + std::to_string(outer) + "v"
        + std::to_string(outer) + "h-" + std::to_string(outer) + "z M" + b + " " + b + "h" + std::to_string(inner) + "v"
        + std::to_string(inner) + "h-" + std::to_string(inner) + "z'/>";
}

// The position of ring pixel (x, y) along the clockwise walk, 0 at the top-left corner;
// -1 for a pixel off the outermost ring.
int ringIndex(int x, int y, int size)
{
    const int last = size - 1;
    if (y == 0)
        return x;                          // the top, left to right
    if (x == last)
        return last + y;                   // the right side, downwards
    if (y == last)
        return 2 * last + (last - x);      // the bottom, right to left
    if (x == 0)
        return 3 * last + (last - y);      // the left side, upwards
    return -1;
}

} // namespace

std::string PickBorderImage(int size)
{
    assert(size >= 2);
    std::string dashes;
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const int index = ringIndex(x, y, size);
            if (index >= 0 && index % (2 * board::DashLength) < board::DashLength)
                dashes += "M" + std::to_string(x) + " " + std::to_string(y) + "h1v1h-1z";
        }
    }
    return svg(size, ring(size, 0, 1, board::BorderColour) + "<path fill='" + colour(board::DashColour) + "' d='" + dashes + "'/>");
}

std::string CursorMarkImage(int size)
{
    std::string rings;
    for (const board::Ring &r : board::MarkRings) {
        assert(2 * (r.inset + r.width) < size);
        rings += ring(size, r.inset, r.width, r.colour);
    }
    return svg(size, rings);
}

} // namespace web
