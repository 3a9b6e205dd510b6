// The exit statuses of the BSD sysexits numbering that the programs use.
#ifndef RX50ORDER_DIAGNOSTICS_EXIT_STATUS_H
#define RX50ORDER_DIAGNOSTICS_EXIT_STATUS_H

inline constexpr int EXIT_USAGE = 64;       // EX_USAGE: a command-line error
inline constexpr int EXIT_UNAVAILABLE = 69; // EX_UNAVAILABLE: a file that cannot be used
inline constexpr int EXIT_IO_ERROR = 74;    // EX_IOERR: a read or write that failed

#endif
