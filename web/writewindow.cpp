// writewindow.cpp: run under Node by the build: prints the window's title, then its
// markup as start-up leaves it, for the page's file.
#include "window/texts.h"
#include "web/webwindow.h"

#include <cstdio>

int main()
{
    std::printf("%.*s\n", int(window::texts::WindowTitle.size()), window::texts::WindowTitle.data());
    const std::string markup = WebWindow::Markup();
    std::fwrite(markup.data(), 1, markup.size(), stdout);
    return 0;
}
