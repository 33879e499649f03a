// misbehave.cpp: a decoder child gone wrong, for the reader's tests. Started as the
// game's child is (`--decode WIDTHxHEIGHT`, the picture on its standard input), it
// fails as the environment's KALVERO_MISBEHAVE says: crash, hang, spin, hog (takes
// memory without end), flood (writes without end), or chatter (says a lot on its
// standard error, then decodes for real).
#include "desktop/decoder/child.h"
#include "desktop/decoder/sanitizer.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <thread>
#include <vector>

#include <sys/mman.h>

namespace {

char junk[1 << 16];

bool is(const char *how, const char *name) { return std::strcmp(how, name) == 0; }

[[noreturn]] void hog()
{
    // As the real child: running out of memory ends it with its TooLarge refusal.
    decoder::PrepareDecoderChild();
#if defined(KALVERO_ADDRESS_SANITIZER)
    // Under the sanitizer the limit counts resident memory. Pages mapped already
    // filled reach it in half a second; touching them one by one takes seconds of
    // processor time and meets the time limit first.
    for (;;)
        ::mmap(nullptr, 16 << 20, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_POPULATE, -1, 0);
#else
    // The limit counts address space, so one byte of each block is enough: filling
    // every page would only spend processor time and meet the time limit first.
    std::vector<std::unique_ptr<char[]>> taken;
    for (;;) {
        taken.emplace_back(new char[16 << 20]);
        taken.back()[0] = 1;
    }
#endif
}

} // namespace

int main(int argc, char **argv)
{
    const char *how = std::getenv("KALVERO_MISBEHAVE");
    if (how == nullptr)
        how = "";
    std::memset(junk, 'x', sizeof junk);
    if (is(how, "crash"))
        std::abort();
    if (is(how, "hang")) {
        for (;;)
            std::this_thread::sleep_for(std::chrono::hours(1));
    }
    if (is(how, "spin")) {
        std::atomic<unsigned> spins{0};
        for (;;)
            spins.fetch_add(1, std::memory_order_relaxed);
    }
    if (is(how, "hog"))
        hog();
    if (is(how, "flood")) {
        for (;;)
            std::fwrite(junk, 1, sizeof junk, stdout);
    }
    if (is(how, "chatter")) {
        // 16 MiB, far more than a pipe holds: a reader that stops draining it stalls the child.
        for (int i = 0; i < 256; ++i)
            std::fwrite(junk, 1, sizeof junk, stderr);
        return decoder::RunDecoder(argc, argv);
    }
    std::fprintf(stderr, "%s: KALVERO_MISBEHAVE is crash, hang, spin, hog, flood or chatter, not \"%s\"\n", argv[0],
                 how);
    return 2;
}
