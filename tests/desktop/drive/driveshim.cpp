// driveshim.cpp: a drive gone slow or dead, without a real one: preloaded into a
// test's process (LD_PRELOAD), it stands between the process and the system for
// the files whose path holds a marker:
//   "kalvero-slow"    read() gives at most 64 KiB a call, each after 60 ms
//   "kalvero-laggard" write() answers each call after 300 ms
//   "kalvero-stalled" read() answers only after StuckSeconds
//   "kalvero-stuck"   open() and stat() answer only after StuckSeconds
// Everything else goes straight through. kalveroDriveStuck() tells how many calls
// are held up at the moment, and that the shim is there at all; kalveroDriveReleased()
// how many have been let go since the process started.
#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include <dlfcn.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr unsigned StuckSeconds = 40;
std::atomic<int> stuck{0};
std::atomic<int> released{0};

template <typename Function>
Function real(const char *name)
{
    return reinterpret_cast<Function>(::dlsym(RTLD_NEXT, name));
}

bool marked(const char *path, const char *marker) { return path != nullptr && std::strstr(path, marker) != nullptr; }

bool descriptorMarked(int descriptor, const char *marker)
{
    if (descriptor < 0)
        return false;
    char link[64];
    std::snprintf(link, sizeof link, "/proc/self/fd/%d", descriptor);
    char path[4096];
    const ssize_t length = ::readlink(link, path, sizeof path - 1);
    if (length <= 0)
        return false;
    path[length] = '\0';
    return marked(path, marker);
}

void holdUp()
{
    ++stuck;
    for (unsigned left = StuckSeconds; left > 0;)
        left = ::sleep(left);
    --stuck;
    ++released;
}

void holdUpIfStuck(const char *path)
{
    if (marked(path, "kalvero-stuck"))
        holdUp();
}

} // namespace

extern "C" {

int kalveroDriveStuck() { return stuck.load(); }
int kalveroDriveReleased() { return released.load(); }

ssize_t read(int descriptor, void *buffer, size_t size)
{
    static const auto next = real<ssize_t (*)(int, void *, size_t)>("read");
    if (descriptorMarked(descriptor, "kalvero-stalled")) {
        holdUp();
    } else if (descriptorMarked(descriptor, "kalvero-slow")) {
        ::usleep(60000);
        if (size > 65536)
            size = 65536;
    }
    return next(descriptor, buffer, size);
}

ssize_t write(int descriptor, const void *buffer, size_t size)
{
    static const auto next = real<ssize_t (*)(int, const void *, size_t)>("write");
    if (descriptorMarked(descriptor, "kalvero-laggard"))
        ::usleep(300000);
    return next(descriptor, buffer, size);
}

int open(const char *path, int flags, ...)
{
    static const auto next = real<int (*)(const char *, int, ...)>("open");
    va_list rest;
    va_start(rest, flags);
    const mode_t mode = (flags & (O_CREAT | O_TMPFILE)) != 0 ? mode_t(va_arg(rest, unsigned)) : 0;
    va_end(rest);
    holdUpIfStuck(path);
    return next(path, flags, mode);
}

int open64(const char *path, int flags, ...)
{
    static const auto next = real<int (*)(const char *, int, ...)>("open64");
    va_list rest;
    va_start(rest, flags);
    const mode_t mode = (flags & (O_CREAT | O_TMPFILE)) != 0 ? mode_t(va_arg(rest, unsigned)) : 0;
    va_end(rest);
    holdUpIfStuck(path);
    return next(path, flags, mode);
}

int stat(const char *path, struct stat *status)
{
    static const auto next = real<int (*)(const char *, struct stat *)>("stat");
    holdUpIfStuck(path);
    return next(path, status);
}

int stat64(const char *path, struct stat64 *status)
{
    static const auto next = real<int (*)(const char *, struct stat64 *)>("stat64");
    holdUpIfStuck(path);
    return next(path, status);
}

} // extern "C"
