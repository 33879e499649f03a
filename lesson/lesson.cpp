// lesson.cpp: filling a page's lesson block, and reading one back strictly.
#include "lesson/lesson.h"

#include "forms/utf8.h"

#include <cassert>
#include <cstddef>

namespace lesson {

namespace {

constexpr char Base64Digits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

char lower(char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; }

bool startsWithNoCase(std::string_view text, std::string_view prefix)
{
    if (text.size() < prefix.size())
        return false;
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        if (lower(text[i]) != lower(prefix[i]))
            return false;
    }
    return true;
}

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f'; }

std::size_t count(std::string_view text, std::string_view what)
{
    std::size_t found = 0;
    for (std::size_t at = text.find(what); at != std::string_view::npos; at = text.find(what, at + what.size()))
        ++found;
    return found;
}

// Where the block that starts at `from` ends: an HTML parser ends a script at
// "</script" in any case.
std::size_t blockEnd(std::string_view page, std::size_t from)
{
    for (std::size_t at = page.find("</", from); at != std::string_view::npos; at = page.find("</", at + 2)) {
        if (startsWithNoCase(page.substr(at), "</script"))
            return at;
    }
    return std::string_view::npos;
}

void appendEscape(std::string &out, char32_t code)
{
    constexpr char Hex[] = "0123456789abcdef";
    out += "\\u";
    for (int shift = 12; shift >= 0; shift -= 4)
        out += Hex[(code >> shift) & 0xF];
}

// A JSON string whose text cannot end the block it stands in.
void appendString(std::string &out, std::string_view text)
{
    out += '"';
    for (std::size_t at = 0; at < text.size();) {
        const forms::CodePoint sequence = forms::ReadCodePoint(text.substr(at));
        const char32_t code = sequence.length ? sequence.code : 0xFFFD;
        at += sequence.length ? sequence.length : 1;
        switch (code) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        case '<': case '>': case '&': case 0x2028: case 0x2029: appendEscape(out, code); break;
        default:
            if (code < 0x20)
                appendEscape(out, code);
            else
                forms::AppendUtf8(out, code);
        }
    }
    out += '"';
}

std::string base64(std::string_view bytes)
{
    std::string out;
    out.reserve((bytes.size() + 2) / 3 * 4);
    std::size_t at = 0;
    const auto byte = [&bytes](std::size_t i) { return std::uint32_t(static_cast<unsigned char>(bytes[i])); };
    for (; at + 3 <= bytes.size(); at += 3) {
        const std::uint32_t group = byte(at) << 16 | byte(at + 1) << 8 | byte(at + 2);
        for (int shift = 18; shift >= 0; shift -= 6)
            out += Base64Digits[(group >> shift) & 0x3F];
    }
    if (const std::size_t left = bytes.size() - at) {
        const std::uint32_t group = byte(at) << 16 | (left == 2 ? byte(at + 1) << 8 : 0);
        out += Base64Digits[group >> 18];
        out += Base64Digits[(group >> 12) & 0x3F];
        out += left == 2 ? Base64Digits[(group >> 6) & 0x3F] : '=';
        out += '=';
    }
    return out;
}

int base64Value(char c)
{
    if (c >= 'A' && c <= 'Z')
        return c - 'A';
    if (c >= 'a' && c <= 'z')
        return c - 'a' + 26;
    if (c >= '0' && c <= '9')
        return c - '0' + 52;
    if (c == '+')
        return 62;
    if (c == '/')
        return 63;
    return -1;
}

// Padded base64 with no other characters and no stray bits in the padding.
std::optional<std::string> fromBase64(std::string_view text)
{
    if (text.size() % 4 != 0)
        return std::nullopt;
    std::string out;
    out.reserve(text.size() / 4 * 3);
    for (std::size_t at = 0; at < text.size(); at += 4) {
        const bool last = at + 4 == text.size();
        const int padding = last && text[at + 3] == '=' ? (text[at + 2] == '=' ? 2 : 1) : 0;
        std::uint32_t group = 0;
        for (int i = 0; i < 4; ++i) {
            const int value = i >= 4 - padding ? 0 : base64Value(text[at + std::size_t(i)]);
            if (value < 0)
                return std::nullopt;
            group = group << 6 | std::uint32_t(value);
        }
        if ((padding == 1 && (group & 0xFF) != 0) || (padding == 2 && (group & 0xFFFF) != 0))
            return std::nullopt;
        out += char(group >> 16);
        if (padding < 2)
            out += char((group >> 8) & 0xFF);
        if (padding < 1)
            out += char(group & 0xFF);
    }
    return out;
}

