#include "conversion/same_file.h"

bool names_same_file(int /*input_fd*/, const struct stat &input_status, const char *output_path)
{
    struct stat output_status {};
    // A path that cannot be looked up is a new output, or one whose open is
    // about to fail and say why.
    if (stat(output_path, &output_status) < 0) {
        return false;
    }
    return input_status.st_dev == output_status.st_dev && input_status.st_ino == output_status.st_ino;
}
