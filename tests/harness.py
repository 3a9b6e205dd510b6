"""Shared pieces of the whole-program tests: how to run the program, the
images it works on, and an independent model of the two block orders."""

import argparse
import contextlib
import ctypes
import os
import random
import re
import subprocess
import sys
import tempfile
import unittest

BLOCK_SIZE = 512
BLOCK_COUNT = 800
IMAGE_SIZE = BLOCK_SIZE * BLOCK_COUNT

USAGE = ("usage: {name} [-t] pdp-rx-file pro-rx-file\n"
         "       {name} -f pro-rx-file pdp-rx-file\n")

# What stands at the output path before a run that must not touch it.
PREVIOUS_OUTPUT = b"an earlier output, kept until the output is opened\n" * 100

# The status memcheck ends a run with when it finds an error; the program
# itself never uses it.
MEMCHECK_ERROR = 99

# Filled in from the command line by main().
options = argparse.Namespace()


def pro_block_of_pdp_block(n):
    """Where pdp block n stands in pro order: 2:1 interleave, a skew of 2 per
    track, and the whole disk moved up one track."""
    track, slot = divmod(n, 10)
    interleaved = 2 * slot if slot <= 4 else 2 * slot - 9
    return 10 * ((track + 1) % 80) + (interleaved + 2 * track) % 10


def blocks(image):
    return [image[b * BLOCK_SIZE:(b + 1) * BLOCK_SIZE] for b in range(BLOCK_COUNT)]


def to_pro(pdp_image):
    pro = [b""] * BLOCK_COUNT
    for n, block in enumerate(blocks(pdp_image)):
        pro[pro_block_of_pdp_block(n)] = block
    return b"".join(pro)


def to_pdp(pro_image):
    pro = blocks(pro_image)
    return b"".join(pro[pro_block_of_pdp_block(n)] for n in range(BLOCK_COUNT))


def stamped(image):
    """The image with each block's number in its first two bytes, so that no
    two blocks are alike and a block moved to the wrong place always shows."""
    return b"".join(b.to_bytes(2, "big") + block[2:] for b, block in enumerate(blocks(image)))


def has_distinct_blocks(image):
    return len(set(blocks(image))) == BLOCK_COUNT


def patterned_image(seed):
    """Every byte value many times over, and each block stamped with its
    number."""
    return stamped(bytes((i * 7 + (i >> 9) * 13 + seed) & 0xFF for i in range(IMAGE_SIZE)))


def random_image(seed):
    return stamped(random.Random(seed).randbytes(IMAGE_SIZE))


def windows():
    return options.platform == "windows"


def emulator():
    """The command that runs a cross-built program, words separated by blanks."""
    return options.emulator.split()


def built_in_name(program):
    """The name a program gives itself: its file's, less any .exe."""
    return os.path.splitext(os.path.basename(program))[0]


def shown_name(program, argv0, started_by_path):
    """The name the program shows: the part of argv[0] after the last
    backslash. Wine, valgrind and fiu-run start it by its path, which on
    Windows ends in the file name."""
    if windows():
        return os.path.basename(program)
    return program if started_by_path else argv0 or built_in_name(program)


