#include "conversion/run.h"

#include "conversion/platform.h"
#include "conversion/same_file.h"
#include "conversion/sector_map.h"
#include "diagnostics/exit_status.h"
#include "diagnostics/reporters.h"
#include "diagnostics/standard_descriptors.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

namespace {

int fflag = 0;
int tflag = 0;

[[noreturn]] void usage()
{
    std::fprintf(stderr,
                 "usage: %s [-t] pdp-rx-file pro-rx-file\n"
                 "       %s -f pro-rx-file pdp-rx-file\n",
                 program_name, program_name);
    std::exit(EXIT_USAGE);
}

void seek_to_block(int fd, const char *path, std::uint16_t block)
{
    if (lseek(fd, static_cast<off_t>(block_offset(block)), SEEK_SET) < 0) {
        fail_errno(EXIT_IO_ERROR, "lseek: %s", path);
    }
}

void read_block(int fd, const char *path, unsigned char *block)
{
    const ssize_t count = read(fd, block, static_cast<io_count>(BLOCK_SIZE));
    if (count < 0) {
        fail_errno(EXIT_IO_ERROR, "read: %s", path);
    }
    // The input shrank after its size was checked: never pass on stale bytes.
    if (static_cast<std::size_t>(count) != BLOCK_SIZE) {
        fail(EXIT_IO_ERROR, "read: %s: Short read", path);
    }
}

// A write may transfer less than it was asked to; carry on with the rest.
void write_block(int fd, const char *path, const unsigned char *block)
{
    std::size_t written = 0;
    while (written < BLOCK_SIZE) {
        const ssize_t count = write(fd, block + written, static_cast<io_count>(BLOCK_SIZE - written));
        if (count < 0) {
            fail_errno(EXIT_IO_ERROR, "write: %s", path);
        }
        if (count == 0) {
            fail(EXIT_IO_ERROR, "write: %s: Short write", path);
        }
        written += static_cast<std::size_t>(count);
    }
}

} // namespace

int run_conversion(int argc, char *argv[])
{
    set_program_name(argc > 0 ? argv[0] : nullptr, "rx50order");
    open_missing_standard_descriptors();

    // "+": options end at the first operand, whatever the platform's default.
    int option = 0;
    while (argc > 0 && (option = getopt(argc, argv, "+ft")) != -1) {
        switch (option) {
        case 'f':
            fflag = 1;
            break;
        case 't':
            tflag = 1;
            break;
        default:
            usage();
        }
    }
    if (argc - optind != 2 || (fflag && tflag)) {
        usage();
    }
    const char *input_path = argv[optind];
    const char *output_path = argv[optind + 1];

    struct stat input_status {};
    if (stat(input_path, &input_status) < 0) {
        fail_errno(EXIT_UNAVAILABLE, "stat: %s", input_path);
    }
    if (input_status.st_size != static_cast<off_t>(IMAGE_SIZE)) {
        fail(EXIT_UNAVAILABLE, "Invalid file size of %s", input_path);
    }

    // cppcheck-suppress badBitmaskCheck ; BINARY_MODE is zero but on Windows
    const int input_fd = open(input_path, O_RDONLY | BINARY_MODE);
    if (input_fd < 0) {
        fail_errno(EXIT_UNAVAILABLE, "open: %s", input_path);
    }
    // What was opened may not be what was checked: the path may name another
    // file by now, or a directory of just the right size. Checked again on
    // the descriptor itself, before the output is touched.
    struct stat opened_status {};
    if (fstat(input_fd, &opened_status) < 0) {
        fail_errno(EXIT_UNAVAILABLE, "stat: %s", input_path);
    }
    if (S_ISDIR(opened_status.st_mode)) {
        errno = EISDIR;
        fail_errno(EXIT_UNAVAILABLE, "open: %s", input_path);
    }
    if (opened_status.st_size != static_cast<off_t>(IMAGE_SIZE)) {
        fail(EXIT_UNAVAILABLE, "Invalid file size of %s", input_path);
    }
    // Opening the output truncates it: if it is the input, that would destroy
    // the only copy before a single block was read.
    if (names_same_file(input_fd, opened_status, output_path)) {
        fail(EXIT_UNAVAILABLE, "Input and output are the same file: %s", output_path);
    }
    // cppcheck-suppress badBitmaskCheck ; as above
    const int output_fd = open(output_path, O_WRONLY | O_CREAT | O_TRUNC | BINARY_MODE, NEW_FILE_PERMISSIONS);
    if (output_fd < 0) {
        fail_errno(EXIT_UNAVAILABLE, "open: %s", output_path);
    }

    unsigned char block[BLOCK_SIZE];
    for (const std::uint16_t mapped_block : sector_map) {
        if (fflag) {
            // pro to pdp: read in sequence, scatter to the mapped places.
            read_block(input_fd, input_path, block);
            seek_to_block(output_fd, output_path, mapped_block);
        } else {
            // pdp to pro: gather from the mapped places, write in sequence.
            seek_to_block(input_fd, input_path, mapped_block);
            read_block(input_fd, input_path, block);
        }
        write_block(output_fd, output_path, block);
    }

    close(input_fd);
    // Some file systems report a failed write only when the file is closed.
    if (close(output_fd) < 0) {
        fail_errno(EXIT_IO_ERROR, "close: %s", output_path);
    }
    return 0;
}
