// fuzz_lesson.cpp: feeds arbitrary bytes to the lesson reader. A file it takes must
// hold valid UTF-8 text within the limit and a start that is a permutation, and
// written into a page and read again it must give the same lesson.
#include "lesson/lesson.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

[[noreturn]] void fail(const char *why)
{
    std::fprintf(stderr, "fuzz_lesson: %s\n", why);
    std::abort();
}

bool validText(const std::string &text)
{
    int points = 0;
    for (std::size_t at = 0; at < text.size(); ++points) {
        const unsigned char lead = static_cast<unsigned char>(text[at]);
        const std::size_t length = lead < 0x80 ? 1 : lead >= 0xC2 && lead < 0xE0 ? 2 : lead >= 0xE0 && lead < 0xF0 ? 3 : lead >= 0xF0 && lead < 0xF5 ? 4 : 0;
        if (length == 0 || at + length > text.size())
            return false;
        for (std::size_t i = 1; i < length; ++i) {
            if ((static_cast<unsigned char>(text[at + i]) & 0xC0) != 0x80)
                return false;
        }
        at += length;
    }
    return points <= lesson::MaxTextLength;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string_view file(reinterpret_cast<const char *>(data), size);
    (void)lesson::LooksLikeWebPage(file);
    lesson::Lesson read;
    if (lesson::ReadLesson(file, read) != lesson::LessonError::None)
        return 0;
    if (!validText(read.text))
        fail("a text of bad UTF-8 or over the limit");
    if (read.start && !model::IsPermutation(*read.start))
        fail("a start that is no permutation");
    const std::string page = std::string("<!DOCTYPE html><html><head>") + std::string(lesson::SlotOpening) + "</script></head></html>";
    lesson::Lesson again;
    if (lesson::ReadLesson(lesson::WriteLesson(page, read), again) != lesson::LessonError::None)
        fail("a lesson written that does not read back");
    if (again.text != read.text || again.picture != read.picture || again.start != read.start || again.textCut)
        fail("a lesson that reads back changed");
    return 0;
}
