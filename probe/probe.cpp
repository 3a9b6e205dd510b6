#include "probe/probe.h"

#include "conversion/platform.h"
#include "conversion/sector_map.h"
#include "diagnostics/exit_status.h"
#include "diagnostics/reporters.h"
#include "diagnostics/standard_descriptors.h"
#include "probe/home_block.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

namespace {

// The image was probed, but its order could not be told.
constexpr int EXIT_NOT_TOLD = 1;

[[noreturn]] void usage()
{
    std::fprintf(stderr, "usage: %s image-file ...\n", program_name);
    std::exit(EXIT_USAGE);
}

// Reads one block; on failure reports it and returns the status, else 0.
int read_block_at(int fd, const char *path, std::uint16_t block, unsigned char *buffer)
{
    if (lseek(fd, static_cast<off_t>(block_offset(block)), SEEK_SET) < 0) {
        warn_errno("lseek: %s", path);
        return EXIT_IO_ERROR;
    }
    const ssize_t count = read(fd, buffer, static_cast<io_count>(BLOCK_SIZE));
    if (count < 0) {
        warn_errno("read: %s", path);
        return EXIT_IO_ERROR;
    }
    if (static_cast<std::size_t>(count) != BLOCK_SIZE) {
        warn("read: %s: Short read", path);
        return EXIT_IO_ERROR;
    }
    return 0;
}

int tell_order(const char *path, const unsigned char *pdp_place, const unsigned char *pro_place)
{
    const char *pdp_kind = volume_kind(pdp_place);
    const char *pro_kind = volume_kind(pro_place);
    if (pdp_kind != nullptr && pro_kind != nullptr) {
        std::printf("%s: ambiguous order, home blocks in both orders\n", path);
        return EXIT_NOT_TOLD;
    }
    if (pdp_kind == nullptr && pro_kind == nullptr) {
        std::printf("%s: unknown order, no RT-11 or Files-11 home block\n", path);
        return EXIT_NOT_TOLD;
    }
    char label[LABEL_TEXT_SIZE];
    label_text(pdp_kind != nullptr ? pdp_place : pro_place, label);
    std::printf("%s: %s order, %s \"%s\"\n", path, pdp_kind != nullptr ? "pdp" : "pro",
                pdp_kind != nullptr ? pdp_kind : pro_kind, label);
    return EXIT_SUCCESS;
}

int probe_image(const char *path)
{
    struct stat status {};
    if (stat(path, &status) < 0) {
        warn_errno("stat: %s", path);
        return EXIT_UNAVAILABLE;
    }
    // Never opened: opening a FIFO or a device could wait, or do more than read.
    if (!S_ISREG(status.st_mode)) {
        std::printf("%s: not an RX50 image, not a regular file\n", path);
        return EXIT_NOT_TOLD;
    }
    if (status.st_size != static_cast<off_t>(IMAGE_SIZE)) {
        std::printf("%s: not an RX50 image, %lld bytes\n", path, static_cast<long long>(status.st_size));
        return EXIT_NOT_TOLD;
    }
    // cppcheck-suppress badBitmaskCheck ; BINARY_MODE is zero but on Windows
    const int fd = open(path, O_RDONLY | BINARY_MODE);
    if (fd < 0) {
        warn_errno("open: %s", path);
        return EXIT_UNAVAILABLE;
    }
    unsigned char pdp_place[BLOCK_SIZE];
    unsigned char pro_place[BLOCK_SIZE];
    int failure = read_block_at(fd, path, HOME_BLOCK_IN_PDP_ORDER, pdp_place);
    if (failure == 0) {
        failure = read_block_at(fd, path, HOME_BLOCK_IN_PRO_ORDER, pro_place);
    }
    // Only read: nothing a failed close could lose.
    close(fd);
    return failure != 0 ? failure : tell_order(path, pdp_place, pro_place);
}

} // namespace

int run_probe(int argc, char *argv[])
{
    set_program_name(argc > 0 ? argv[0] : nullptr, "rx50probe");
    open_missing_standard_descriptors();

    // A buffer of our own, so that standard output takes no heap; a line at
    // a time, so that each result is out as soon as it is known.
    static char output_buffer[BUFSIZ];
    std::setvbuf(stdout, output_buffer, _IOLBF, sizeof output_buffer);

    // No options: "+" stops at the first operand, and "--" lets an operand
    // begin with a dash.
    if (argc > 0 && getopt(argc, argv, "+") != -1) {
        usage();
    }
    if (argc <= optind) {
        usage();
    }
    int worst = EXIT_SUCCESS;
    for (int i = optind; i < argc; ++i) {
        worst = std::max(worst, probe_image(argv[i]));
    }
    // A result that never reached standard output (a full disk, say) is a
    // failure, not a success.
    if (std::fflush(stdout) != 0 || std::ferror(stdout) != 0) {
        fail_errno(EXIT_IO_ERROR, "write: standard output");
    }
    return worst;
}
