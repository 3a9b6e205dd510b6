"""What a user installs: the staging install, the manual, and the package
of the platform (a Debian package, or the Windows .zip)."""

import gzip
import os
import re
import subprocess
import tempfile
import unittest
import zipfile

import harness
from harness import options

VERSION_LINE = "version {version}."
PROGRAMS = ("rx50order", "rx50probe")
# Below the prefix, laid out as Debian lays out a package.
INSTALLED = [
    "bin/rx50order",
    "bin/rx50probe",
    "share/doc/rx50order/README.md",
    "share/doc/rx50order/changelog.gz",
    "share/doc/rx50order/copyright",
    "share/man/man1/rx50order.1.gz",
    "share/man/man1/rx50probe.1.gz",
]


def gunzip_as_debian_does(path):
    """The contents of a file compressed as gzip -9n does it: no name and no
    time in the header, best compression."""
    data = harness.read(path)
    flags, mtime, extra_flags = data[3], data[4:8], data[8]
    assert (flags & 0x08, mtime, extra_flags) == (0, b"\0\0\0\0", 2), (path, data[:10])
    return gzip.decompress(data)


def files_below(root):
    return sorted(os.path.relpath(os.path.join(folder, name), root)
                  for folder, _, names in os.walk(root) for name in names)


class PackageTestCase(unittest.TestCase):

    def setUp(self):
        self._folder = tempfile.TemporaryDirectory(prefix="rx50order-package-")
        self.folder = self._folder.name

    def tearDown(self):
        self._folder.cleanup()

    def cpack(self, generator):
        subprocess.run([options.cpack, "--config", os.path.join(options.build_dir, "CPackConfig.cmake"),
                        "-G", generator, "-B", self.folder], check=True, capture_output=True)
        [package] = [name for name in os.listdir(self.folder)
                     if name.endswith({"DEB": ".deb", "ZIP": ".zip"}[generator])]
        return os.path.join(self.folder, package)


