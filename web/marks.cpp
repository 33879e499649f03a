// marks.cpp: the two marks as SVG, pixel by pixel on whole coordinates so that
// they stay sharp at any device pixel ratio.
#include "web/marks.h"

#include <cassert>

namespace web {

namespace {

std::string svg(int size, const std::string &body)
{
    const std::string side = std::to_string(size);
    return "data:image/svg+xml,<svg xmlns='http://www.w3.org/2000/svg' width='" + side + "' height='" + side
        + "' viewBox='0 0 " + side + " " + side + "' shape-rendering='crispEdges'>" + body + "</svg>";
}

// A ring `inset` pixels in from the edge, one pixel wide.
std::string ring(int size, int inset, const char *colour)
{
    const int outer = size - 2 * inset, inner = outer - 2;
    const std::string a = std::to_string(inset), b = std::to_string(inset + 1);
    return "<path fill-rule='evenodd' fill='" + std::string(colour) + "' d='M" + a + " " + a + "h"
        + std::to_string(outer) + "v" + std::to_string(outer) + "h-" + std::to_string(outer) + "z M" + b + " " + b
        + "h" + std::to_string(inner) + "v" + std::to_string(inner) + "h-" + std::to_string(inner) + "z'/>";
}

} // namespace

int RingIndex(int x, int y, int size)
{
    assert(size >= 2 && x >= 0 && y >= 0 && x < size && y < size);
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

std::string PickBorderImage(int size)
{
    std::string dashes;
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const int index = RingIndex(x, y, size);
            if (index >= 0 && index % 6 < 3)
                dashes += "M" + std::to_string(x) + " " + std::to_string(y) + "h1v1h-1z";
        }
    }
    return svg(size, ring(size, 0, "black") + "<path fill='white' d='" + dashes + "'/>");
}

std::string CursorMarkImage(int size)
{
    assert(size > 8);
    return svg(size, ring(size, 1, "black") + ring(size, 2, "rgb(255,214,0)") + ring(size, 3, "black"));
}

} // namespace web
