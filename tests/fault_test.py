"""Failures the system will not produce on request, injected into the real
program: with libfiu where it can say what is wanted, otherwise with our own
preloaded library (a fault at the n-th call on the image files only)."""

import os

import harness
from harness import BLOCK_SIZE, ImageTestCase, options, read

EIO_TEXT = os.strerror(5)

GATHER = ["pdp.img", "out.img"]
SCATTER = ["-f", "pro.img", "out.img"]


class FaultTestCase(ImageTestCase):

    def run_with_fiu(self, fault_point, args, errno_value=None, **kwargs):
        if options.memcheck:
            self.skipTest("libfiu allocates memory of its own, and its faults would reach valgrind too")
        command = f"enable name={fault_point}"
        if errno_value is not None:
            command += f",failinfo={errno_value}"
        return self.run_program(args, wrapper=[options.fiu_run, "-x", "-c", command], **kwargs)

    def run_with_fault(self, fault, args, **kwargs):
        return self.run_program(args, env={"LD_PRELOAD": options.fault_library, "RX50ORDER_FAULT": fault}, **kwargs)


class InputOpenFails(FaultTestCase):

    def test_reports_and_leaves_the_output_path_alone(self):
        injectors = {
            "fiu": lambda args: self.run_with_fiu("posix/io/oc/open", args, errno_value=13),
            # Fails the first open only, so that what instrumentation opens
            # at exit still can be.
            "own": lambda args: self.run_with_fault("open:1:fail", args),
        }
        for injector, run in injectors.items():
            for args in (GATHER, SCATTER):
                with self.subTest(injector=injector, args=args):
                    if injector == "fiu" and options.coverage:
                        self.skipTest("libfiu would fail the opens that save the coverage counts too")
                    self.assert_fails_leaving_output_alone(
                        lambda: run(args), 69, f"{{name}}: open: {args[-2]}: Permission denied\n")