def run(args, cwd, argv0=None, env=None, wrapper=(), program=None, valgrind_log=None, merge_output=False,
        stdout_path=None):
    """Runs the program (the one under test unless another is given) with the
    given arguments; argv0 is set where the platform lets it be, and a wrapper
    (a fault injector, a tracer) stands in front of the program when given.
    With valgrind_log, the program runs under valgrind's memcheck, which
    reports there. With merge_output, standard error goes where standard
    output does, as with 2>&1; with stdout_path, standard output goes to that
    file."""
    program = program or options.program
    full_env = dict(os.environ)
    full_env.update(env or {})
    executable = None
    if valgrind_log:
        assert argv0 is None, "valgrind starts the program by its path"
        wrapper = [*wrapper, options.valgrind, f"--error-exitcode={MEMCHECK_ERROR}", f"--log-file={valgrind_log}"]
    if windows():
        assert argv0 is None and not wrapper, "Wine gives the program its own path as argv[0]"
        command = [*emulator(), program, *args]
    elif options.emulator:
        assert not wrapper, "the wrappers are for programs of the build machine"
        command = [*emulator(), "-0", argv0 or built_in_name(program), program, *args]
    elif wrapper:
        command = [*wrapper, program, *args]
    else:
        command = [argv0 or built_in_name(program), *args]
        executable = program
    for attempt in range(3):
        with open(stdout_path, "wb") if stdout_path else contextlib.nullcontext(subprocess.PIPE) as stdout:
            result = subprocess.run(command, executable=executable, cwd=cwd, env=full_env, stdin=subprocess.DEVNULL,
                                    stdout=stdout, stderr=subprocess.STDOUT if merge_output else subprocess.PIPE,
                                    timeout=120, check=False)
        # Under load, Wine has been seen to fail to start a program: status 1
        # and not a byte of output, which neither program ever gives (the
        # probe's status 1 always comes with a line). Such a run is tried
        # again; a fault of the program's own would show every time.
        if not (windows() and result.returncode == 1 and not result.stdout and not result.stderr):
            break
        print(f"Wine did not start the program (attempt {attempt + 1}): {command}", file=sys.stderr)
    result.stdout = result.stdout or b""
    if windows():
        # Standard output and error are text streams there: lines end in CR LF.
        result.stdout = result.stdout.replace(b"\r\n", b"\n")
        result.stderr = (result.stderr or b"").replace(b"\r\n", b"\n")
    result.name = shown_name(program, argv0, started_by_path=bool(wrapper))
    return result


def with_closed(descriptors):
    """A wrapper that starts the program with standard descriptors closed,
    as a shell's redirections say them: "<&- 2>&-"."""
    return ["sh", "-c", f'exec "$@" {descriptors}', "sh"]


def run_with_empty_argument_vector(program, cwd):
    """Starts the program with no argument at all, as execve with an empty
    argv does; returns (status, standard output, standard error)."""
    libc = ctypes.CDLL(None, use_errno=True)
    out_read, out_write = os.pipe()
    err_read, err_write = os.pipe()
    pid = os.fork()
    if pid == 0:
        try:
            os.chdir(cwd)
            os.dup2(out_write, 1)
            os.dup2(err_write, 2)
            no_arguments = (ctypes.c_char_p * 1)(None)
            libc.execve(program.encode(), no_arguments, no_arguments)
        finally:
            os._exit(127)
    os.close(out_write)
    os.close(err_write)
    with os.fdopen(out_read, "rb") as out, os.fdopen(err_read, "rb") as err:
        stdout, stderr = out.read(), err.read()
    _, status = os.waitpid(pid, 0)
    return os.waitstatus_to_exitcode(status), stdout, stderr


def read(path):
    with open(path, "rb") as file:
        return file.read()


def write(path, data):
    with open(path, "wb") as file:
        file.write(data)


def snapshot(directory):
    """Every regular file below directory with its contents, links left as links."""
    files = {}
    for root, _, names in os.walk(directory):
        for name in names:
            path = os.path.join(root, name)
            if os.path.isfile(path) and not os.path.islink(path):
                files[os.path.relpath(path, directory)] = read(path)
    return files


