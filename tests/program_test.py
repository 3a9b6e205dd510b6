"""The whole program as a user runs it: every conversion, every command-line
error and every failure the system produces on its own. Where Windows
differs, the table says so; cases that only exist on POSIX systems are
reported as skipped there, with the reason."""

import os
import shutil
import stat

import harness
from harness import IMAGE_SIZE, USAGE, ImageTestCase, read, write

NO_SUCH_FILE = "No such file or directory"


class Conversions(ImageTestCase):

    def test_each_direction_moves_every_block_as_the_map_says(self):
        cases = [
            # (arguments, expected output)
            (["pdp.img", "out.img"], "pro"),
            (["-t", "pdp.img", "out.img"], "pro"),
            (["-t", "-t", "pdp.img", "out.img"], "pro"),
            (["-tt", "pdp.img", "out.img"], "pro"),
            (["--", "pdp.img", "out.img"], "pro"),
            (["-t", "--", "pdp.img", "out.img"], "pro"),
            (["-f", "pro.img", "out.img"], "pdp"),
            (["-f", "-f", "pro.img", "out.img"], "pdp"),
            (["-f", "--", "pro.img", "out.img"], "pdp"),
        ]
        for args, expected in cases:
            with self.subTest(args=args):
                self.assert_succeeds(self.run_program(args))
                self.assertEqual(read(self.path("out.img")), getattr(self, expected))
                self.assertEqual(read(self.path("pdp.img")), self.pdp)
                self.assertEqual(read(self.path("pro.img")), self.pro)
                os.remove(self.path("out.img"))

    def test_round_trips_give_back_every_byte(self):
        images = {
            "every byte value": harness.patterned_image(101),
            "random": harness.random_image(7),
            "zeros": harness.stamped(bytes(IMAGE_SIZE)),
            "ones": harness.stamped(b"\xff" * IMAGE_SIZE),
            # What a text-mode stream would translate or stop at on Windows.
            "CR, LF and ^Z": harness.stamped(b"\r\n\x1a\n\r\r\x1a\x1a" * (IMAGE_SIZE // 8)),
        }
        # Each block stamped with its number: a block in the wrong place shows.
        self.assertTrue(all(harness.has_distinct_blocks(image) for image in images.values()))
        for what, image in images.items():
            for first, second in (([], ["-f"]), (["-f"], [])):
                with self.subTest(what, first=first):
                    write(self.path("start.img"), image)
                    self.assert_succeeds(self.run_program([*first, "start.img", "middle.img"]))
                    expected_middle = harness.to_pdp(image) if first else harness.to_pro(image)
                    self.assertEqual(read(self.path("middle.img")), expected_middle)
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
        self.posix_only("Windows files have no permission bits")
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

    def test_wildcards_are_expanded_only_by_windows_start_up_code(self):
        # The program never expands a pattern; on POSIX systems the shell
        # does, and here there is no shell.
        if harness.windows():
            self.assert_succeeds(self.run_program(["pd?.im*", "out.img"]))
            self.assertEqual(read(self.path("out.img")), self.pro)
        else:
            self.assert_fails(self.run_program(["pd?.im*", "out.img"]), 69,
                              f"{{name}}: stat: pd?.im*: {NO_SUCH_FILE}\n")
        # A pattern that matches nothing reaches the program as it stands.
        self.assert_fails(self.run_program(["none*.img", "other.img"]), 69,
                          f"{{name}}: stat: none*.img: {NO_SUCH_FILE}\n")
        self.assertFalse(os.path.exists(self.path("other.img")))


class ProgramName(ImageTestCase):

    def test_is_what_follows_the_last_backslash_of_argv0(self):
        if harness.windows():
            # Wine hands over the program's own path, Z:\...\bin\tools\conv.exe.
            os.makedirs(self.path("bin/tools"))
            shutil.copy(harness.options.program, self.path("bin/tools/conv.exe"))
            result = harness.run(["pdp.img"], self.folder, program=self.path("bin/tools/conv.exe"))
            self.assertEqual((result.returncode, result.stderr.decode()), (64, USAGE.format(name="conv.exe")))
            return
        cases = [
            ("bin\\tools\\conv", "conv"),
            ("./conv", "./conv"),  # a slash is an ordinary character
            ("/usr/bin/rx50order", "/usr/bin/rx50order"),
            ("bin\\", ""),  # ends in a backslash: the empty name
        ]
        for argv0, name in cases:
            with self.subTest(argv0=argv0):
                result = self.run_program(["pdp.img"], argv0=argv0)
                self.assertEqual((result.returncode, result.stderr.decode()), (64, USAGE.format(name=name)))
                result = self.run_program(["missing.img", "out.img"], argv0=argv0)
                self.assertEqual(result.stderr.decode(), f"{name}: stat: missing.img: {NO_SUCH_FILE}\n")


# Runs that fail before the output is opened: each leaves the output as it
# was, whether it existed or not. (what, arguments, status, message)
EARLY_FAILURES = [
    ("no operands", [], 64, USAGE),
    ("one operand", ["out.img"], 64, USAGE),
    ("three operands", ["pdp.img", "out.img", "pro.img"], 64, USAGE),
    ("an option after the operands", ["pdp.img", "out.img", "-f"], 64, USAGE),
    ("-- alone", ["--"], 64, USAGE),
    ("-ft", ["-ft", "pdp.img", "out.img"], 64, USAGE),
    ("-tf", ["-tf", "pdp.img", "out.img"], 64, USAGE),
    ("-f -t", ["-f", "-t", "pdp.img", "out.img"], 64, USAGE),
    ("-t -f -t", ["-t", "-f", "-t", "pdp.img", "out.img"], 64, USAGE),
    ("missing input", ["missing.img", "out.img"], 69, f"{{name}}: stat: missing.img: {NO_SUCH_FILE}\n"),
    ("missing input, -f", ["-f", "missing.img", "out.img"], 69,
     f"{{name}}: stat: missing.img: {NO_SUCH_FILE}\n"),
    ("input in a missing folder", ["nowhere/pdp.img", "out.img"], 69,
     f"{{name}}: stat: nowhere/pdp.img: {NO_SUCH_FILE}\n"),
    ("percent signs in the path", ["100%s%n%%.img", "out.img"], 69,
     f"{{name}}: stat: 100%s%n%%.img: {NO_SUCH_FILE}\n"),
    ("input one byte short", ["short.img", "out.img"], 69, "{name}: Invalid file size of short.img\n"),
    ("input one byte long", ["long.img", "out.img"], 69, "{name}: Invalid file size of long.img\n"),
    ("empty input", ["-f", "empty.img", "out.img"], 69, "{name}: Invalid file size of empty.img\n"),
    ("folder as input", ["folder", "out.img"], 69, "{name}: Invalid file size of folder\n"),
]


class EarlyFailures(ImageTestCase):

    def setUp(self):
        super().setUp()
        write(self.path("short.img"), self.pdp[:-1])
        write(self.path("long.img"), self.pdp + b"\0")
        write(self.path("empty.img"), b"")
        os.mkdir(self.path("folder"))

    def test_each_reports_and_leaves_the_output_path_alone(self):
        for what, args, status, message in EARLY_FAILURES:
            with self.subTest(what):
                self.assert_fails_leaving_output_alone(lambda: self.run_program(args), status, message)

    def test_unknown_option_gets_the_parsers_line_then_the_usage(self):
        for args, letter in ((["-x", "pdp.img", "out.img"], "x"), (["-fq", "pro.img", "out.img"], "q"),
                             (["-t", "-y", "pdp.img", "out.img"], "y")):
            with self.subTest(args=args):
                self.assert_usage(self.run_program(args), unknown_option=letter)
                self.assertFalse(os.path.exists(self.path("out.img")))


class SameFile(ImageTestCase):
    """Naming the input again as the output, however spelled, would truncate
    the only copy before a block was read."""

    def test_is_refused_before_anything_is_written(self):
        os.link(self.path("pdp.img"), self.path("hard.img"))
        os.mkdir(self.path("sub"))
        if not harness.windows():
            os.symlink("pdp.img", self.path("soft.img"))
        cases = [
            # (arguments, only on POSIX because)
            (["pdp.img", "pdp.img"], None),
            (["-f", "pdp.img", "pdp.img"], None),
            (["pdp.img", "./pdp.img"], None),
            (["pdp.img", "sub/../pdp.img"], None),
            (["pdp.img", "hard.img"], None),
            (["-f", "hard.img", "pdp.img"], None),
            (["pdp.img", "soft.img"], "symbolic links"),
            (["soft.img", "hard.img"], "symbolic links"),
            (["pdp.img", os.path.join(self.folder, "pdp.img")], "absolute POSIX paths"),
        ]
        if harness.windows():
            cases += [
                (["pdp.img", ".\\pdp.img"], None),
                (["pdp.img", "sub\\..\\PDP.IMG"], None),
            ]
        for args, posix_only in cases:
            with self.subTest(args=args):
                if posix_only:
                    self.posix_only(posix_only)
                before = harness.snapshot(self.folder)
                self.assert_fails(self.run_program(args), 69,
                                  f"{{name}}: Input and output are the same file: {args[-1]}\n")
                self.assertEqual(harness.snapshot(self.folder), before)
                self.assertEqual(read(self.path("pdp.img")), self.pdp)

    def test_a_copy_with_equal_contents_is_not_the_same_file(self):
        write(self.path("copy.img"), self.pdp)
        self.assert_succeeds(self.run_program(["pdp.img", "copy.img"]))
        self.assertEqual(read(self.path("copy.img")), self.pro)


class OutputFailures(ImageTestCase):

    def test_output_that_cannot_be_opened(self):
        os.mkdir(self.path("folder"))
        # Windows refuses to open a folder as a file with "access denied".
        folder_error = "Permission denied" if harness.windows() else "Is a directory"
        cases = [
            (["pdp.img", "folder"], f"{{name}}: open: folder: {folder_error}\n"),
            (["-f", "pro.img", "folder"], f"{{name}}: open: folder: {folder_error}\n"),
            (["pdp.img", "nowhere/out.img"], f"{{name}}: open: nowhere/out.img: {NO_SUCH_FILE}\n"),
        ]
        for args, message in cases:
            with self.subTest(args=args):
                before = harness.snapshot(self.folder)
                self.assert_fails(self.run_program(args), 69, message)
                self.assertEqual(harness.snapshot(self.folder), before)

    def test_full_disk(self):
        self.posix_only("/dev/full")
        for args in (["pdp.img", "/dev/full"], ["-f", "pro.img", "/dev/full"]):
            with self.subTest(args=args):
                self.assert_fails(self.run_program(args), 74,
                                  "{name}: write: /dev/full: No space left on device\n")

    def test_output_that_cannot_seek_when_scattering(self):
        self.posix_only("FIFOs")
        fifo = self.path("fifo")
        os.mkfifo(fifo)
        # Holding the reading end open lets the program's open go through.
        reader = os.open(fifo, os.O_RDONLY | os.O_NONBLOCK)
        try:
            self.assert_fails(self.run_program(["-f", "pro.img", "fifo"]), 74,
                              "{name}: lseek: fifo: Illegal seek\n")
            self.assertEqual(os.read(reader, IMAGE_SIZE), b"", "the seek comes before the first write")
        finally:
            os.close(reader)


class DirectoryOfImageSize(ImageTestCase):
    """A directory can be exactly 409600 bytes long (on ext4, with enough
    entries). It passes the size check by path, but must be refused before
    the output is opened."""

    def make_directory_of_image_size(self, name):
        self.posix_only("a directory's size on Windows is 0")
        directory = self.path(name)
        os.mkdir(directory)
        entry = 0
        while os.stat(directory).st_size < IMAGE_SIZE:
            open(os.path.join(directory, f"{entry:08}".ljust(240, "x")), "wb").close()
            entry += 1
        if os.stat(directory).st_size != IMAGE_SIZE:
            self.skipTest(f"this file system makes no directory of {IMAGE_SIZE} bytes "
                          f"(the sizes go from below it to {os.stat(directory).st_size})")

    def test_is_refused_and_leaves_the_output_alone(self):
        self.make_directory_of_image_size("bigdir")
        for args in (["bigdir", "out.img"], ["-f", "bigdir", "out.img"]):
            with self.subTest(args=args):
                self.assert_fails_leaving_output_alone(lambda: self.run_program(args), 69,
                                                       "{name}: open: bigdir: Is a directory\n")


class ClosedStandardDescriptors(ImageTestCase):
    """Started with standard descriptors closed, the program must not let an
    image take one of them: its own messages would land in the image."""

    def test_messages_never_reach_an_image(self):
        self.closed_descriptors_possible()
        os.mkfifo(self.path("fifo"))
        for closed in (">&- 2>&-", "<&- 2>&-", "<&- >&- 2>&-"):
            with self.subTest(closed=closed):
                # Holding the reading end open lets the program's open go
                # through; the seek on the FIFO then fails, and its message
                # must go nowhere near the FIFO.
                reader = os.open(self.path("fifo"), os.O_RDONLY | os.O_NONBLOCK)
                try:
                    result = self.run_program(["-f", "pro.img", "fifo"], wrapper=harness.with_closed(closed))
                    self.assertEqual(result.returncode, 74)
                    self.assertEqual(os.read(reader, IMAGE_SIZE), b"")
                finally:
                    os.close(reader)


class EmptyArgumentVector(ImageTestCase):

    def test_the_built_in_name_stands_in(self):
        self.posix_only("execve with an empty argument vector")
        if harness.options.emulator or harness.options.memcheck:
            self.skipTest("the program must be started directly")
        status, stdout, stderr = harness.run_with_empty_argument_vector(harness.options.program, self.folder)
        self.assertEqual((status, stdout, stderr.decode()), (64, b"", USAGE.format(name="rx50order")))


if __name__ == "__main__":
    harness.main()
