#include "diagnostics/reporters.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

const char *program_name = "";

void set_program_name(const char *argv0, const char *built_in_name)
{
    // Since Linux 5.18 an empty argument vector arrives as one empty argv[0].
    if (argv0 == nullptr || *argv0 == '\0') {
        program_name = built_in_name;
        return;
    }
    const char *last_backslash = std::strrchr(argv0, '\\');
    program_name = last_backslash != nullptr ? last_backslash + 1 : argv0;
}

namespace {

void begin_line()
{
    std::fflush(stdout);
    std::fprintf(stderr, "%s: ", program_name);
}

} // namespace

void vwarn_errno(const char *format, va_list args)
{
    // Printing may itself set errno; the error being reported is this one.
    const int saved_errno = errno;
    begin_line();
    if (format != nullptr) {
        std::vfprintf(stderr, format, args);
        std::fprintf(stderr, ": ");
    }
    std::fprintf(stderr, "%s\n", std::strerror(saved_errno));
}

void vwarn(const char *format, va_list args)
{
    begin_line();
    if (format != nullptr) {
        std::vfprintf(stderr, format, args);
    }
    std::fprintf(stderr, "\n");
}

void vfail_errno(int status, const char *format, va_list args)
{
    vwarn_errno(format, args);
    std::exit(status);
}

void vfail(int status, const char *format, va_list args)
{
    vwarn(format, args);
    std::exit(status);
}

// The variadic forms only pack their arguments for the list forms. Each
// va_end pairs with its va_start as the language asks, though a fail form
// never reaches it.

void fail_errno(int status, const char *format, ...)
{
    va_list args;
    va_start(args, format);
    vfail_errno(status, format, args);
    va_end(args);
}

void fail(int status, const char *format, ...)
{
    va_list args;
    va_start(args, format);
    vfail(status, format, args);
    va_end(args);
}

void warn_errno(const char *format, ...)
{
    va_list args;
    va_start(args, format);
    vwarn_errno(format, args);
    va_end(args);
}

void warn(const char *format, ...)
{
    va_list args;
    va_start(args, format);
    vwarn(format, args);
    va_end(args);
}
