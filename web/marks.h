// marks.h: the pick border and the keyboard cursor's mark as the page draws them:
// SVG images over a slot, in the slot's own pixels, as board/marks.h describes them.
#pragma once

#include <string>

namespace web {

// The pick border: the outermost pixel ring, black under white dashes that walk it
// clockwise from the top-left pixel. size >= 2; a data URL of a size x size SVG image.
std::string PickBorderImage(int size);

// The cursor's mark: its rings, one design pixel to the unit.
std::string CursorMarkImage(int size);

} // namespace web