// A strict reader of the one object a lesson block holds. Every step moves forward
// through the text or fails; nothing nests deeper than the one array.
class Reader
{
public:
    explicit Reader(std::string_view text) : m_text(text) {}

    bool ok() const { return m_ok; }
    bool atEnd()
    {
        skipSpace();
        return m_at == m_text.size();
    }
    void expect(char c)
    {
        skipSpace();
        if (m_at < m_text.size() && m_text[m_at] == c)
            ++m_at;
        else
            m_ok = false;
    }
    bool take(char c)
    {
        skipSpace();
        if (!m_ok || m_at >= m_text.size() || m_text[m_at] != c)
            return false;
        ++m_at;
        return true;
    }
    bool takeWord(std::string_view word)
    {
        skipSpace();
        if (!m_ok || m_text.substr(m_at, word.size()) != word)
            return false;
        m_at += word.size();
        return true;
    }
    void key(std::string_view name)
    {
        if (string() != name)
            m_ok = false;
        expect(':');
    }
    // A non-negative integer as JSON writes it; values past 999 stand as 1000.
    int integer()
    {
        skipSpace();
        const std::size_t from = m_at;
        int value = 0;
        while (m_at < m_text.size() && m_text[m_at] >= '0' && m_text[m_at] <= '9') {
            value = value >= 1000 ? 1000 : value * 10 + (m_text[m_at] - '0');
            ++m_at;
        }
        const std::size_t digits = m_at - from;
        const bool fraction = m_at < m_text.size() && (m_text[m_at] == '.' || m_text[m_at] == 'e' || m_text[m_at] == 'E');
        if (digits == 0 || (digits > 1 && m_text[from] == '0') || fraction)
            m_ok = false;
        return value > 1000 ? 1000 : value;
    }
    std::string string();

private:
    void skipSpace()
    {
        while (m_at < m_text.size() && (m_text[m_at] == ' ' || m_text[m_at] == '\t' || m_text[m_at] == '\n' || m_text[m_at] == '\r'))
            ++m_at;
    }
    int hexDigits()   // four, or -1
    {
        if (m_text.size() - m_at < 4)
            return -1;
        int value = 0;
        for (int i = 0; i < 4; ++i) {
            const char c = m_text[m_at++];
            const int digit = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
            if (digit < 0)
                return -1;
            value = value * 16 + digit;
        }
        return value;
    }

    std::string_view m_text;
    std::size_t m_at = 0;
    bool m_ok = true;
};

std::string Reader::string()
{
    std::string out;
    expect('"');
    while (m_ok) {
        if (m_at >= m_text.size()) {
            m_ok = false;
            break;
        }
        const char c = m_text[m_at];
        if (c == '"') {
            ++m_at;
            break;
        }
        if (static_cast<unsigned char>(c) < 0x20) {
            m_ok = false;
            break;
        }
        if (c != '\\') {
            const forms::CodePoint sequence = forms::ReadCodePoint(m_text.substr(m_at));
            if (sequence.length == 0) {
                m_ok = false;
                break;
            }
            out.append(m_text.substr(m_at, sequence.length));
            m_at += sequence.length;
            continue;
        }
        if (++m_at >= m_text.size()) {
            m_ok = false;
            break;
        }
        switch (m_text[m_at++]) {
        case '"': out += '"'; break;
        case '\\': out += '\\'; break;
        case '/': out += '/'; break;
        case 'b': out += '\b'; break;
        case 'f': out += '\f'; break;
        case 'n': out += '\n'; break;
        case 'r': out += '\r'; break;
        case 't': out += '\t'; break;
        case 'u': {
            int code = hexDigits();
            if (code >= 0xDC00 && code <= 0xDFFF) {
                code = -1;   // a low surrogate alone
            } else if (code >= 0xD800 && code <= 0xDBFF) {
                const int low = m_text.substr(m_at, 2) == "\\u" ? (m_at += 2, hexDigits()) : -1;
                code = low >= 0xDC00 && low <= 0xDFFF ? 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00) : -1;
            }
            if (code < 0)
                m_ok = false;
            else
                forms::AppendUtf8(out, char32_t(code));
            break;
        }
        default: m_ok = false;
        }
    }
    return out;
}

// The first MaxTextLength code points of valid UTF-8, and whether any were left out.
bool cut(std::string &text)
{
    std::size_t at = 0;
    for (int points = 0; at < text.size(); ++points) {
        if (points == MaxTextLength) {
            text.resize(at);
            return true;
        }
        const unsigned char lead = static_cast<unsigned char>(text[at]);
        at += lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    }
    return false;
}

} // namespace

