"""The probe as a user runs it: every result line and status, every failure
the system produces on its own, several operands at once, labels that must
not reach a terminal raw, and the command line. Images are made here, with
home blocks written into a pdp-order image and its pro-order form made both
by the model and by the converter itself."""

import os
import shutil

import harness
from harness import BLOCK_SIZE, IMAGE_SIZE, ImageTestCase, options, read, write

USAGE = "usage: {name} image-file ...\n"
NO_SUCH_FILE = "No such file or directory"

SIGNATURES = {
    "RT-11 volume": b"DECRT11A    ",
    "Files-11 ODS-1 volume": b"DECFILE11A  ",
    "Files-11 ODS-2 volume": b"DECFILE11B  ",
}
LABEL_OFFSET = 472
SIGNATURE_OFFSET = 496
HOME_BLOCK_IN_PDP_ORDER = 1
HOME_BLOCK_IN_PRO_ORDER = harness.pro_block_of_pdp_block(1)


def with_home_block(image, place, signature, label=b"VOLUME      ", signature_offset=SIGNATURE_OFFSET):
    """The image with a home block at image block `place`."""
    assert len(label) == 12 and len(signature) == 12
    image = bytearray(image)
    start = place * BLOCK_SIZE
    image[start + LABEL_OFFSET:start + LABEL_OFFSET + 12] = label
    image[start + signature_offset:start + signature_offset + 12] = signature
    assert len(image) == IMAGE_SIZE
    return bytes(image)


def pdp_volume(kind, label=b"VOLUME      "):
    return with_home_block(harness.patterned_image(5), HOME_BLOCK_IN_PDP_ORDER, SIGNATURES[kind], label)


class ProbeTestCase(ImageTestCase):
    silent = False

    def run_program(self, args, **kwargs):
        kwargs.setdefault("program", options.probe)
        return super().run_program(args, **kwargs)

    def convert(self, args):
        """Runs the converter itself, as a user would to make an image."""
        result = harness.run(args, self.folder)
        self.assertEqual((result.returncode, result.stderr), (0, b""))

    def assert_probe(self, args, status, stdout, stderr="", **kwargs):
        """stdout and stderr may name the program as {name}."""
        result = self.run_program(args, **kwargs)
        self.assertEqual((result.returncode, result.stdout.decode(), result.stderr.decode()),
                         (status, stdout.replace("{name}", result.name), stderr.replace("{name}", result.name)))
        return result


