// tiffwarnings.h: the warnings libtiff gives while Qt's TIFF reader decodes a picture.
// A strip whose data ends early, or whose JPEG data is corrupt, is only a warning to
// libtiff, which then paints the rest grey: such a picture is damaged, not whole.
#pragma once

#include <cstdarg>

namespace decoder {

// Listens from its making to its end, on this thread (the decoder child decodes one
// picture on one thread). Made once libtiff is loaded (once Qt's reader has asked its
// TIFF plugin whether it can read); before that, or without libtiff, it hears nothing.
class TiffWarnings
{
public:
    TiffWarnings();
    ~TiffWarnings();
    TiffWarnings(const TiffWarnings &) = delete;
    TiffWarnings &operator=(const TiffWarnings &) = delete;

    bool heardDamage() const;   // a codec said its data ended early or was corrupt

    using Handler = void (*)(const char *module, const char *format, va_list arguments);   // libtiff's

private:
    Handler m_previous = nullptr;   // libtiff's handler before this one
    bool m_listening = false;
};

} // namespace decoder
