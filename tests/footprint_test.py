"""What a run costs: the system calls it makes and the libraries it loads.
A plain C program is the bar. (That no run allocates memory is checked on
every run of the other suites, under valgrind.)"""

import collections
import os
import re
import subprocess

import harness
from harness import ImageTestCase, options, read, write


class FootprintTestCase(ImageTestCase):

    def program_calls(self, args, program):
        """Every system call the program makes itself, from its first (the
        open of the null device that sees descriptors 0 to 2 are in use) to
        the exit, by name, the stat family as one; and the offsets of its
        seeks. What the loader does before is not the program's."""
        trace = self.path("trace.txt")
        result = self.run_program(args, program=program, wrapper=[options.strace, "-qq", "-o", trace])
        lines = read(trace).decode().splitlines()
        first = [i for i, line in enumerate(lines) if line.startswith('openat(AT_FDCWD, "/dev/null", O_RDWR')]
        self.assertEqual(len(first), 1, lines)
        lines = lines[first[0]:]
        names = collections.Counter(re.sub(r"^(new)?f?stat(at)?(64)?$", "stat", line.split("(", 1)[0])
                                    for line in lines)
        offsets = [int(line.split(", ")[1]) for line in lines if line.startswith("lseek(")]
        return result, names, offsets


class ConverterCalls(FootprintTestCase):

    def test_one_seek_read_and_write_per_block_and_nothing_else(self):
        expected = collections.Counter({
            # The null device's open and close, at start-up; the input's
            # stat by path, open and fstat on its descriptor; the output's
            # stat (is it the input?) and open; both closes.
            "openat": 3, "close": 3, "stat": 3,
            "lseek": 800, "read": 800, "write": 800, "exit_group": 1,
        })
        for args in (["pdp.img", "out.img"], ["-f", "pro.img", "out.img"]):
            with self.subTest(args=args):
                result, names, _ = self.program_calls(args, options.program)
                self.assert_succeeds(result)
                self.assertEqual(names, expected)


class ProbeCalls(FootprintTestCase):
    silent = False

    def test_per_image_one_stat_open_and_close_and_two_block_reads(self):
        write(self.path("blank.img"), bytes(harness.IMAGE_SIZE))
        result, names, offsets = self.program_calls(["pdp.img", "pro.img", "blank.img"], options.probe)
        self.assertEqual(result.returncode, 1)
        self.assertEqual(names, collections.Counter({
            # The null device's open and close, at start-up; for each image
            # its stat, open, two seeks and reads, close, and the line of its
            # result.
            "openat": 1 + 3, "close": 1 + 3, "stat": 3, "lseek": 6, "read": 6, "write": 3, "exit_group": 1,
        }))
        # The reads are of block 1 and of the block that holds it in pro order.
        self.assertEqual(offsets, [512, 12 * 512] * 3)


class Libraries(ImageTestCase):

    def test_each_program_needs_the_c_library_only(self):
        for program in (options.program, options.probe):
            with self.subTest(program=program):
                dynamic = subprocess.run([options.readelf, "--dynamic", program], capture_output=True,
                                         text=True, check=True).stdout
                needed = re.findall(r"\(NEEDED\)\s+Shared library: \[(.+)\]", dynamic)
                self.assertEqual([os.path.basename(name).split(".so")[0] for name in needed], ["libc"])


if __name__ == "__main__":
    harness.main()
