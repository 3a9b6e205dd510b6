"""The whole program as a user runs it: every conversion, every command-line
error and every failure the system produces on its own."""

import os
import stat

import harness
from harness import IMAGE_SIZE, USAGE, ImageTestCase, read, write

NAME = "rx50order"
PREVIOUS_OUTPUT = b"an earlier output, kept until the output is opened\n" * 100


class Conversions(ImageTestCase):

    def test_each_direction_moves_every_block_as_the_map_says(self):
        cases = [
            # (arguments, input, expected output)
            (["pdp.img", "out.img"], "pdp", "pro"),
            (["-t", "pdp.img", "out.img"], "pdp", "pro"),
            (["-t", "-t", "pdp.img", "out.img"], "pdp", "pro"),
            (["-tt", "pdp.img", "out.img"], "pdp", "pro"),
            (["--", "pdp.img", "out.img"], "pdp", "pro"),
            (["-t", "--", "pdp.img", "out.img"], "pdp", "pro"),
            (["-f", "pro.img", "out.img"], "pro", "pdp"),
            (["-f", "-f", "pro.img", "out.img"], "pro", "pdp"),
            (["-f", "--", "pro.img", "out.img"], "pro", "pdp"),
        ]
        for args, _, expected in cases:
            with self.subTest(args=args):
                self.assert_succeeds(self.run_program(args))
                self.assertEqual(read(self.path("out.img")), getattr(self, expected))
                self.assertEqual(read(self.path("pdp.img")), self.pdp)
                self.assertEqual(read(self.path("pro.img")), self.pro)
                os.remove(self.path("out.img"))

    def test_round_trips_give_back_every_byte(self):
        for image in (harness.patterned_image(101), harness.random_image(7), bytes(IMAGE_SIZE),
                      b"\xff" * IMAGE_SIZE):
            for first, second in (([], ["-f"]), (["-f"], [])):
                with self.subTest(first=first, image=image[:4]):
                    write(self.path("start.img"), image)
                    self.assert_succeeds(self.run_program([*first, "start.img", "middle.img"]))
                    self.assert_succeeds(self.run_program([*second, "middle.img", "end.img"]))
                    self.assertEqual(read(self.path("end.img")), image)
                    self.assertEqual(read(self.path("start.img")), image)

    def test_existing_output_of_any_length_ends_as_one_image(self):
        for length in (0, 1, IMAGE_SIZE - 1, IMAGE_SIZE + 1, 3 * IMAGE_SIZE):
            with self.subTest(length=length):
                write(self.path("out.img"), b"\xa5" * length)
                self.assert_succeeds(self.run_program(["pdp.img", "out.img"]))
                self.assertEqual(read(self.path("out.img")), self.pro)

    def test_new_output_is_created_with_mode_0644_less_the_umask(self):
        for umask, mode in ((0o000, 0o644), (0o022, 0o644), (0o077, 0o600)):
            with self.subTest(umask=oct(umask)):
                previous = os.umask(umask)
                try:
                    self.assert_succeeds(self.run_program(["pdp.img", "new.img"]))
                finally:
                    os.umask(previous)
                self.assertEqual(stat.S_IMODE(os.stat(self.path("new.img")).st_mode), mode)
                os.remove(self.path("new.img"))

    def test_a_lone_dash_is_a_file_name_not_a_standard_stream(self):
        write(self.path("-"), self.pdp)
        self.assert_succeeds(self.run_program(["--", "-", "out.img"]))
        self.assertEqual(read(self.path("out.img")), self.pro)
        self.assert_succeeds(self.run_program(["pdp.img", "-"]))
        self.assertEqual(read(self.path("-")), self.pro)

    def test_paths_with_percent_signs_are_used_as_they_stand(self):
        write(self.path("100%s%n.img"), self.pdp)
        self.assert_succeeds(self.run_program(["100%s%n.img", "%d%%.img"]))
        self.assertEqual(read(self.path("%d%%.img")), self.pro)


# Runs that fail before the output is opened: each leaves the output as it
# was, whether it existed or not. (what, argv0, arguments, status, message)
EARLY_FAILURES = [
    ("no operands", NAME, [], 64, USAGE.format(NAME)),
    ("one operand", NAME, ["out.img"], 64, USAGE.format(NAME)),
    ("three operands", NAME, ["pdp.img", "out.img", "pro.img"], 64, USAGE.format(NAME)),
    ("an option after the operands", NAME, ["pdp.img", "out.img", "-f"], 64, USAGE.format(NAME)),
    ("-- alone", NAME, ["--"], 64, USAGE.format(NAME)),
    ("-ft", NAME, ["-ft", "pdp.img", "out.img"], 64, USAGE.format(NAME)),
    ("-tf", NAME, ["-tf", "pdp.img", "out.img"], 64, USAGE.format(NAME)),
    ("-f -t", NAME, ["-f", "-t", "pdp.img", "out.img"], 64, USAGE.format(NAME)),
    ("-t -f -t", NAME, ["-t", "-f", "-t", "pdp.img", "out.img"], 64, USAGE.format(NAME)),
    ("name after a backslash", "bin\\tools\\conv", ["pdp.img"], 64, USAGE.format("conv")),
    ("a slash is part of the name", "./conv", ["pdp.img"], 64, USAGE.format("./conv")),
    ("missing input", NAME, ["missing.img", "out.img"], 69,
     "rx50order: stat: missing.img: No such file or directory\n"),
    ("missing input, -f", NAME, ["-f", "missing.img", "out.img"], 69,
     "rx50order: stat: missing.img: No such file or directory\n"),
    ("input in a missing folder", NAME, ["nowhere/pdp.img", "out.img"], 69,
     "rx50order: stat: nowhere/pdp.img: No such file or directory\n"),
    ("percent signs in the path", NAME, ["100%s%n%%.img", "out.img"], 69,
     "rx50order: stat: 100%s%n%%.img: No such file or directory\n"),
    ("name ending in a backslash", "bin\\", ["missing.img", "out.img"], 69,
     ": stat: missing.img: No such file or directory\n"),
    ("input one byte short", NAME, ["short.img", "out.img"], 69, "rx50order: Invalid file size of short.img\n"),
    ("input one byte long", NAME, ["long.img", "out.img"], 69, "rx50order: Invalid file size of long.img\n"),
    ("empty input", NAME, ["-f", "empty.img", "out.img"], 69, "rx50order: Invalid file size of empty.img\n"),
    ("folder as input", NAME, ["folder", "out.img"], 69, "rx50order: Invalid file size of folder\n"),
]


