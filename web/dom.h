// dom.h: the page's elements from C++: making them, placing them, and their events.
#pragma once

#include "forms/numbers.h"

#include <emscripten/val.h>

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace web {

using emscripten::val;

val Document();
val ById(std::string_view id);   // the element must exist
// A new element of the given tag, appended to parent; id may be empty.
val Element(const char *tag, std::string_view id, val parent);
void SetText(val element, std::string_view text);                 // plain text, never markup
void SetAttribute(val element, const char *name, std::string_view value);
void SetStyle(val element, const char *property, std::string_view value);
std::string Escaped(std::string_view text);   // for markup: text stays text
std::string Pixels(int value);   // "12px"
std::string Colour(std::uint32_t rgb);   // "#RRGGBB"

// Calls handler for each event of that type on target; a handler that returns
// true takes the event (its default action is prevented).
using Handler = std::function<bool(val event)>;
void Listen(val target, const char *type, Handler handler, bool capture = false);

bool IsElement(val a, val b);   // the same node (both may be null)

// The markup of many elements at once, put into the page in one step: far
// quicker than making them one by one. Attributes and styles belong to the
// element opened last, until its content begins.
class Markup
{
public:
    Markup &open(const char *tag, std::string_view id = {});
    Markup &attribute(const char *name, std::string_view value);
    Markup &style(const char *property, std::string_view value);
    // A designed place in twips as the element's absolute place in CSS pixels,
    // 15 twips to the pixel, rounded as the desktop rounds it; relative to `origin`.
    Markup &place(const forms::TwipRect &twips, const forms::TwipRect &origin = {});
    Markup &text(std::string_view text);
    Markup &close();   // the element opened last
    const std::string &finish();

private:
    void endStartTag();

    std::string m_out;
    std::string m_style;
    std::vector<std::string> m_open;
    bool m_inStartTag = false;
};

} // namespace web
