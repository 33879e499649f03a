// texts.h: every text the program shows, in UTF-8, exactly as the player reads it.
#pragma once

#include <string>
#include <string_view>

namespace model::texts {

// The message box's starting text: twelve lines, each ending in CR LF.
extern const std::string_view HelpText;

// The message box after a swap that assembles the picture (no line break).
extern const std::string_view Solved;

// The line a swap appends: "Разменям: " + second tile + " и " + first tile + CR LF.
std::string SwapLine(std::string_view secondTile, std::string_view firstTile);

extern const std::string_view WindowTitle;    // the maker's host name, a blank, then the fixed part
extern const std::string_view BoardTitle;     // the title label above the board
extern const std::string_view Commands[4];    // button captions by command index

// For screen readers: a slot box ("Поле 7: част 13"), the board and the message box.
std::string SlotName(int slot, std::string_view tileText);
extern const std::string_view BoardName;
extern const std::string_view MessageBoxName;

} // namespace model::texts
