"""The manuals' examples, taken from the manuals' own text and run as a user
would type them, with the programs on PATH, in a folder of awkwardly named
images: every command must do what the manual says of it, and the batch
examples must end with a failing status when a conversion fails."""

import os
import re
import subprocess

import harness
from harness import IMAGE_SIZE, ImageTestCase, options, read, write

# Names a careless example would break on: blanks, quotes, a backslash, a
# newline, a leading dash, a pattern character.
AWKWARD_NAMES = ["-x", "a b", "it's", '"quoted"', "back\\slash", "new\nline", "*", "--"]


def examples(manual):
    """The example displays of a manual's source: for each, a list of
    (command, expected output) with the roff escapes undone. A command is a
    line that begins with "$ " and the more deeply indented lines after it."""
    text = read(manual).decode()
    section = text.split(".Sh EXAMPLES\n", 1)[1].split("\n.Sh ", 1)[0]
    displays = re.findall(r"^\.Bd -literal[^\n]*\n(.*?)^\.Ed$", section, re.S | re.M)
    unescape = {"\\-": "-", "\\e": "\\", "\\&": "", "\\(dq": '"'}
    result = []
    for display in displays:
        display = re.sub(r"\\-|\\e|\\&|\\\(dq", lambda m: unescape[m.group(0)], display)
        commands = []
        for line in display.splitlines():
            if line.startswith("$ "):
                commands.append([line[2:], ""])
            elif line.startswith(" "):
                commands[-1][0] += "\n" + line
            else:
                commands[-1][1] += line + "\n"
        result.append([tuple(command) for command in commands])
    return result


class ManualExamples(ImageTestCase):
    silent = False

    def setUp(self):
        super().setUp()
        self.posix_only("the examples are for a POSIX shell")
        bin_folder = os.path.join(self._logs.name, "bin")
        os.mkdir(bin_folder)
        for program in (options.program, options.probe):
            os.symlink(program, os.path.join(bin_folder, os.path.basename(program)))
        self.env = dict(os.environ, PATH=bin_folder + os.pathsep + os.environ["PATH"], LC_ALL="C")

    def shell(self, command, folder=None):
        return subprocess.run(["sh", "-c", command], cwd=folder or self.folder, env=self.env, capture_output=True,
                              timeout=120, check=False)

    @staticmethod
    def images(folder):
        """Awkwardly named pdp-order images, each different."""
        os.makedirs(folder, exist_ok=True)
        images = {}
        for n, name in enumerate(AWKWARD_NAMES):
            path = os.path.join(folder, name + ".pdp")
            images[path] = harness.patterned_image(20 + n)
            write(path, images[path])
        return images

    def assert_converted(self, images):
        for path, image in images.items():
            self.assertEqual(read(path[:-4] + ".pro"), harness.to_pro(image), path)

    def run_display(self, display, folder=None):
        """Runs each command of a display: each must succeed and print just
        what the manual shows after it."""
        for command, expected in display:
            result = self.shell(command, folder)
            self.assertEqual((result.returncode, result.stdout.decode(), result.stderr.decode()), (0, expected, ""),
                             command)

    def test_the_round_trip(self):
        [round_trip] = [d for d in examples(options.manual_rx50order) if "cmp " in d[-1][0]]
        write(self.path("disk.pdp"), self.pdp)
        self.run_display(round_trip)
        self.assertEqual(read(self.path("disk.pro")), self.pro)

    def test_the_batch_conversions(self):
        batches = [d for d in examples(options.manual_rx50order) if "*.pdp" in d[0][0]]
        self.assertEqual(len(batches), 2)
        for n, display in enumerate(batches):
            [(command, _)] = display
            below = "find " in command
            with self.subTest(command):
                # Every image converted, whatever its name: in the folder,
                # and below it where the example says so.
                folder = self.path(f"batch{n}")
                images = self.images(folder)
                nested = self.images(os.path.join(folder, "sub dir"))
                self.run_display(display, folder)
                self.assert_converted(images)
                if below:
                    self.assert_converted(nested)
                else:
                    self.assertFalse(any(name.endswith(".pro") for name in os.listdir(os.path.join(folder, "sub dir"))))
                # A failed conversion ends the example with a failing status.
                write(os.path.join(folder, "bad.pdp"), bytes(IMAGE_SIZE - 1))
                result = self.shell(command, folder)
                self.assertEqual(result.returncode, 123 if below else 69, result.stderr)
                self.assertIn(b"rx50order: Invalid file size of ./bad.pdp\n", result.stderr)

    def test_a_batch_with_no_image_fails(self):
        [loop] = [d for d in examples(options.manual_rx50order) if "for f in" in d[0][0]]
        os.remove(self.path("pdp.img"))
        result = self.shell(loop[0][0])
        self.assertEqual((result.returncode, result.stderr.decode()),
                         (69, "rx50order: stat: ./*.pdp: No such file or directory\n"))

    def test_the_probe_examples(self):
        probe_then_convert, probe_all = examples(options.manual_rx50probe)
        volume = bytearray(self.pdp)
        volume[512 + 472:512 + 484] = b"MYDISK      "
        volume[512 + 496:512 + 508] = b"DECRT11A    "
        write(self.path("disk.img"), volume)
        self.run_display(probe_then_convert)
        self.assertEqual(read(self.path("disk.pro")), harness.to_pro(bytes(volume)))
        # Every image told, whatever its name.
        folder = self.path("all")
        os.mkdir(folder)
        for name in AWKWARD_NAMES:
            write(os.path.join(folder, name + ".img"), volume)
        [(command, _)] = probe_all
        result = self.shell(command, folder)
        self.assertEqual((result.returncode, result.stderr), (0, b""))
        self.assertEqual(result.stdout.count(b'pdp order, RT-11 volume "MYDISK"\n'), len(AWKWARD_NAMES))


if __name__ == "__main__":
    harness.main()