class Results(ProbeTestCase):

    def test_each_kind_of_volume_in_each_order(self):
        for kind in SIGNATURES:
            with self.subTest(kind):
                pdp = pdp_volume(kind)
                write(self.path("volume.pdp"), pdp)
                write(self.path("model.pro"), harness.to_pro(pdp))
                self.convert(["volume.pdp", "converted.pro"])
                self.assertEqual(read(self.path("converted.pro")), read(self.path("model.pro")))
                for name, order in (("volume.pdp", "pdp"), ("model.pro", "pro"), ("converted.pro", "pro")):
                    self.assert_probe([name], 0, f'{name}: {order} order, {kind} "VOLUME"\n')
                # The way back gives the pdp-order image, and the probe says so.
                self.convert(["-f", "converted.pro", "back.pdp"])
                self.assert_probe(["back.pdp"], 0, f'back.pdp: pdp order, {kind} "VOLUME"\n')

    def test_images_whose_order_cannot_be_told(self):
        rt11 = SIGNATURES["RT-11 volume"]
        images = {
            # (image, what is said of it)
            "blank": (bytes(IMAGE_SIZE), "unknown order, no RT-11 or Files-11 home block"),
            "no home block": (harness.patterned_image(9), "unknown order, no RT-11 or Files-11 home block"),
            "home blocks in both orders": (
                with_home_block(pdp_volume("RT-11 volume"), HOME_BLOCK_IN_PRO_ORDER, SIGNATURES["Files-11 ODS-2 volume"]),
                "ambiguous order, home blocks in both orders"),
            # Near misses, each of which a faulty probe could take for a home block.
            "signature one byte early": (
                with_home_block(bytes(IMAGE_SIZE), 1, rt11, signature_offset=SIGNATURE_OFFSET - 1),
                "unknown order, no RT-11 or Files-11 home block"),
            "signature one byte late": (
                with_home_block(bytes(IMAGE_SIZE), 1, rt11, signature_offset=SIGNATURE_OFFSET + 1),
                "unknown order, no RT-11 or Files-11 home block"),
            "signature without its blanks": (
                with_home_block(bytes(IMAGE_SIZE), 1, b"DECRT11A\0\0\0\0"),
                "unknown order, no RT-11 or Files-11 home block"),
            "signature in lower case": (
                with_home_block(bytes(IMAGE_SIZE), 1, b"decrt11a    "),
                "unknown order, no RT-11 or Files-11 home block"),
            # pdp block 0 in either order, and the pro block that holds pdp block 1 read as pdp order.
            "home block in image block 0": (with_home_block(bytes(IMAGE_SIZE), 0, rt11),
                                            "unknown order, no RT-11 or Files-11 home block"),
            "home block where pro order keeps pdp block 0": (
                with_home_block(bytes(IMAGE_SIZE), harness.pro_block_of_pdp_block(0), rt11),
                "unknown order, no RT-11 or Files-11 home block"),
            "home block in image block 2": (with_home_block(bytes(IMAGE_SIZE), 2, rt11),
                                            "unknown order, no RT-11 or Files-11 home block"),
        }
        for what, (image, said) in images.items():
            with self.subTest(what):
                write(self.path("image.img"), image)
                self.assert_probe(["image.img"], 1, f"image.img: {said}\n")

    def test_files_that_are_not_images(self):
        os.mkdir(self.path("folder"))
        cases = [
            # (file contents or None for the folder, what is said of it)
            (b"", "not an RX50 image, 0 bytes"),
            (b"\0" * (IMAGE_SIZE - 1), "not an RX50 image, 409599 bytes"),
            (pdp_volume("RT-11 volume") + b"\0", "not an RX50 image, 409601 bytes"),
            (pdp_volume("RT-11 volume") * 2, "not an RX50 image, 819200 bytes"),
        ]
        for contents, said in cases:
            with self.subTest(said):
                write(self.path("file.img"), contents)
                self.assert_probe(["file.img"], 1, f"file.img: {said}\n")
        self.assert_probe(["folder"], 1, "folder: not an RX50 image, not a regular file\n")

    def test_devices_and_fifos_are_never_opened(self):
        self.posix_only("FIFOs and /dev/null")
        # Opening a FIFO with no writer would wait for ever: the timeout
        # of a run would end the test.
        os.mkfifo(self.path("fifo"))
        for path in ("fifo", "/dev/null"):
            with self.subTest(path):
                self.assert_probe([path], 1, f"{path}: not an RX50 image, not a regular file\n")

    def test_a_missing_file(self):
        self.assert_probe(["missing.img"], 69, "", f"{{name}}: stat: missing.img: {NO_SUCH_FILE}\n")
        self.assert_probe(["nowhere/disk.img"], 69, "", f"{{name}}: stat: nowhere/disk.img: {NO_SUCH_FILE}\n")


class Labels(ProbeTestCase):
    """Label bytes come from the image: never shown raw."""

    def test_are_trimmed_and_escaped(self):
        cases = [
            (b"MY VOLUME   ", "MY VOLUME"),
            (b"  LEADING   ", "  LEADING"),
            (b"A\0\0 \0 \0\0\0\0\0\0", "A"),
            (b"\0" * 12, ""),
            (b" " * 12, ""),
            (b"A\0B         ", "A\\000B"),
            (b'SAY "HI" \\  ', "SAY \\042HI\\042 \\134"),
            (b"\x1b[2J\x07\t\r\n\x7f\x80\xff ", "\\033[2J\\007\\011\\015\\012\\177\\200\\377"),
            (b"100%s%n%%  X", "100%s%n%%  X"),
        ]
        for label, shown in cases:
            with self.subTest(label=label):
                write(self.path("volume.pdp"), pdp_volume("Files-11 ODS-1 volume", label))
                result = self.assert_probe(["volume.pdp"], 0,
                                           f'volume.pdp: pdp order, Files-11 ODS-1 volume "{shown}"\n')
                self.assertTrue(all(0x20 <= byte <= 0x7E for byte in result.stdout.rstrip(b"\n")))