class ImageTestCase(unittest.TestCase):
    """A fresh folder per test holding a pdp-order image and its pro-order
    form, made by the model above rather than by the program."""

    maxDiff = None
    # The converter never writes on standard output.
    silent = True

    def setUp(self):
        self._folder = tempfile.TemporaryDirectory(prefix="rx50order-test-")
        self.folder = self._folder.name
        # Beside the images, not among them: a test may compare every file there.
        self._logs = tempfile.TemporaryDirectory(prefix="rx50order-memcheck-")
        self.pdp = patterned_image(0)
        self.pro = to_pro(self.pdp)
        write(self.path("pdp.img"), self.pdp)
        write(self.path("pro.img"), self.pro)

    def tearDown(self):
        self._folder.cleanup()
        self._logs.cleanup()

    def path(self, name):
        return os.path.join(self.folder, name)

    def run_program(self, args, **kwargs):
        """Runs the program in the test's folder. With --memcheck every run is
        also a memory check: no error and not one heap allocation."""
        if options.memcheck and kwargs.get("argv0"):
            self.skipTest("under memcheck the program is started by its path, so argv[0] cannot be chosen")
        log = os.path.join(self._logs.name, "memcheck.log") if options.memcheck else None
        result = run(args, self.folder, valgrind_log=log, **kwargs)
        if self.silent:
            self.assertEqual(result.stdout, b"", "nothing is ever written on standard output")
        if log:
            report = read(log).decode()
            self.assertNotEqual(result.returncode, MEMCHECK_ERROR, report)
            self.assertIn("ERROR SUMMARY: 0 errors", report)
            self.assertIn("total heap usage: 0 allocs, 0 frees, 0 bytes allocated", report)
            os.remove(log)
        return result

    def assert_fails(self, result, status, stderr):
        """stderr may name the program as {name}."""
        expected = stderr.replace("{name}", result.name)
        self.assertEqual((result.returncode, result.stderr.decode()), (status, expected))

    def assert_fails_leaving_output_alone(self, run, status, stderr):
        """For a run that fails before opening the output, out.img: run()
        twice, once with an earlier output there and once with none. Each
        time the failure is reported and nothing in the folder changes: the
        earlier output stays as it was, a missing one is not created."""
        output = self.path("out.img")
        for output_exists in (True, False):
            with self.subTest(output_exists=output_exists):
                if output_exists:
                    write(output, PREVIOUS_OUTPUT)
                before = snapshot(self.folder)
                self.assert_fails(run(), status, stderr)
                self.assertEqual(snapshot(self.folder), before)
                self.assertEqual(os.path.exists(output), output_exists)
                if output_exists:
                    os.remove(output)

    def assert_usage(self, result, unknown_option=None, usage=USAGE):
        """The usage text, after the option parser's own line for the unknown
        option letter when one is given. The parser words its line itself,
        but it always names the letter."""
        self.assertEqual(result.returncode, 64)
        text = result.stderr.decode()
        if unknown_option:
            parser_line, text = text.split("\n", 1)
            self.assertRegex(parser_line, f"^.+: (invalid|unknown|illegal) option -- '?{re.escape(unknown_option)}'?$")
        self.assertEqual(text, usage.format(name=result.name))

    def posix_only(self, why):
        if windows():
            self.skipTest(f"POSIX only: {why}")

    def closed_descriptors_possible(self):
        """Runs with standard descriptors closed say something only of a
        program started directly: an emulator or valgrind opens files of its
        own in the descriptors left closed."""
        self.posix_only("closed descriptors")
        if options.emulator or options.memcheck:
            self.skipTest("under an emulator or valgrind, which open files of their own in closed descriptors")

    def assert_succeeds(self, result):
        self.assertEqual((result.returncode, result.stderr.decode()), (0, ""))


# A suite may add options of its own before calling main().
parser = argparse.ArgumentParser(add_help=False)


def main():
    parser.add_argument("--program", required=True, help="the converter")
    parser.add_argument("--probe", help="the probe")
    parser.add_argument("--platform", choices=["posix", "windows"], default="posix")
    parser.add_argument("--emulator")
    parser.add_argument("--fault-library")
    parser.add_argument("--fiu-run")
    parser.add_argument("--strace")
    parser.add_argument("--valgrind")
    parser.add_argument("--memcheck", action="store_true", help="run every run of the program under valgrind")
    parser.add_argument("--coverage", action="store_true", help="the program saves coverage counts at exit")
    parser.add_argument("--readelf")
    parser.add_argument("--manual-rx50order", help="the manual's source, for its examples")
    parser.add_argument("--manual-rx50probe", help="the manual's source, for its examples")
    known, rest = parser.parse_known_args()
    for name, value in vars(known).items():
        setattr(options, name, os.path.abspath(value) if name in ("program", "probe") and value else value)
    unittest.main(argv=[sys.argv[0], *rest])
