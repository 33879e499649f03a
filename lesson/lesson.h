// lesson.h: a lesson in one file: the game's page, its lesson block filled with the
// painting, the teacher's text and the start to play from.
#pragma once

#include "model/history.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace lesson {

// The page's one lesson block. Empty in the bare page; in a lesson it holds one JSON
// object on one line, these keys in this order:
//   {"kalvero":1,"text":"…","start":[30 tiles]|null,"picture":"<base64>"}
// The text has "<", ">", "&", U+2028 and U+2029 escaped, so nothing in it ends the block.
inline constexpr std::string_view SlotOpening = R"(<script type="application/json" id="kalveroLesson">)";
inline constexpr std::string_view SlotClosing = "</script>";

constexpr std::int64_t MaxLessonFileBytes = std::int64_t(16) << 20;
constexpr int MaxTextLength = 4000;                   // code points; a longer text is cut there
constexpr int PictureWidth = 600, PictureHeight = 500;   // the painting, at twice the board's size
// The most a lesson's picture takes, as both faces save it (a JPEG of less quality when
// it needs), so that a lesson page, the page's own and the picture in base64, stays
// under 400 KB.
constexpr std::int64_t MaxPictureBytes = std::int64_t(80) << 10;

struct Lesson
{
    std::string picture;   // the picture file's bytes, judged by the picture reader alone
    std::string text;      // UTF-8, shown as plain text
    bool textCut = false;  // the text was longer than MaxTextLength and was cut there
    std::optional<model::Arrangement> start;   // a permutation; none: the assembled board
};

// Why a file is no lesson the game can open. The game the player had stays as it was.
enum class LessonError {
    None,
    NotALesson,   // a web page without a filled lesson block
    TwoLessons,   // more than one lesson block
    Malformed,    // the block is no lesson: its JSON, its keys, the base64 or the UTF-8
    BadStart,     // the start is not a permutation of the 30 pieces
    TooLarge,     // a lesson over MaxLessonFileBytes
};
constexpr int LessonErrorCount = int(LessonError::TooLarge) + 1;   // TooLarge is the last

// Whether a file's first bytes (at most SniffBytes of them: both faces ask alike) look
// like a web page: "<!DOCTYPE html" or "<html", in any case, after an optional UTF-8
// byte order mark and white space.
constexpr std::size_t SniffBytes = 1024;
bool LooksLikeWebPage(std::string_view firstBytes);

// The name a lesson is offered under: its painting's file name with ".html" in place of
// its extension, or "урок.html" for the built-in picture (no name).
std::string SuggestedName(std::string_view pictureFileName);

// Whether `page` has exactly one lesson block, empty or filled, and closed: the only pages
// WriteLesson takes.
bool HasOneSlot(std::string_view page);

// The block's one line for `lesson`: what WriteLesson puts in the page's block.
std::string LessonJson(const Lesson &lesson);

// `page` with its lesson block holding `lesson`. HasOneSlot(page). Text that is no
// valid UTF-8 is written with U+FFFD in place of the bad bytes.
std::string WriteLesson(std::string_view page, const Lesson &lesson);

// The lesson in a file's bytes, into `out` when None; `out` is left as it was otherwise.
// A text longer than MaxTextLength is cut there, with textCut set. The reading is
// linear in the file's size, with no recursion however the input nests.
LessonError ReadLesson(std::string_view file, Lesson &out);

// The same for a block's content alone, as the page finds its own block: None,
// NotALesson (a blank block: the bare page), Malformed, BadStart or TooLarge (a
// block over MaxLessonFileBytes).
LessonError ReadLessonJson(std::string_view block, Lesson &out);

} // namespace lesson
