// The program's name and the reporters that print every diagnostic line.
//
// A reporter prints one line on standard error, "name: message" and, for the
// errno forms, ": " and the system's text for errno as it stood on entry.
// Standard output is flushed first, so that where both streams reach one
// terminal or file the lines stand in the order they were printed. The fail
// forms then exit with the status they are given and never return; the warn
// forms return, for a program that goes on to its next operand.
#ifndef RX50ORDER_DIAGNOSTICS_REPORTERS_H
#define RX50ORDER_DIAGNOSTICS_REPORTERS_H

#include <cstdarg>

// Points into the argument vector once set; never copied.
extern const char *program_name;

// The part of argv0 after its last backslash, so that a Windows path shows
// only the program's own name. A null or empty argv0 (an empty argument
// vector) gives built_in_name, the program's own name for itself; an argv0
// that ends in a backslash gives the empty name.
void set_program_name(const char *argv0, const char *built_in_name);

// The format may be null: the line then holds no message of its own.
[[noreturn]] [[gnu::format(printf, 2, 3)]] void fail_errno(int status, const char *format, ...);
[[noreturn]] [[gnu::format(printf, 2, 0)]] void vfail_errno(int status, const char *format, va_list args);
[[noreturn]] [[gnu::format(printf, 2, 3)]] void fail(int status, const char *format, ...);
[[noreturn]] [[gnu::format(printf, 2, 0)]] void vfail(int status, const char *format, va_list args);

[[gnu::format(printf, 1, 2)]] void warn_errno(const char *format, ...);
[[gnu::format(printf, 1, 0)]] void vwarn_errno(const char *format, va_list args);
[[gnu::format(printf, 1, 2)]] void warn(const char *format, ...);
[[gnu::format(printf, 1, 0)]] void vwarn(const char *format, va_list args);

#endif
