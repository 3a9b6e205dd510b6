// Preloaded into the program under test to make one call fail in a way the
// system will not fail on request: a failed seek on a regular file, a read
// that comes up short or a write that transfers nothing at a chosen block,
// a failing close, a failing open that leaves later opens alone (the ones
// that save coverage counts at exit, say). Only descriptors above standard
// error are touched, so the program's own diagnostic always gets out, and
// only in our programs themselves, not in a tool that starts them (valgrind).
//
// RX50ORDER_FAULT=call:nth:action, where call is open, read, write, lseek,
// fstat or close, or nullopen for an open of /dev/null (which open leaves
// alone); nth counts that call on those descriptors from 1, 0 meaning every
// one; action is
//   fail   return -1 with errno EIO (EACCES for an open),
//   zero   transfer nothing and return 0,
//   short  transfer at most 100 bytes,
//   swap   (open) first rename the file RX50ORDER_SWAP_WITH names onto the
//          path being opened, as another process could between a check of
//          the path and its open.
#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

namespace {

enum class Action { none, fail, zero, shorten, swap };

// Stands for the descriptor an open has not yet made.
constexpr int NEW_DESCRIPTOR = STDERR_FILENO + 1;

bool is_one_of_ours(const char *name)
{
    return std::strcmp(name, "rx50order") == 0 || std::strcmp(name, "rx50probe") == 0;
}

// The action for this call of `call`, counting it.
Action fault_for(const char *call, int fd)
{
    static unsigned long calls_seen = 0;
    const char *setting = std::getenv("RX50ORDER_FAULT");
    const std::size_t call_length = std::strlen(call);
    if (fd <= STDERR_FILENO || !is_one_of_ours(program_invocation_short_name) || setting == nullptr ||
        std::strncmp(setting, call, call_length) != 0 || setting[call_length] != ':') {
        return Action::none;
    }
    char *rest = nullptr;
    const unsigned long nth = std::strtoul(setting + call_length + 1, &rest, 10);
    ++calls_seen;
    if (nth != 0 && nth != calls_seen) {
        return Action::none;
    }
    if (std::strcmp(rest, ":fail") == 0) {
        return Action::fail;
    }
    if (std::strcmp(rest, ":zero") == 0) {
        return Action::zero;
    }
    if (std::strcmp(rest, ":short") == 0) {
        return Action::shorten;
    }
    if (std::strcmp(rest, ":swap") == 0) {
        return Action::swap;
    }
    std::abort(); // a mistyped setting must not pass for a passing test
}

template <typename Function> Function real(const char *name)
{
    return reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
}

constexpr std::size_t SHORT_TRANSFER = 100;

} // namespace

namespace {

int faulty_open(int (*real_open)(const char *, int, ...), const char *path, int flags, va_list rest)
{
    const mode_t mode = (flags & O_CREAT) != 0 ? static_cast<mode_t>(va_arg(rest, unsigned int)) : 0;
    switch (fault_for(std::strcmp(path, "/dev/null") == 0 ? "nullopen" : "open", NEW_DESCRIPTOR)) {
    case Action::none:
        break;
    case Action::swap:
        if (std::rename(std::getenv("RX50ORDER_SWAP_WITH"), path) < 0) {
            std::abort();
        }
        break;
    case Action::fail:
    case Action::zero:
    case Action::shorten:
        errno = EACCES;
        return -1;
    }
    return real_open(path, flags, mode);
}

} // namespace

// With 64-bit offsets the C library's headers send open to open64.
extern "C" int open(const char *path, int flags, ...)
{
    static const auto real_open = real<int (*)(const char *, int, ...)>("open");
    va_list rest;
    va_start(rest, flags);
    const int fd = faulty_open(real_open, path, flags, rest);
    va_end(rest);
    return fd;
}

extern "C" int open64(const char *path, int flags, ...)
{
    static const auto real_open64 = real<int (*)(const char *, int, ...)>("open64");
    va_list rest;
    va_start(rest, flags);
    const int fd = faulty_open(real_open64, path, flags, rest);
    va_end(rest);
    return fd;
}

namespace {

// A read or a write: Buffer is void * or const void *.
template <typename Buffer> ssize_t faulty_transfer(const char *call, ssize_t (*real_transfer)(int, Buffer, std::size_t),
                                                   int fd, Buffer buffer, std::size_t count)
{
    switch (fault_for(call, fd)) {
    case Action::fail:
        errno = EIO;
        return -1;
    case Action::zero:
        return 0;
    case Action::shorten:
        return real_transfer(fd, buffer, count < SHORT_TRANSFER ? count : SHORT_TRANSFER);
    case Action::swap:
        std::abort(); // only an open swaps
    case Action::none:
        break;
    }
    return real_transfer(fd, buffer, count);
}

} // namespace

extern "C" ssize_t read(int fd, void *buffer, std::size_t count)
{
    static const auto real_read = real<ssize_t (*)(int, void *, std::size_t)>("read");
    return faulty_transfer("read", real_read, fd, buffer, count);
}

extern "C" ssize_t write(int fd, const void *buffer, std::size_t count)
{
    static const auto real_write = real<ssize_t (*)(int, const void *, std::size_t)>("write");
    return faulty_transfer("write", real_write, fd, buffer, count);
}

namespace {

template <typename Offset>
Offset faulty_lseek(Offset (*real_lseek)(int, Offset, int), int fd, Offset offset, int whence)
{
    if (fault_for("lseek", fd) != Action::none) {
        errno = EIO;
        return -1;
    }
    return real_lseek(fd, offset, whence);
}

} // namespace

// With 64-bit offsets the C library's headers send lseek to lseek64.
extern "C" off_t lseek(int fd, off_t offset, int whence)
{
    static const auto real_lseek = real<off_t (*)(int, off_t, int)>("lseek");
    return faulty_lseek(real_lseek, fd, offset, whence);
}

extern "C" off64_t lseek64(int fd, off64_t offset, int whence)
{
    static const auto real_lseek64 = real<off64_t (*)(int, off64_t, int)>("lseek64");
    return faulty_lseek(real_lseek64, fd, offset, whence);
}

extern "C" int close(int fd)
{
    static const auto real_close = real<int (*)(int)>("close");
    if (fault_for("close", fd) != Action::none) {
        // The descriptor is released all the same, as a real failing close does.
        real_close(fd);
        errno = EIO;
        return -1;
    }
    return real_close(fd);
}

namespace {

template <typename Status> int faulty_fstat(int (*real_fstat)(int, Status *), int fd, Status *status)
{
    if (fault_for("fstat", fd) != Action::none) {
        errno = EIO;
        return -1;
    }
    return real_fstat(fd, status);
}

} // namespace

// With 64-bit offsets the C library's headers send fstat to fstat64.
extern "C" int fstat(int fd, struct stat *status)
{
    static const auto real_fstat = real<int (*)(int, struct stat *)>("fstat");
    return faulty_fstat(real_fstat, fd, status);
}

extern "C" int fstat64(int fd, struct stat64 *status)
{
    static const auto real_fstat64 = real<int (*)(int, struct stat64 *)>("fstat64");
    return faulty_fstat(real_fstat64, fd, status);
}
