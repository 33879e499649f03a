// marks.h: the pick border and the keyboard cursor's mark, drawn over a slot as
// images of their own, in the slot's own pixels.
#pragma once

#include <string>

namespace web {

// The pick border is one line on the slot's outermost pixel ring, black with
// white dashes: walking the ring clockwise from the top-left pixel, three white
// pixels, three black, and so on, as the desktop's dash pattern {3, 3} runs.
// size >= 2; the result is a data URL of an SVG image size x size pixels.
std::string PickBorderImage(int size);

// The cursor's mark: the rings 1 and 3 pixels in from the edge black, ring 2
// yellow (255, 214, 0); ring 0 stays for the pick border, the inside for the piece.
std::string CursorMarkImage(int size);

// The position of ring pixel (x, y) along the walk, 0 at the top-left corner;
// -1 for a pixel off the outermost ring.
int RingIndex(int x, int y, int size);

} // namespace web