class SeveralOperands(ProbeTestCase):

    def setUp(self):
        super().setUp()
        rt11 = pdp_volume("RT-11 volume", b"SYSTEM DISK ")
        write(self.path("rt11.pdp"), rt11)
        self.convert(["rt11.pdp", "rt11.pro"])
        write(self.path("files11.pdp"), pdp_volume("Files-11 ODS-2 volume", b"USERDISK    "))
        write(self.path("blank.img"), bytes(IMAGE_SIZE))
        write(self.path("short.img"), bytes(100))

    def test_four_images_in_one_run(self):
        self.assert_probe(["rt11.pdp", "rt11.pro", "files11.pdp", "blank.img"], 1,
                          'rt11.pdp: pdp order, RT-11 volume "SYSTEM DISK"\n'
                          'rt11.pro: pro order, RT-11 volume "SYSTEM DISK"\n'
                          'files11.pdp: pdp order, Files-11 ODS-2 volume "USERDISK"\n'
                          'blank.img: unknown order, no RT-11 or Files-11 home block\n')

    def test_the_status_is_the_largest_of_the_operands(self):
        cases = [
            (["rt11.pdp"], 0),
            (["rt11.pdp", "rt11.pro", "rt11.pdp"], 0),
            (["rt11.pdp", "blank.img"], 1),
            (["short.img", "rt11.pro"], 1),
            (["missing.img", "blank.img"], 69),
            (["rt11.pdp", "missing.img", "short.img"], 69),
        ]
        for args, status in cases:
            with self.subTest(args=args):
                self.assertEqual(self.run_program(args).returncode, status)

    def test_every_operand_gets_one_line_in_operand_order(self):
        args = ["missing.img", "rt11.pdp", "gone.img", "short.img", "rt11.pro", "missing.img"]
        lines = [
            f"{{name}}: stat: missing.img: {NO_SUCH_FILE}\n",
            'rt11.pdp: pdp order, RT-11 volume "SYSTEM DISK"\n',
            f"{{name}}: stat: gone.img: {NO_SUCH_FILE}\n",
            "short.img: not an RX50 image, 100 bytes\n",
            'rt11.pro: pro order, RT-11 volume "SYSTEM DISK"\n',
            f"{{name}}: stat: missing.img: {NO_SUCH_FILE}\n",
        ]
        # Each stream on its own: results on standard output, failures on standard error.
        self.assert_probe(args, 69, "".join(line for line in lines if "{name}" not in line),
                          "".join(line for line in lines if "{name}" in line))
        # Both on one pipe, as with 2>&1: the lines stand in operand order.
        result = self.run_program(args, merge_output=True)
        self.assertEqual((result.returncode, result.stdout.decode()),
                         (69, "".join(lines).replace("{name}", result.name)))


