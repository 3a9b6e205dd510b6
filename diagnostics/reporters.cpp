#include "diagnostics/reporters.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

const char *program_name = "";

void set_program_name(const char *argv0, const char *built_in_name)
{
    if (argv0 == nullptr) {
        program_name = built_in_name;
        return;
    }
    const char *last_backslash = std::strrchr(argv0, '\\');
    program_name = last_backslash != nullptr ? last_backslash + 1 : argv0;
}

void vfail_errno(int status, const char *format, va_list args)
{
    // Printing may itself set errno; the error being reported is this one.
    const int saved_errno = errno;
    std::fprintf(stderr, "%s: ", program_name);
    if (format != nullptr) {
        std::vfprintf(stderr, format, args);
        std::fprintf(stderr, ": ");
    }
    std::fprintf(stderr, "%s\n", std::strerror(saved_errno));
    std::exit(status);
}

void fail_errno(int status, const char *format, ...)
{
    va_list args;
    va_start(args, format);
    vfail_errno(status, format, args);
    va_end(args); // pairs with va_start as the language asks, though never reached
}

void vfail(int status, const char *format, va_list args)
{
    std::fprintf(stderr, "%s: ", program_name);
    if (format != nullptr) {
        std::vfprintf(stderr, format, args);
    }
    std::fprintf(stderr, "\n");
    std::exit(status);
}

void fail(int status, const char *format, ...)
{
    va_list args;
    va_start(args, format);
    vfail(status, format, args);
    va_end(args); // pairs with va_start as the language asks, though never reached
}
