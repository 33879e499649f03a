// utf8.h: the program's strings are UTF-8: one code point read from them, one written.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace forms {

// The well-formed UTF-8 sequence `text` starts with: its code point and its length in
// bytes; a length of 0 when none starts there (an empty text, a continuation byte, an
// overlong form, a surrogate, past U+10FFFF, or a sequence cut short).
struct CodePoint
{
    char32_t code = 0;
    std::size_t length = 0;
};
CodePoint ReadCodePoint(std::string_view text);

void AppendUtf8(std::string &text, char32_t code);   // code <= U+10FFFF, no surrogate

} // namespace forms