class CopyFails(FaultTestCase):

    def test_failed_calls_are_reported_with_the_file_they_concern(self):
        cases = [
            # (fault point, errno, arguments, message after the name)
            ("posix/io/rw/read", 5, GATHER, f"read: pdp.img: {EIO_TEXT}"),
            ("posix/io/rw/read", 5, SCATTER, f"read: pro.img: {EIO_TEXT}"),
            ("posix/io/rw/write", 28, GATHER, "write: out.img: No space left on device"),
            ("posix/io/rw/write", 28, SCATTER, "write: out.img: No space left on device"),
        ]
        for fault_point, errno_value, args, message in cases:
            with self.subTest(fault_point=fault_point, args=args):
                result = self.run_with_fiu(fault_point, args, errno_value)
                self.assert_fails(result, 74, f"{{name}}: {message}\n")
                self.assertEqual(read(self.path(args[-2])), self.pdp if args is GATHER else self.pro)

    def test_short_reads_end_the_run_in_both_directions(self):
        # libfiu cuts every read by a random amount; the first cut one ends the run.
        for args in (GATHER, SCATTER):
            with self.subTest(args=args):
                result = self.run_with_fiu("posix/io/rw/read/reduce", args)
                self.assert_fails(result, 74, f"{{name}}: read: {args[-2]}: Short read\n")

    def test_partial_writes_are_continued_to_the_whole_block(self):
        injectors = {
            # libfiu cuts every write by a random amount, ours to 100 bytes.
            "fiu": lambda args: self.run_with_fiu("posix/io/rw/write/reduce", args),
            "own": lambda args: self.run_with_fault("write:0:short", args),
        }
        for injector, run in injectors.items():
            for args, expected in ((GATHER, self.pro), (SCATTER, self.pdp)):
                with self.subTest(injector=injector, args=args):
                    self.assert_succeeds(run(args))
                    self.assertEqual(read(self.path("out.img")), expected)

    def test_faults_at_a_chosen_call(self):
        cases = [
            # (fault, arguments, status, message)
            ("lseek:1:fail", GATHER, 74, f"lseek: pdp.img: {EIO_TEXT}"),
            ("lseek:400:fail", GATHER, 74, f"lseek: pdp.img: {EIO_TEXT}"),
            ("lseek:1:fail", SCATTER, 74, f"lseek: out.img: {EIO_TEXT}"),
            ("lseek:800:fail", SCATTER, 74, f"lseek: out.img: {EIO_TEXT}"),
            ("read:1:short", GATHER, 74, "read: pdp.img: Short read"),
            ("read:800:short", GATHER, 74, "read: pdp.img: Short read"),
            ("read:400:zero", GATHER, 74, "read: pdp.img: Short read"),
            ("read:400:short", SCATTER, 74, "read: pro.img: Short read"),
            ("read:800:zero", SCATTER, 74, "read: pro.img: Short read"),
            ("read:400:fail", SCATTER, 74, f"read: pro.img: {EIO_TEXT}"),
            ("write:1:zero", GATHER, 74, "write: out.img: Short write"),
            ("write:800:zero", SCATTER, 74, "write: out.img: Short write"),
            ("write:400:fail", SCATTER, 74, f"write: out.img: {EIO_TEXT}"),
            # The first close is of the null device, opened at start-up to
            # see that descriptors 0 to 2 are in use; then the input's, then
            # the output's.
            ("close:3:fail", GATHER, 74, f"close: out.img: {EIO_TEXT}"),
            ("close:3:fail", SCATTER, 74, f"close: out.img: {EIO_TEXT}"),
        ]
        for fault, args, status, message in cases:
            with self.subTest(fault=fault, args=args):
                self.assert_fails(self.run_with_fault(fault, args), status, f"{{name}}: {message}\n")
                self.assertEqual(read(self.path(args[-2])), self.pdp if args is GATHER else self.pro)

    def test_a_failed_close_of_the_input_changes_nothing(self):
        self.assert_succeeds(self.run_with_fault("close:2:fail", GATHER))
        self.assertEqual(read(self.path("out.img")), self.pro)

    def test_output_keeps_the_blocks_written_before_the_failure(self):
        # Gathering writes the output in sequence: 400 whole blocks stand.
        self.assert_fails(self.run_with_fault("write:401:fail", GATHER), 74,
                          f"{{name}}: write: out.img: {EIO_TEXT}\n")
        self.assertEqual(read(self.path("out.img")), self.pro[:400 * BLOCK_SIZE])


class InputChangesAfterItsCheck(FaultTestCase):
    """The input is checked by its path, then opened: what was opened is
    checked again before the output is touched."""

    def test_a_file_swapped_in_before_the_open_is_refused(self):
        cases = [
            # (what is renamed onto the input path, message)
            (self.pdp * 2, "{name}: Invalid file size of pdp.img\n"),
            (self.pdp[:-1], "{name}: Invalid file size of pdp.img\n"),
        ]
        for contents, message in cases:
            for args in (["pdp.img", "out.img"], ["-f", "pdp.img", "out.img"]):
                with self.subTest(size=len(contents), args=args):
                    def run():
                        harness.write(self.path("pdp.img"), self.pdp)
                        harness.write(self.path("swapped.img"), contents)
                        result = self.run_program(args, env={
                            "LD_PRELOAD": options.fault_library, "RX50ORDER_FAULT": "open:1:swap",
                            "RX50ORDER_SWAP_WITH": self.path("swapped.img")})
                        # The swap happened: the input path names the other file now.
                        self.assertEqual(read(self.path("pdp.img")), contents)
                        harness.write(self.path("pdp.img"), self.pdp)
                        return result
                    self.assert_fails_leaving_output_alone(run, 69, message)

    def test_a_failed_status_of_the_open_input_is_reported(self):
        self.assert_fails_leaving_output_alone(lambda: self.run_with_fault("fstat:1:fail", GATHER), 69,
                                               f"{{name}}: stat: pdp.img: {EIO_TEXT}\n")


