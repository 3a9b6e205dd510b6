#include "conversion/same_file.h"

#include <sys/stat.h>

bool names_same_file(int input_fd, const char *output_path)
{
    struct stat input_status {};
    struct stat output_status {};
    // fstat of a descriptor just opened cannot fail short of a bad descriptor.
    // A path that cannot be looked up is a new output, or one whose open is
    // about to fail and say why.
    if (fstat(input_fd, &input_status) < 0 || stat(output_path, &output_status) < 0) {
        return false;
    }
    return input_status.st_dev == output_status.st_dev && input_status.st_ino == output_status.st_ino;
}
