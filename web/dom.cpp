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

void Place(val element, const forms::TwipRect &twips)
{
    const forms::PixelRect pixels = forms::ToPixels(twips);
    SetStyle(element, "left", Pixels(pixels.x));
    SetStyle(element, "top", Pixels(pixels.y));
    SetStyle(element, "width", Pixels(pixels.width));
    SetStyle(element, "height", Pixels(pixels.height));
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