bool LooksLikeWebPage(std::string_view firstBytes)
{
    std::string_view rest = firstBytes;
    if (rest.substr(0, 3) == "\xEF\xBB\xBF")
        rest.remove_prefix(3);
    while (!rest.empty() && isSpace(rest.front()))
        rest.remove_prefix(1);
    for (std::string_view start : {std::string_view("<!doctype html"), std::string_view("<html")}) {
        if (startsWithNoCase(rest, start) && (rest.size() == start.size() || isSpace(rest[start.size()]) || rest[start.size()] == '>'))
            return true;
    }
    return false;
}

bool HasOneSlot(std::string_view page)
{
    return count(page, SlotOpening) == 1 && blockEnd(page, page.find(SlotOpening) + SlotOpening.size()) != std::string_view::npos;
}

std::string LessonJson(const Lesson &lesson)
{
    std::string block = R"({"kalvero":1,"text":)";
    appendString(block, lesson.text);
    block += R"(,"start":)";
    if (lesson.start) {
        assert(model::IsPermutation(*lesson.start));
        block += '[';
        for (std::size_t slot = 0; slot < lesson.start->size(); ++slot) {
            if (slot > 0)
                block += ',';
            block += std::to_string(int((*lesson.start)[slot]));
        }
        block += ']';
    } else {
        block += "null";
    }
    block += R"(,"picture":")";
    block += base64(lesson.picture);
    block += "\"}";
    return block;
}

std::string WriteLesson(std::string_view page, const Lesson &lesson)
{
    assert(HasOneSlot(page));
    const std::size_t from = page.find(SlotOpening) + SlotOpening.size();
    const std::size_t to = blockEnd(page, from);
    const std::string block = LessonJson(lesson);
    std::string out;
    out.reserve(page.size() + block.size());
    out.append(page.substr(0, from)).append(block).append(page.substr(to));
    return out;
}

LessonError ReadLesson(std::string_view file, Lesson &out)
{
    const std::size_t slots = count(file, SlotOpening);
    if (slots > 1)
        return LessonError::TwoLessons;
    if (slots == 0)
        return LessonError::NotALesson;
    const std::size_t from = file.find(SlotOpening) + SlotOpening.size();
    const std::size_t to = blockEnd(file, from);
    const std::string_view block = file.substr(from, to == std::string_view::npos ? std::string_view::npos : to - from);
    if (block.find_first_not_of(" \t\n\r\f") == std::string_view::npos)
        return to == std::string_view::npos ? LessonError::Malformed : LessonError::NotALesson;   // the bare page
    if (std::int64_t(file.size()) > MaxLessonFileBytes)
        return LessonError::TooLarge;
    if (to == std::string_view::npos)
        return LessonError::Malformed;
    return ReadLessonJson(block, out);
}

LessonError ReadLessonJson(std::string_view block, Lesson &out)
{
    if (block.find_first_not_of(" \t\n\r\f") == std::string_view::npos)
        return LessonError::NotALesson;
    if (std::int64_t(block.size()) > MaxLessonFileBytes)
        return LessonError::TooLarge;
    Reader reader(block);
    Lesson lesson;
    reader.expect('{');
    reader.key("kalvero");
    if (reader.integer() != 1)
        return LessonError::Malformed;
    reader.expect(',');
    reader.key("text");
    lesson.text = reader.string();
    reader.expect(',');
    reader.key("start");
    bool permutation = true;
    if (!reader.takeWord("null")) {
        model::Arrangement start{};
        std::size_t tiles = 0;
        reader.expect('[');
        if (!reader.take(']')) {
            do {
                const int tile = reader.integer();
                if (tiles < start.size() && tile < model::PieceCount)
                    start[tiles] = std::uint8_t(tile);
                else
                    permutation = false;
                ++tiles;
            } while (reader.ok() && reader.take(','));
            reader.expect(']');
        }
        permutation = permutation && tiles == start.size() && model::IsPermutation(start);
        lesson.start = start;
    }
    reader.expect(',');
    reader.key("picture");
    const std::string picture = reader.string();
    reader.expect('}');
    if (!reader.ok() || !reader.atEnd())
        return LessonError::Malformed;
    std::optional<std::string> bytes = fromBase64(picture);
    if (!bytes)
        return LessonError::Malformed;
    if (!permutation)
        return LessonError::BadStart;
    lesson.picture = std::move(*bytes);
    lesson.textCut = cut(lesson.text);
    out = std::move(lesson);
    return LessonError::None;
}

std::string SuggestedName(std::string_view pictureFileName)
{
    const std::string_view base = pictureFileName.substr(0, pictureFileName.rfind('.'));
    return std::string(base.empty() ? std::string_view("урок") : base) + ".html";
}

} // namespace lesson
