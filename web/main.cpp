// main.cpp: the page's start: one window, its generator seeded from the clock.
#include "web/webwindow.h"

int main()
{
    // Lives as long as the page; the runtime stays after main returns.
    static WebWindow window(forms::ClockRandom::rtcRandomize());
    return 0;
}
