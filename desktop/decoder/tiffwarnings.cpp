// tiffwarnings.cpp: libtiff's warning handler, found in the copy of libtiff that Qt's
// TIFF plugin loaded, so that the game needs no libtiff of its own to build.
#include "desktop/decoder/tiffwarnings.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <dlfcn.h>

namespace decoder {

namespace {

using Handler = TiffWarnings::Handler;
using SetHandler = Handler (*)(Handler);

thread_local bool damage = false;

// The codecs' warnings of data that ends early or is corrupt; libjpeg's (module
// "JPEGLib") but for a few stray bytes before a marker, which every viewer passes over.
bool tellsDamage(const char *module, const char *text)
{
    if (std::strstr(text, "extraneous bytes"))
        return false;
    if (module && std::strcmp(module, "JPEGLib") == 0)
        return std::strstr(text, "Premature end") || std::strstr(text, "Corrupt JPEG data")
               || std::strstr(text, "Inconsistent progression");
    return std::strstr(text, "Not enough data") || std::strstr(text, "lack of data")
           || std::strstr(text, "Premature end");
}

void heard(const char *module, const char *format, va_list arguments)
{
    char text[512];
    std::vsnprintf(text, sizeof text, format, arguments);
    damage = damage || tellsDamage(module, text);
}

SetHandler setHandler()
{
    void *library = dlopen("libtiff.so.6", RTLD_LAZY | RTLD_NOLOAD);   // loaded already, or not at all
    if (!library)
        return nullptr;
    const void *symbol = dlsym(library, "TIFFSetWarningHandler");
    dlclose(library);   // the plugin keeps it loaded
    SetHandler set = nullptr;
    static_assert(sizeof set == sizeof symbol);
    std::memcpy(&set, &symbol, sizeof set);   // a function's address, as dlsym gives it
    return set;
}

} // namespace

TiffWarnings::TiffWarnings()
{
    damage = false;
    if (const SetHandler set = setHandler()) {
        m_previous = set(heard);
        m_listening = true;
    }
}

TiffWarnings::~TiffWarnings()
{
    if (const SetHandler set = m_listening ? setHandler() : nullptr)
        set(m_previous);
}

bool TiffWarnings::heardDamage() const { return damage; }

} // namespace decoder
