"""Thousands of random command lines, each run through the real program and
held against a model of the command line written here: the exit status and
message, nothing on standard output, the input never changed, and an output
left as it was by every run that fails before opening it.

The seed is printed; --seed replays a run, --cases sets its length."""

import collections
import os
import random
import sys
import unittest

import harness
from harness import IMAGE_SIZE, USAGE, ImageTestCase, options, read, write

# Every token a command line is drawn from. Files: pdp.img and pro.img are
# images, "-" is an image too (an ordinary file name), link.img is a hard
# link to pdp.img, bad.img has the wrong size, out.img is an earlier output,
# folder is a folder; missing.img and new.img do not exist.
TOKENS = ["-t", "-f", "-ft", "-tf", "-tt", "-x", "-fq", "--", "-", "pdp.img", "pro.img", "link.img",
          "bad.img", "out.img", "missing.img", "new.img", "folder"]
LENGTH_WEIGHTS = {0: 1, 1: 2, 2: 8, 3: 6, 4: 3, 5: 1}
HARD_LINKED = {"pdp.img", "link.img"}


def parse(args):
    """What the program makes of a command line: ("usage", the first unknown
    option letter or None) or ("run", pro_to_pdp, input, output)."""
    index, fflag, tflag = 0, False, False
    while index < len(args):
        arg = args[index]
        if arg == "--":
            index += 1
            break
        if arg == "-" or not arg.startswith("-"):
            break
        for letter in arg[1:]:
            if letter not in "ft":
                return ("usage", letter)
            fflag |= letter == "f"
            tflag |= letter == "t"
        index += 1
    operands = args[index:]
    if len(operands) != 2 or (fflag and tflag):
        return ("usage", None)
    return ("run", fflag, *operands)


class RandomCommandLines(ImageTestCase):

    def setUp(self):
        super().setUp()
        write(self.path("-"), harness.patterned_image(3))
        os.link(self.path("pdp.img"), self.path("link.img"))
        write(self.path("bad.img"), self.pdp[:-512])
        write(self.path("out.img"), b"an earlier output\n")
        os.mkdir(self.path("folder"))

    @staticmethod
    def names_of(path):
        """Every name of the file a path names."""
        return HARD_LINKED if path in HARD_LINKED else {path}

    def expect(self, args):
        """(status, message, the output path written on success or None); the
        message is the unknown option letter alone where the parser's line
        and the usage are due."""
        parsed = parse(args)
        if parsed[0] == "usage":
            return 64, parsed[1] or USAGE, None
        _, pro_to_pdp, source, target = parsed
        if not os.path.lexists(self.path(source)):
            return 69, f"{{name}}: stat: {source}: No such file or directory\n", None
        if os.path.isdir(self.path(source)) or os.path.getsize(self.path(source)) != IMAGE_SIZE:
            return 69, f"{{name}}: Invalid file size of {source}\n", None
        if target in self.names_of(source):
            return 69, f"{{name}}: Input and output are the same file: {target}\n", None
        if os.path.isdir(self.path(target)):
            error = "Permission denied" if harness.windows() else "Is a directory"
            return 69, f"{{name}}: open: {target}: {error}\n", None
        image = read(self.path(source))
        return 0, "", (target, harness.to_pdp(image) if pro_to_pdp else harness.to_pro(image))

    def test_random_command_lines_against_the_model(self):
        seed = options.seed if options.seed is not None else random.SystemRandom().randrange(2**32)
        print(f"command lines: seed {seed}, {options.cases} cases (replay with --seed {seed})", file=sys.stderr)
        draw = random.Random(seed)
        statuses = collections.Counter()
        for case in range(options.cases):
            length = draw.choices(list(LENGTH_WEIGHTS), weights=list(LENGTH_WEIGHTS.values()))[0]
            args = draw.choices(TOKENS, k=length)
            with self.subTest(case=case, args=args, seed=seed):
                statuses[self.check(args)] += 1
        print(f"command lines: exit statuses {dict(sorted(statuses.items()))}", file=sys.stderr)

    def check(self, args):
        """Runs one command line and returns the status it ended with."""
        status, message, written = self.expect(args)
        before = harness.snapshot(self.folder)
        result = self.run_program(args)
        if len(message) == 1:
            self.assert_usage(result, unknown_option=message)
        else:
            self.assert_fails(result, status, message)
        after = harness.snapshot(self.folder)
        if written is None:
            # Nothing created, truncated or written, the input included.
            self.assertEqual(after, before)
            return status
        target, expected = written
        previous = before.get(target)
        for name in self.names_of(target):
            self.assertEqual(after.pop(name), expected)
            before.pop(name, None)
        self.assertEqual(after, before, "only the output changes")
        # Put the folder back as it was for the next command line.
        if previous is None:
            os.remove(self.path(target))
        else:
            write(self.path(target), previous)
        return status


if __name__ == "__main__":
    harness.parser.add_argument("--seed", type=int, help="replay the command lines of an earlier run")
    harness.parser.add_argument("--cases", type=int, default=4000, help="how many command lines to run")
    harness.main()
