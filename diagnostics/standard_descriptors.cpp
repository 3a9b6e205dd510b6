#include "diagnostics/standard_descriptors.h"

#include "conversion/platform.h"
#include "diagnostics/exit_status.h"
#include "diagnostics/reporters.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

void open_missing_standard_descriptors()
{
    // An open takes the lowest free descriptor: while that is one of the
    // three it fills a gap, and the first one above them is not needed. When
    // all three are open, as nearly always, that is one open and one close.
    for (;;) {
        // cppcheck-suppress badBitmaskCheck ; BINARY_MODE is zero but on Windows
        const int fd = open(NULL_DEVICE, O_RDWR | BINARY_MODE);
        if (fd > STDERR_FILENO) {
            close(fd);
            return;
        }
        if (fd < 0) {
            break;
        }
    }
    // No null device: harmless unless a gap is left.
    const int open_error = errno;
    for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd) {
        if (!is_open_descriptor(fd)) {
            errno = open_error;
            fail_errno(EXIT_UNAVAILABLE, "open: %s", NULL_DEVICE);
        }
    }
}