class StandardDescriptors(FaultTestCase):

    def test_a_message_never_lands_in_the_output(self):
        # Without descriptors 0 and 2 the input would take 0 and the output
        # 2, where the message of the failed read would be written.
        if options.memcheck:
            self.skipTest("libfiu allocates memory of its own, and its faults would reach valgrind too")
        fiu = [options.fiu_run, "-x", "-c", "enable name=posix/io/rw/read,failinfo=5"]
        result = self.run_program(SCATTER, wrapper=[*harness.with_closed("<&- 2>&-"), *fiu])
        self.assertEqual((result.returncode, read(self.path("out.img"))), (74, b""))

    def test_without_a_null_device(self):
        # Harmless while descriptors 0 to 2 are open; otherwise an image could
        # take one, and the run stops before anything is opened.
        self.assert_succeeds(self.run_with_fault("nullopen:1:fail", GATHER))
        self.assertEqual(read(self.path("out.img")), self.pro)
        self.closed_descriptors_possible()
        for descriptors in ("<&-", ">&-"):
            with self.subTest(closed=descriptors):
                self.assert_fails_leaving_output_alone(
                    lambda: self.run_with_fault("nullopen:1:fail", GATHER,
                                                wrapper=harness.with_closed(descriptors)), 69,
                    "{name}: open: /dev/null: Permission denied\n")


class ProbeFaults(FaultTestCase):
    """The probe reports a failed image and goes on to the next operand."""

    silent = False

    def setUp(self):
        super().setUp()
        # Two copies of one RT-11 volume: the fault strikes the first or the second.
        volume = bytearray(self.pdp)
        volume[BLOCK_SIZE + 496:BLOCK_SIZE + 508] = b"DECRT11A    "
        volume[BLOCK_SIZE + 472:BLOCK_SIZE + 484] = b"VOLUME      "
        for name in ("first.img", "second.img"):
            harness.write(self.path(name), volume)

    def probe(self, run):
        return run(["first.img", "second.img"], program=options.probe)

    def test_failures_at_each_call(self):
        first = 'first.img: pdp order, RT-11 volume "VOLUME"\n'
        second = 'second.img: pdp order, RT-11 volume "VOLUME"\n'
        cases = [
            # (fault, status, standard output, message after the name)
            ("open:1:fail", 69, second, "open: first.img: Permission denied"),
            ("open:2:fail", 69, first, "open: second.img: Permission denied"),
            ("lseek:1:fail", 74, second, f"lseek: first.img: {EIO_TEXT}"),
            ("lseek:4:fail", 74, first, f"lseek: second.img: {EIO_TEXT}"),
            ("read:1:fail", 74, second, f"read: first.img: {EIO_TEXT}"),
            ("read:2:fail", 74, second, f"read: first.img: {EIO_TEXT}"),
            ("read:3:fail", 74, first, f"read: second.img: {EIO_TEXT}"),
            ("read:1:short", 74, second, "read: first.img: Short read"),
            ("read:2:zero", 74, second, "read: first.img: Short read"),
            ("read:4:short", 74, first, "read: second.img: Short read"),
        ]
        for fault, status, stdout, message in cases:
            with self.subTest(fault=fault):
                result = self.probe(lambda args, **kwargs: self.run_with_fault(fault, args, **kwargs))
                self.assertEqual((result.returncode, result.stdout.decode(), result.stderr.decode()),
                                 (status, stdout, f"{result.name}: {message}\n"))

    def test_failures_injected_by_libfiu(self):
        cases = [
            ("posix/io/rw/read", 5, f"read: first.img: {EIO_TEXT}\n{{name}}: read: second.img: {EIO_TEXT}"),
            ("posix/io/rw/read/reduce", None, "read: first.img: Short read\n{name}: read: second.img: Short read"),
        ]
        for fault_point, errno_value, messages in cases:
            with self.subTest(fault_point=fault_point):
                result = self.probe(lambda args, **kwargs: self.run_with_fiu(fault_point, args, errno_value, **kwargs))
                self.assertEqual((result.returncode, result.stdout.decode(), result.stderr.decode()),
                                 (74, "", f"{result.name}: {messages}\n".replace("{name}", result.name)))


if __name__ == "__main__":
    harness.main()
