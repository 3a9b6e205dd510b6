#include "diagnostics/reporters.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <unistd.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace {

TEST(ProgramName, IsThePartAfterTheLastBackslash)
{
    struct Case {
        const char *argv0;
        const char *name;
    };
    const Case cases[] = {
        {"bin\\tools\\conv", "conv"},
        {"C:\\tools\\rx50order.exe", "rx50order.exe"},
        {"./conv", "./conv"}, // a forward slash is part of the name
        {"a/b\\c/d", "c/d"},
        {"conv", "conv"},
        {"bin\\tools\\", ""}, // ends in a backslash: the empty name
        {"", "builtin"},      // what the kernel makes of an empty argument vector
    };
    for (const Case &c : cases) {
        set_program_name(c.argv0, "builtin");
        EXPECT_STREQ(program_name, c.name) << "argv0 " << c.argv0;
    }
    set_program_name(nullptr, "builtin");
    EXPECT_STREQ(program_name, "builtin");
}

TEST(ProgramName, PointsIntoTheArgumentItself)
{
    char argv0[] = "bin\\conv";
    set_program_name(argv0, "builtin");
    EXPECT_EQ(program_name, argv0 + 4);
}

[[noreturn]] [[gnu::format(printf, 2, 3)]] void call_vfail(int status, const char *format, ...)
{
    va_list args;
    va_start(args, format);
    vfail(status, format, args);
}

[[noreturn]] [[gnu::format(printf, 2, 3)]] void call_vfail_errno(int status, const char *format, ...)
{
    va_list args;
    va_start(args, format);
    vfail_errno(status, format, args);
}

std::string system_text(int error)
{
    return std::strerror(error);
}

TEST(ReportersDeathTest, PrintOneLineAndExitWithTheGivenStatus)
{
    struct Case {
        const char *what;
        std::function<void()> report;
        int status;
        std::string line;
    };
    const Case cases[] = {
        {"fail with a format", [] { fail(69, "Invalid file size of %s", "disk.img"); }, 69,
         "conv: Invalid file size of disk.img\n"},
        {"fail, % in an argument is printed as it stands", [] { fail(74, "read: %s: Short read", "100%s.img"); }, 74,
         "conv: read: 100%s.img: Short read\n"},
        {"fail without a format", [] { fail(3, nullptr); }, 3, "conv: \n"},
        {"vfail", [] { call_vfail(74, "write: %s: Short write", "out.img"); }, 74,
         "conv: write: out.img: Short write\n"},
        {"fail_errno with a format",
         [] {
             errno = ENOENT;
             fail_errno(69, "open: %s", "disk.img");
         },
         69, "conv: open: disk.img: " + system_text(ENOENT) + "\n"},
        {"fail_errno without a format",
         [] {
             errno = EIO;
             fail_errno(74, nullptr);
         },
         74, "conv: " + system_text(EIO) + "\n"},
        {"vfail_errno",
         [] {
             errno = ENOSPC;
             call_vfail_errno(74, "write: %s", "out.img");
         },
         74, "conv: write: out.img: " + system_text(ENOSPC) + "\n"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EXIT(
            {
                set_program_name("bin\\conv", "builtin");
                c.report();
            },
            testing::ExitedWithCode(c.status), testing::StrEq(c.line));
    }
}

TEST(ReportersDeathTest, EmptyNameStillGivesColonAndBlank)
{
    EXPECT_EXIT(
        {
            set_program_name("bin\\", "builtin");
            fail(69, "Invalid file size of %s", "x");
        },
        testing::ExitedWithCode(69), testing::StrEq(": Invalid file size of x\n"));
}

#if defined(__GLIBC__)
// Standard error replaced by a stream that sets errno on every write, as a
// failing or interrupted write to the real one would.
ssize_t write_then_clobber_errno(void *, const char *data, size_t size)
{
    const ssize_t written = write(STDERR_FILENO, data, size);
    errno = EILSEQ;
    return written;
}

TEST(ReportersDeathTest, ReportErrnoAsItStoodOnEntry)
{
    EXPECT_EXIT(
        {
            stderr = fopencookie(nullptr, "w", {nullptr, write_then_clobber_errno, nullptr, nullptr});
            std::setvbuf(stderr, nullptr, _IONBF, 0);
            set_program_name("conv", "builtin");
            errno = ENOENT;
            fail_errno(69, "open: %s", "disk.img");
        },
        testing::ExitedWithCode(69), testing::StrEq("conv: open: disk.img: " + system_text(ENOENT) + "\n"));
}
#endif

} // namespace