class EarlyFailures(ImageTestCase):

    def setUp(self):
        super().setUp()
        write(self.path("short.img"), self.pdp[:-1])
        write(self.path("long.img"), self.pdp + b"\0")
        write(self.path("empty.img"), b"")
        os.mkdir(self.path("folder"))

    def test_each_reports_and_leaves_the_output_path_alone(self):
        for what, argv0, args, status, message in EARLY_FAILURES:
            for output_exists in (True, False):
                with self.subTest(what, output_exists=output_exists):
                    if output_exists:
                        write(self.path("out.img"), PREVIOUS_OUTPUT)
                    before = harness.snapshot(self.folder)
                    self.assert_fails(self.run_program(args, argv0=argv0), status, message)
                    self.assertEqual(harness.snapshot(self.folder), before)
                    self.assertEqual(os.path.exists(self.path("out.img")), output_exists)
                    if output_exists:
                        os.remove(self.path("out.img"))

    def test_unknown_option_gets_the_parsers_line_then_the_usage(self):
        for args in (["-x", "pdp.img", "out.img"], ["-fx", "pro.img", "out.img"]):
            with self.subTest(args=args):
                result = self.run_program(args)
                self.assertEqual(result.returncode, 64)
                parser_line, usage = result.stderr.decode().split("\n", 1)
                self.assertIn("x", parser_line)
                self.assertEqual(usage, USAGE.format(NAME))
                self.assertFalse(os.path.exists(self.path("out.img")))


class SameFile(ImageTestCase):
    """Naming the input again as the output, however spelled, would truncate
    the only copy before a block was read."""

    def test_is_refused_before_anything_is_written(self):
        os.link(self.path("pdp.img"), self.path("hard.img"))
        os.symlink("pdp.img", self.path("soft.img"))
        os.mkdir(self.path("sub"))
        cases = [
            ["pdp.img", "pdp.img"],
            ["-f", "pdp.img", "pdp.img"],
            ["pdp.img", "./pdp.img"],
            ["pdp.img", "sub/../pdp.img"],
            ["pdp.img", os.path.join(self.folder, "pdp.img")],
            ["pdp.img", "hard.img"],
            ["pdp.img", "soft.img"],
            ["soft.img", "hard.img"],
            ["-f", "hard.img", "pdp.img"],
        ]
        for args in cases:
            with self.subTest(args=args):
                before = harness.snapshot(self.folder)
                self.assert_fails(self.run_program(args), 69,
                                  f"rx50order: Input and output are the same file: {args[-1]}\n")
                self.assertEqual(harness.snapshot(self.folder), before)
                self.assertEqual(read(self.path("pdp.img")), self.pdp)

    def test_a_copy_with_equal_contents_is_not_the_same_file(self):
        write(self.path("copy.img"), self.pdp)
        self.assert_succeeds(self.run_program(["pdp.img", "copy.img"]))
        self.assertEqual(read(self.path("copy.img")), self.pro)


class OutputFailures(ImageTestCase):

    def test_output_that_cannot_be_opened(self):
        os.mkdir(self.path("folder"))
        cases = [
            (["pdp.img", "folder"], "rx50order: open: folder: Is a directory\n"),
            (["-f", "pro.img", "folder"], "rx50order: open: folder: Is a directory\n"),
            (["pdp.img", "nowhere/out.img"], "rx50order: open: nowhere/out.img: No such file or directory\n"),
        ]
        for args, message in cases:
            with self.subTest(args=args):
                before = harness.snapshot(self.folder)
                self.assert_fails(self.run_program(args), 69, message)
                self.assertEqual(harness.snapshot(self.folder), before)

    def test_full_disk(self):
        for args in (["pdp.img", "/dev/full"], ["-f", "pro.img", "/dev/full"]):
            with self.subTest(args=args):
                self.assert_fails(self.run_program(args), 74,
                                  "rx50order: write: /dev/full: No space left on device\n")

    def test_output_that_cannot_seek_when_scattering(self):
        fifo = self.path("fifo")
        os.mkfifo(fifo)
        # Holding the reading end open lets the program's open go through.
        reader = os.open(fifo, os.O_RDONLY | os.O_NONBLOCK)
        try:
            self.assert_fails(self.run_program(["-f", "pro.img", "fifo"]), 74,
                              "rx50order: lseek: fifo: Illegal seek\n")
            self.assertEqual(os.read(reader, IMAGE_SIZE), b"", "the seek comes before the first write")
        finally:
            os.close(reader)


if __name__ == "__main__":
    harness.main()