class Install(PackageTestCase):

    def setUp(self):
        super().setUp()
        if harness.windows():
            self.skipTest("the Windows build is packaged as a .zip")

    def install(self, *args):
        staging = os.path.join(self.folder, "staging")
        subprocess.run([options.cmake, "--install", options.build_dir, *args], check=True, capture_output=True,
                       env=dict(os.environ, DESTDIR=staging))
        return staging

    def test_installs_exactly_the_program_its_manual_and_its_documents(self):
        for args, prefix in (([], options.install_prefix), (["--prefix", "/opt/rx50order"], "/opt/rx50order")):
            with self.subTest(prefix=prefix):
                staging = self.install(*args)
                root = prefix.lstrip("/")
                self.assertEqual(files_below(staging), sorted(f"{root}/{name}" for name in INSTALLED))
                for program in PROGRAMS:
                    self.assertTrue(os.access(os.path.join(staging, root, "bin", program), os.X_OK))
                    manual = gunzip_as_debian_does(os.path.join(staging, root, f"share/man/man1/{program}.1.gz"))
                    self.assertIn(VERSION_LINE.format(version=options.version), manual.decode())
                documents = os.path.join(staging, root, "share/doc/rx50order")
                # The change log as Debian's tools read it, from NEWS.md.
                changelog = gunzip_as_debian_does(os.path.join(documents, "changelog.gz")).decode()
                self.assertRegex(changelog, rf"^rx50order \({re.escape(options.version)}\) unstable; urgency=medium\n")
                self.assertIn(" -- rx50order developers <maintainers@rx50order.invalid>  ", changelog)
                # The licence's own text, in the machine-readable copyright format.
                copyright_text = harness.read(os.path.join(documents, "copyright")).decode()
                self.assertTrue(copyright_text.startswith(
                    "Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/\n"))
                self.assertIn(" 1. Redistributions of source code must retain the above copyright notice, this\n",
                              copyright_text)
                subprocess.run(["rm", "-rf", staging], check=True)

    def test_the_manuals_date_is_the_sources_not_the_builds(self):
        build = os.path.join(self.folder, "build")
        for epoch, date in (("86400", "January 2, 1970"), ("1781481600", "June 15, 2026")):
            with self.subTest(epoch=epoch):
                subprocess.run([options.cmake, "-S", options.source_dir, "-B", build], check=True, capture_output=True,
                               env=dict(os.environ, SOURCE_DATE_EPOCH=epoch))
                for program in PROGRAMS:
                    first_line = harness.read(os.path.join(build, f"{program}.1")).decode().split("\n", 1)[0]
                    self.assertEqual(first_line, f".Dd {date}")

    def test_manuals_are_clean_under_mandoc_lint(self):
        manuals = [os.path.join(options.build_dir, f"{program}.1") for program in PROGRAMS]
        result = subprocess.run([options.mandoc, "-Tlint", *manuals], capture_output=True, text=True, check=False)
        # mandoc also holds cross references against the machine's own
        # manual database; what that says is about the machine, not the page.
        # So does a reference from one of our manuals to the other, which
        # only an installed manual satisfies.
        ours = re.compile(f"referenced manual not found: Xr ({'|'.join(PROGRAMS)}) 1")
        findings = [line for line in (result.stdout + result.stderr).splitlines()
                    if "outdated mandoc.db" not in line and not ours.search(line)]
        # Status 1 is style messages alone, all of them read above.
        self.assertEqual((result.returncode <= 1, findings), (True, []))

    def test_debian_package_says_what_it_is_and_holds_what_is_installed(self):
        package = self.cpack("DEB")
        def field(name):
            return subprocess.run(["dpkg-deb", "--field", package, name], capture_output=True, text=True,
                                  check=True).stdout.strip()
        self.assertEqual(field("Package"), "rx50order")
        self.assertEqual(field("Version"), options.version)
        self.assertEqual(field("Section"), "utils")
        self.assertEqual(field("Architecture"), options.debian_architecture or subprocess.run(
            ["dpkg", "--print-architecture"], capture_output=True, text=True, check=True).stdout.strip())
        self.assertRegex(field("Depends"), r"^libc6 \(>= [0-9.]+\)$", "worked out by dpkg-shlibdeps")
        self.assertTrue(field("Description").startswith("Convert RX50 floppy-disk images"))
        contents = subprocess.run(["dpkg-deb", "--contents", package], capture_output=True, text=True,
                                  check=True).stdout
        files = sorted(line.split()[-1] for line in contents.splitlines() if not line.startswith("d"))
        self.assertEqual(files, sorted(f"./usr/{name}" for name in INSTALLED))


class WindowsArchive(PackageTestCase):

    def setUp(self):
        super().setUp()
        if not harness.windows():
            self.skipTest("the Linux build is packaged as a Debian package")

    def test_holds_the_programs_readme_licence_change_log_and_manuals(self):
        archive = zipfile.ZipFile(self.cpack("ZIP"))
        top = f"rx50order-{options.version}-windows-x86_64/"
        self.assertEqual(sorted(archive.namelist()), sorted(
            top + name for name in ("rx50order.exe", "rx50probe.exe", "README.md", "LICENSE", "NEWS.md",
                                    "rx50order.html", "rx50probe.html")))
        for program in PROGRAMS:
            # HTML breaks lines where it likes.
            text = " ".join(archive.read(f"{top}{program}.html").decode().split())
            self.assertIn(VERSION_LINE.format(version=options.version), text)


if __name__ == "__main__":
    harness.parser.add_argument("--build-dir", required=True)
    harness.parser.add_argument("--version", required=True)
    harness.parser.add_argument("--install-prefix", required=True)
    harness.parser.add_argument("--cmake", required=True)
    harness.parser.add_argument("--cpack", required=True)
    harness.parser.add_argument("--mandoc", required=True)
    harness.parser.add_argument("--source-dir", required=True)
    harness.parser.add_argument("--debian-architecture", help="for a cross build; else the machine's own")
    harness.main()
