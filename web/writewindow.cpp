// writewindow.cpp: run under Node by the build: prints the window's title, the window's
// design size and the page's scales (for the page's first layout, before the game has
// started), then its markup as start-up leaves it, for the page's file.
#include "web/webwindow.h"
#include "window/layout.h"
#include "window/texts.h"

#include <cstdio>

int main()
{
    std::printf("%.*s\n", int(window::texts::WindowTitle.size()), window::texts::WindowTitle.data());
    const forms::PixelRect client = forms::ToPixels(window::layout::ClientArea);
    std::printf("{\"width\": %d, \"height\": %d, \"scales\": [", client.width, client.height);
    const char *comma = "";
    for (const double scale : window::layout::PageScales) {
        std::printf("%s%g", comma, scale);
        comma = ", ";
    }
    std::printf("]}\n");
    const std::string markup = WebWindow::Markup();
    std::fwrite(markup.data(), 1, markup.size(), stdout);
    return 0;
}
