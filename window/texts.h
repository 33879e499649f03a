// texts.h: every text the program shows, in UTF-8, exactly as the player reads it.
#pragma once

#include "picture/picture.h"

#include <string>
#include <string_view>

namespace window::texts {

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

// A picture of the player's own: the board's menu, the file dialog and why a file
// gave no picture, in the line CannotOpen makes of a file name and a reason.
extern const std::string_view OpenPicture;
extern const std::string_view OpenPictureTitle;
extern const std::string_view BuiltInPicture;
extern const std::string_view ShowWholePicture;   // the glance, in the board's menu
extern const std::string_view WholePicture;       // the board's name for readers while it shows
extern const std::string_view PictureFilter;
extern const std::string_view CannotOpenTitle;
extern const std::string_view Understood;                // the message box's button
extern const std::string_view DialogLabels[5];           // look in, file name, file type, open, cancel
std::string CannotOpen(std::string_view fileName, std::string_view reason);   // the name as ShownName gives it
// A file's name as a message shows it, on one line and no longer than ShownNameLength
// code points: bytes that are no UTF-8 become U+FFFD; a control character shows as its
// control picture (U+000A as "␊", DEL as "␡") or, from C1, as "⟨U+0085⟩"; a character
// that sets the direction of text, or breaks a line (U+2028, U+2029), shows as
// "⟨U+202E⟩"; a longer name loses its middle to "…", its start and its end (the
// extension) kept; all of it in U+2068 … U+2069, so it turns no text around it.
std::string ShownName(std::string_view fileName);
inline constexpr int ShownNameLength = 60;   // not counting the two isolating characters
extern const std::string_view OnePictureAtATime;   // the page, when more than one file is dropped
std::string_view Reason(picture::PictureError error);   // error != None

} // namespace window::texts

// A lesson: the board's menu, the save dialog, why a save failed, why a file is no
// lesson, and the note for a text that was cut.
namespace lesson {
enum class LessonError;
}

namespace window::texts {

extern const std::string_view SaveLesson;        // the board's menu
extern const std::string_view SaveLessonTitle;   // the save dialog's title
extern const std::string_view LessonFilter;      // the save dialog's filter, with its pattern
extern const std::string_view CannotSaveTitle;
extern const std::string_view NoWritePermission;   // reasons a save failed
extern const std::string_view DiskFull;
extern const std::string_view WriteFailed;
std::string CannotSave(std::string_view fileName, std::string_view reason);   // the name as ShownName gives it
extern const std::string_view LessonTextCut;     // shown after a text cut at 4,000 characters
std::string_view LessonReason(lesson::LessonError error);   // error != None

} // namespace window::texts

// The cycles of the arrangement, shown from the board's menu: its item, the status line
// ("Цикли: 12 · Най-малко размени до подредената картина: 18"), which is also the board's
// name for readers while they show, and a slot's name meanwhile: its outlined cycle
// from 1 ("Поле 7: част 13, цикъл 2"), or 0 for a piece in its place.
namespace window::texts {

extern const std::string_view ShowCycles;
std::string CyclesLine(int cycles, int swaps);
std::string CycleSlotName(int slot, std::string_view tileText, int cycle);

} // namespace window::texts
