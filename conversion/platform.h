// The few ways Windows differs from POSIX in the calls the programs make.
#ifndef RX50ORDER_CONVERSION_PLATFORM_H
#define RX50ORDER_CONVERSION_PLATFORM_H

#include <cstddef>
#include <fcntl.h>
#include <sys/stat.h>

#ifdef _WIN32
#include <io.h>

// Without it Windows opens files in text mode and mangles CR, LF and ^Z.
inline constexpr int BINARY_MODE = O_BINARY;
// Windows knows only read and write permission: a new file gets both.
inline constexpr int NEW_FILE_PERMISSIONS = _S_IREAD | _S_IWRITE;
// The byte count that Windows' read and write take.
using io_count = unsigned int;
inline constexpr const char *NULL_DEVICE = "NUL";

inline bool is_open_descriptor(int fd)
{
    return _get_osfhandle(fd) != -1;
}
#else
#include <unistd.h>

inline constexpr int BINARY_MODE = 0;
inline constexpr mode_t NEW_FILE_PERMISSIONS = 0644;
using io_count = std::size_t;
inline constexpr const char *NULL_DEVICE = "/dev/null";

inline bool is_open_descriptor(int fd)
{
    return fcntl(fd, F_GETFD) >= 0;
}
#endif

#endif