class CommandLine(ProbeTestCase):

    def setUp(self):
        super().setUp()
        write(self.path("disk.img"), pdp_volume("RT-11 volume"))

    def test_no_operand_or_an_option_is_a_usage_error(self):
        cases = [
            # (arguments, the unknown option letter the parser names)
            ([], None),
            (["--"], None),
            (["-x", "disk.img"], "x"),
            (["-t", "disk.img"], "t"),
            (["-f", "--", "disk.img"], "f"),
        ]
        for args, letter in cases:
            with self.subTest(args=args):
                result = self.run_program(args)
                self.assertEqual(result.stdout, b"")
                self.assert_usage(result, unknown_option=letter, usage=USAGE)

    def test_operands_are_file_names_after_the_first(self):
        # "--" ends the options, a lone "-" is a file name, and nothing after
        # the first operand is taken as an option.
        write(self.path("-x"), pdp_volume("RT-11 volume"))
        write(self.path("-"), bytes(IMAGE_SIZE))
        self.assert_probe(["--", "-x", "-"], 1,
                          '-x: pdp order, RT-11 volume "VOLUME"\n'
                          "-: unknown order, no RT-11 or Files-11 home block\n")
        self.assert_probe(["disk.img", "-x"], 0,
                          'disk.img: pdp order, RT-11 volume "VOLUME"\n-x: pdp order, RT-11 volume "VOLUME"\n')

    def test_paths_are_shown_as_given(self):
        os.mkdir(self.path("sub"))
        write(self.path("sub/100%s.img"), pdp_volume("RT-11 volume"))
        self.assert_probe(["sub/../sub/100%s.img"], 0, 'sub/../sub/100%s.img: pdp order, RT-11 volume "VOLUME"\n')

    def test_program_name_is_what_follows_the_last_backslash(self):
        if harness.windows():
            os.makedirs(self.path("bin/tools"))
            shutil.copy(options.probe, self.path("bin/tools/conv.exe"))
            self.assert_probe([], 64, "", USAGE.format(name="conv.exe"), program=self.path("bin/tools/conv.exe"))
            return
        for argv0, name in (("bin\\tools\\probe", "probe"), ("./probe", "./probe"), ("bin\\", "")):
            with self.subTest(argv0=argv0):
                self.assert_probe([], 64, "", USAGE.format(name=name), argv0=argv0)
                self.assert_probe(["missing.img"], 69, "", f"{name}: stat: missing.img: {NO_SUCH_FILE}\n",
                                  argv0=argv0)

    def test_wildcards_are_expanded_only_by_windows_start_up_code(self):
        write(self.path("disk.vol"), pdp_volume("RT-11 volume"))
        write(self.path("other.vol"), bytes(IMAGE_SIZE))
        if harness.windows():
            self.assert_probe(["*.vol"], 1, 'disk.vol: pdp order, RT-11 volume "VOLUME"\n'
                              "other.vol: unknown order, no RT-11 or Files-11 home block\n")
        else:
            self.assert_probe(["*.vol"], 69, "", f"{{name}}: stat: *.vol: {NO_SUCH_FILE}\n")


class Output(ProbeTestCase):

    def test_a_result_that_cannot_be_written_is_a_failure(self):
        self.posix_only("/dev/full")
        write(self.path("disk.img"), pdp_volume("RT-11 volume"))
        result = self.run_program(["disk.img"], stdout_path="/dev/full")
        self.assertEqual((result.returncode, result.stderr.decode()),
                         (74, f"{result.name}: write: standard output: No space left on device\n"))


class StartUp(ProbeTestCase):

    def test_a_closed_standard_output_is_never_an_image(self):
        # The image would take descriptor 1, and its result would be written
        # to it. With the null device standing there the result is dropped,
        # as the caller asked, and the failure still reaches standard error.
        self.closed_descriptors_possible()
        write(self.path("disk.img"), pdp_volume("RT-11 volume"))
        self.assert_probe(["disk.img", "missing.img"], 69, "", f"{{name}}: stat: missing.img: {NO_SUCH_FILE}\n",
                          wrapper=harness.with_closed(">&-"))

    def test_an_empty_argument_vector_gets_the_built_in_name(self):
        self.posix_only("execve with an empty argument vector")
        if options.emulator or options.memcheck:
            self.skipTest("the program must be started directly")
        status, stdout, stderr = harness.run_with_empty_argument_vector(options.probe, self.folder)
        self.assertEqual((status, stdout, stderr.decode()), (64, b"", USAGE.format(name="rx50probe")))


if __name__ == "__main__":
    harness.main()
