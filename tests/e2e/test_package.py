"""The package for users (scripts/package.sh): the zip holds exactly the
program just built, the guide and the licence, its checksum file verifies,
a second run gives the same bytes, a clean build of the same sources in
another folder gives the same exe, and the program from the zip starts in
a fresh folder, makes its two files and closes."""

import hashlib
import re
import shutil
import struct
import subprocess
import unittest
import zipfile

import harness

GUIDE = "はじめにお読みください.txt"
# Every reason the notice beside the bar gives for a paste it did not type;
# the guide says what to do about each.
PASTE_REFUSALS = [
    "ウィンドウが閉じられています。", "ウィンドウが前面に出ませんでした。",
    "ウィンドウが応答していません。", "管理者として実行中のウィンドウです。",
    "管理者として実行中か、別のユーザーのウィンドウです。",
    "キーが押されたままです。", "キーを送れませんでした。",
    "貼り付けのショートカットキーの設定が正しくありません。"]
SOURCES = {"pinrow.exe": harness.REPO / "build" / "windows" / "pinrow.exe",
           GUIDE: harness.REPO / "docs" / GUIDE,
           "LICENSE": harness.REPO / "LICENSE"}
PAGES = ["一般", "テーブル", "設定", "About"]
DEFAULT_BUTTONS = ["UL", "OL", "LI", "HR", "IMG"]
OUT = harness.E2E_DIR / "package"


def project_version():
    text = (harness.REPO / "CMakeLists.txt").read_text()
    return re.search(r"project\(\s*\w+\s+VERSION\s+([0-9.]+)", text).group(1)


def file_version(exe):
    """FILEVERSION of the fixed part of a PE file's version resource."""
    at = exe.find(struct.pack("<I", 0xFEEF04BD))
    high, low = struct.unpack_from("<II", exe, at + 8)
    return f"{high >> 16}.{high & 0xFFFF}.{low >> 16}.{low & 0xFFFF}"


def package(out_dir):
    """Runs the package script into a fresh out_dir; returns the zip path."""
    shutil.rmtree(out_dir, ignore_errors=True)
    run = subprocess.run(["bash", str(harness.REPO / "scripts" / "package.sh"),
                          str(out_dir)], capture_output=True, text=True,
                         timeout=1200)
    if run.returncode:
        raise AssertionError(f"package.sh failed:\n{run.stdout[-3000:]}"
                             f"\n{run.stderr[-3000:]}")
    return out_dir / f"pinrow-{project_version()}-win-x64.zip"


class PackageTest(harness.BarTestCase):

    @classmethod
    def setUpClass(cls):
        cls.zip_path = package(OUT / "first")
        with zipfile.ZipFile(cls.zip_path) as archive:
            cls.entries = {i.filename: archive.read(i)
                           for i in archive.infolist()}
            cls.names = archive.namelist()

    def test_zip_holds_the_program_just_built_the_guide_and_the_licence(self):
        self.assertEqual(self.names, list(SOURCES))
        for name, source in SOURCES.items():
            with self.subTest(name=name):
                self.assertEqual(self.entries[name], source.read_bytes())
        self.assertEqual(file_version(self.entries["pinrow.exe"]),
                         project_version() + ".0")
        check = subprocess.run(["sha256sum", "-c", self.zip_path.name + ".sha256"],
                               cwd=self.zip_path.parent, capture_output=True)
        self.assertEqual(check.returncode, 0, check.stdout)

    def test_guide_opens_in_notepad_and_names_every_page_button_and_refusal(self):
        data = self.entries[GUIDE]
        self.assertTrue(data.startswith(b"\xef\xbb\xbf"))
        self.assertEqual(data.count(b"\r"), data.count(b"\r\n"))
        self.assertEqual(data.count(b"\n"), data.count(b"\r\n"))
        text = data[3:].decode("utf-8")
        for name in ([f"「{page}」" for page in PAGES] + DEFAULT_BUTTONS +
                     [f"「{reason}」" for reason in PASTE_REFUSALS]):
            self.assertIn(name, text)

    def test_a_second_run_relinks_and_gives_the_same_bytes(self):
        # Without the exe the build links it again: a time stamp or another
        # varying byte would show in the zip.
        SOURCES["pinrow.exe"].unlink()
        second = package(OUT / "second")
        self.assertEqual(second.read_bytes(), self.zip_path.read_bytes())
        sums = [p.with_name(p.name + ".sha256").read_bytes()
                for p in (self.zip_path, second)]
        self.assertEqual(sums[0], sums[1])

    def test_a_clean_build_in_another_folder_gives_the_same_exe(self):
        # The sources as they are (tracked files and new ones git does not
        # ignore) copied elsewhere and built afresh with the same preset: no
        # folder name or time of the build may reach the exe.
        copy = OUT / "elsewhere"
        shutil.rmtree(copy, ignore_errors=True)
        listed = subprocess.run(
            ["git", "ls-files", "-z", "--cached", "--others",
             "--exclude-standard"], cwd=harness.REPO, capture_output=True,
            check=True).stdout.decode().split("\0")
        for name in filter(None, listed):
            if (harness.REPO / name).is_file():
                (copy / name).parent.mkdir(parents=True, exist_ok=True)
                shutil.copy2(harness.REPO / name, copy / name)
        for step in (["--preset", "windows"],
                     ["--build", "--preset", "windows", "-j2",
                      "--target", "pinrow"]):
            run = subprocess.run(["cmake", *step], cwd=copy,
                                 capture_output=True, text=True, timeout=1200)
            self.assertEqual(run.returncode, 0, run.stdout[-3000:] +
                             run.stderr[-3000:])
        digests = [hashlib.sha256(exe.read_bytes()).hexdigest() for exe in
                   (copy / "build" / "windows" / "pinrow.exe",
                    SOURCES["pinrow.exe"])]
        self.assertEqual(digests[0], digests[1], "SHA-256 of the two exes")
        shutil.rmtree(copy, ignore_errors=True)

    def test_program_from_the_zip_starts_in_a_fresh_folder_and_closes(self):
        unpacked = self.wine.run_dir / "unpacked"
        with zipfile.ZipFile(self.zip_path) as archive:
            archive.extractall(unpacked)
        app = harness.AppFolder(self.wine.run_dir / "from-zip",
                                unpacked / "pinrow.exe")
        bar = self.start_bar(app)
        bar.wait_shown()
        harness.wait_until(lambda: app.exists("tag.txt") and
                           app.exists("setup.ini"), 10, "the two files")
        bar.close()
        self.assertEqual(bar.wait_exit(), 0)
        self.assertTrue(app.read("tag.txt").startswith(b"0,0,400,1200,400,UL,"))
        self.assertTrue(app.read("setup.ini").startswith(b"[MainForm]\r\n"))


if __name__ == "__main__":
    unittest.main()
