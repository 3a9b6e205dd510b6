"""scripts/package-check must pass for the real Debian package and fail for
one with a fault planted in any step it checks. It installs each package on
this machine and removes it again, so it needs root or sudo."""

import argparse
import os
import shutil
import subprocess
import sys
import tempfile
import unittest

options = argparse.Namespace()

# Stand-ins for the program, each wrong in a way one step must catch.
EXITS_WITH_1 = "#!/bin/sh\nexit 1\n"
COPIES_UNCHANGED = '#!/bin/sh\n[ "$1" = -f ] && shift\ncat "$1" > "$2"\n'
SPOILS_THE_WAY_BACK = ('#!/bin/sh\nif [ "$1" = -f ]; then head -c 409600 /dev/zero > "$3"; '
                       'else exec /usr/bin/rx50order.real "$@"; fi\n')
SPEAKS_ON_SUCCESS = '#!/bin/sh\necho converted\nexec /usr/bin/rx50order.real "$@"\n'


class PackageCheck(unittest.TestCase):

    @classmethod
    def setUpClass(cls):
        if os.geteuid() != 0 and subprocess.run(["sudo", "-n", "true"], capture_output=True).returncode != 0:
            raise RuntimeError("installing a package needs root or sudo without a password")
        cls._folder = tempfile.TemporaryDirectory(prefix="rx50order-package-check-")
        cls.folder = cls._folder.name
        subprocess.run([options.cpack, "--config", os.path.join(options.build_dir, "CPackConfig.cmake"),
                        "-G", "DEB", "-B", cls.folder], check=True, capture_output=True)
        [name] = [n for n in os.listdir(cls.folder) if n.endswith(".deb")]
        cls.package = os.path.join(cls.folder, name)

    @classmethod
    def tearDownClass(cls):
        cls._folder.cleanup()

    def check(self, package, env=None):
        result = subprocess.run([options.script, package], capture_output=True, text=True, check=False,
                                env=dict(os.environ, **(env or {})))
        installed = subprocess.run(["dpkg", "-s", "rx50order"], capture_output=True).returncode == 0
        self.assertFalse(installed, "the package is removed whatever happened")
        return result

    def planted(self, name, change):
        """The real package with one change made to its unpacked tree."""
        tree = os.path.join(self.folder, name)
        subprocess.run(["dpkg-deb", "--raw-extract", self.package, tree], check=True)
        change(tree)
        package = tree + ".deb"
        subprocess.run(["dpkg-deb", "--root-owner-group", "--build", tree, package], check=True, capture_output=True)
        return package

    def test_passes_for_the_real_package(self):
        result = self.check(self.package)
        self.assertEqual(result.returncode, 0, result.stderr)
        self.assertIn("package-check: installed, converted and probed from PATH, manuals read, removed",
                      result.stdout)

    def test_fails_for_every_planted_fault(self):
        def program(text, keep_real=False, name="rx50order"):
            def change(tree):
                path = os.path.join(tree, "usr/bin", name)
                if keep_real:
                    os.rename(path, path + ".real")
                with open(path, "w") as file:
                    file.write(text)
                os.chmod(path, 0o755)
            return change

        def no_manual(tree):
            os.remove(os.path.join(tree, "usr/share/man/man1/rx50probe.1.gz"))

        cases = {
            "the program exits 1": program(EXITS_WITH_1),
            "the program copies the image unchanged": program(COPIES_UNCHANGED),
            "the way back spoils the image": program(SPOILS_THE_WAY_BACK, keep_real=True),
            "a successful run prints something": program(SPEAKS_ON_SUCCESS, keep_real=True),
            "the probe tells nothing": program("#!/bin/sh\nexit 0\n", name="rx50probe"),
            "the probe's manual missing": no_manual,
        }
        for what, change in cases.items():
            with self.subTest(what):
                result = self.check(self.planted(what.replace(" ", "-"), change))
                self.assertNotEqual(result.returncode, 0, result.stdout)
                self.assertIn("package-check: the installed package did not work", result.stderr)
                self.assertNotIn("package-check: installed", result.stdout)

    def test_fails_when_another_program_comes_first_on_path(self):
        impostor = os.path.join(self.folder, "impostor")
        os.makedirs(impostor, exist_ok=True)
        shutil.copy("/bin/true", os.path.join(impostor, "rx50order"))
        result = self.check(self.package, env={"PATH": impostor + os.pathsep + os.environ["PATH"]})
        self.assertNotEqual(result.returncode, 0)
        self.assertIn(f"package-check: rx50order on PATH is {impostor}/rx50order, not the package's", result.stderr)


if __name__ == "__main__":
    parser = argparse.ArgumentParser()
    parser.add_argument("--script", required=True)
    parser.add_argument("--build-dir", required=True)
    parser.add_argument("--cpack", required=True)
    known, rest = parser.parse_known_args()
    vars(options).update(vars(known))
    unittest.main(argv=[sys.argv[0], *rest])
