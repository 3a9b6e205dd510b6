"""What a run costs: the system calls it makes and the libraries it loads.
A plain C program is the bar. (That no run allocates memory is checked on
every run of the other suites, under valgrind.)"""

import collections
import os
import re
import subprocess

import harness
from harness import ImageTestCase, options, read, write


class SystemCalls(ImageTestCase):

    def calls_after_input_open(self, args, input_name):
        trace = self.path("trace.txt")
        self.assert_succeeds(self.run_program(args, wrapper=[options.strace, "-qq", "-o", trace]))
        lines = read(trace).decode().splitlines()
        opened = [i for i, line in enumerate(lines) if line.startswith("openat(") and f'"{input_name}"' in line]
        self.assertEqual(len(opened), 1, lines)
        # The stat family goes by several names from one C library to the next.
        names = (re.sub(r"^(new)?f?stat(at)?(64)?$", "stat", line.split("(", 1)[0])
                 for line in lines[opened[0] + 1:])
        return collections.Counter(names)

    def test_one_seek_read_and_write_per_block_and_nothing_else(self):
        expected = collections.Counter({
            "stat": 2,  # telling whether the output is the input
            "openat": 1, "lseek": 800, "read": 800, "write": 800, "close": 2, "exit_group": 1,
        })
        for args, input_name in ((["pdp.img", "out.img"], "pdp.img"), (["-f", "pro.img", "out.img"], "pro.img")):
            with self.subTest(args=args):
                self.assertEqual(self.calls_after_input_open(args, input_name), expected)


class ProbeSystemCalls(ImageTestCase):
    silent = False

    def test_per_image_one_stat_open_and_close_and_two_block_reads(self):
        write(self.path("blank.img"), bytes(harness.IMAGE_SIZE))
        trace = self.path("trace.txt")
        args = ["pdp.img", "pro.img", "blank.img"]
        result = self.run_program(args, program=options.probe, wrapper=[options.strace, "-qq", "-o", trace])
        self.assertEqual(result.returncode, 1)
        lines = read(trace).decode().splitlines()
        first = [i for i, line in enumerate(lines) if not line.startswith("execve(") and '"pdp.img"' in line][0]
        names = (re.sub(r"^(new)?f?stat(at)?(64)?$", "stat", line.split("(", 1)[0]) for line in lines[first:])
        self.assertEqual(collections.Counter(names), collections.Counter({
            # For each image: its stat, open, two seeks and reads, close, and
            # the line of its result.
            "stat": 3, "openat": 3, "lseek": 6, "read": 6, "close": 3, "write": 3, "exit_group": 1,
        }))
        # The reads are of block 1 and of the block that holds it in pro order.
        offsets = [int(line.split(", ")[1]) for line in lines[first:] if line.startswith("lseek(")]
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
