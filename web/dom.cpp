// dom.cpp: elements and event listeners, through Emscripten's val.
#include "web/dom.h"

#include <emscripten.h>
#include <emscripten/bind.h>

#include <cassert>
#include <vector>

namespace web {

namespace {

std::vector<Handler> &handlers()
{
    static std::vector<Handler> list;
    return list;
}

void dispatch(int id, val event)
{
    assert(id >= 0 && std::size_t(id) < handlers().size());
    if (handlers()[std::size_t(id)](event))
        event.call<void>("preventDefault");
}

} // namespace

using emscripten::EM_VAL;

// The page's listeners hand each event to dispatch() with the handler's number.
EM_JS(void, kalvero_listen, (EM_VAL target, const char *type, int id, int capture), {
    Emval.toValue(target).addEventListener(UTF8ToString(type), function(event) {
        Module["kalveroEvent"](id, event);
    }, {capture: !!capture, passive: false});
});

EMSCRIPTEN_BINDINGS(kalvero_dom)
{
    emscripten::function("kalveroEvent", &dispatch);
}

val Document()
{
    return val::global("document");
}

val ById(std::string_view id)
{
    val element = Document().call<val>("getElementById", std::string(id));
    assert(!element.isNull());
    return element;
}

val Element(const char *tag, std::string_view id, val parent)
{
    val element = Document().call<val>("createElement", std::string(tag));
    if (!id.empty())
        element.set("id", std::string(id));
    parent.call<void>("appendChild", element);
    return element;
}

void SetText(val element, std::string_view text)
{
    element.set("textContent", std::string(text));
}

void SetAttribute(val element, const char *name, std::string_view value)
{
    element.call<void>("setAttribute", std::string(name), std::string(value));
}

void SetStyle(val element, const char *property, std::string_view value)
{
    element["style"].call<void>("setProperty", std::string(property), std::string(value));
}

std::string Pixels(int value)
{
    return std::to_string(value) + "px";
}

std::string Colour(std::uint32_t rgb)
{
    static constexpr char Digits[] = "0123456789ABCDEF";
    std::string text = "#";
    for (int shift = 20; shift >= 0; shift -= 4)
        text += Digits[(rgb >> shift) & 0xF];
    return text;
}

std::string Escaped(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        case '\'': out += "&#39;"; break;
        default: out += c;
        }
    }
    return out;
}

Markup &Markup::open(const char *tag, std::string_view id)
{
    endStartTag();
    m_out.append("<").append(tag);
    if (!id.empty())
        m_out.append(" id=\"").append(Escaped(id)).append("\"");
    m_open.emplace_back(tag);
    m_inStartTag = true;
    return *this;
}

Markup &Markup::attribute(const char *name, std::string_view value)
{
    assert(m_inStartTag);
    m_out.append(" ").append(name).append("=\"").append(Escaped(value)).append("\"");
    return *this;
}

Markup &Markup::style(const char *property, std::string_view value)
{
    assert(m_inStartTag);
    m_style.append(property).append(":").append(value).append(";");
    return *this;
}

Markup &Markup::place(const forms::TwipRect &twips, const forms::TwipRect &origin)
{
    const forms::PixelRect pixels = forms::ToPixels(twips), corner = forms::ToPixels(origin);
    return style("left", Pixels(pixels.x - corner.x))
        .style("top", Pixels(pixels.y - corner.y))
        .style("width", Pixels(pixels.width))
        .style("height", Pixels(pixels.height));
}

Markup &Markup::text(std::string_view text)
{
    endStartTag();
    m_out += Escaped(text);
    return *this;
}

Markup &Markup::close()
{
    assert(!m_open.empty());
    endStartTag();
    const std::string tag = m_open.back();
    m_open.pop_back();
    if (tag != "input")
        m_out.append("</").append(tag).append(">");
    return *this;
}

const std::string &Markup::finish()
{
    assert(m_open.empty());
    return m_out;
}

void Markup::endStartTag()
{
    if (!m_inStartTag)
        return;
    if (!m_style.empty())
        m_out.append(" style=\"").append(Escaped(m_style)).append("\"");
    m_style.clear();
    m_out += ">";
    m_inStartTag = false;
}

void Listen(val target, const char *type, Handler handler, bool capture)
{
    handlers().push_back(std::move(handler));
    kalvero_listen(target.as_handle(), type, int(handlers().size() - 1), capture ? 1 : 0);
}

bool IsElement(val a, val b)
{
    return a.strictlyEquals(b);
}

} // namespace web
