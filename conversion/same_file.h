// Whether the output path names the file already open as the input.
#ifndef RX50ORDER_CONVERSION_SAME_FILE_H
#define RX50ORDER_CONVERSION_SAME_FILE_H

#include <sys/stat.h>

// Decided by file identity, so that another spelling of the path or a hard
// or symbolic link is caught too. A path that cannot be looked up (it does
// not exist yet, say) is not the input.
// input_status is the input descriptor's, from fstat.
bool names_same_file(int input_fd, const struct stat &input_status, const char *output_path);

#endif
