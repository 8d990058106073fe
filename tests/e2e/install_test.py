#!/usr/bin/env python3
"""The installed game: the tree cmake --install makes, its desktop entry and
AppStream data, a start from the install prefix with the music heard, and the
Debian package."""

import os
import shutil
import tempfile
import time
import unittest

from tarvo_e2e import Game, Xvfb, main, run

APP_ID = "org.quattrosemi.tarvo"
INSTALLED = [
    "bin/tarvo",
    "lib/tarvo/tarvo",
    "lib/tarvo/carta.wav",
    "lib/tarvo/Music/7carte.mid",
    "lib/tarvo/Music/borvio2.mid",
    "share/applications/tarvo.desktop",
    "share/metainfo/%s.metainfo.xml" % APP_ID,
    "share/icons/hicolor/scalable/apps/tarvo.svg",
] + ["share/icons/hicolor/%dx%d/apps/tarvo.png" % (n, n) for n in (32, 48, 64, 128, 256)]


def build_dir():
    folder = os.environ.get("TARVO_BUILD_DIR")
    if not folder:
        raise unittest.SkipTest("TARVO_BUILD_DIR must name the build tree")
    return folder


class InstallTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.tmp = tempfile.mkdtemp(prefix="tarvo-install-")
        cls.prefix = os.path.join(cls.tmp, "prefix")
        run("cmake", "--install", build_dir(), "--prefix", cls.prefix, timeout=120)

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.tmp, ignore_errors=True)

    def test_the_tree_holds_the_game_its_sounds_launcher_and_desktop_files(self):
        for path in INSTALLED:
            with self.subTest(path=path):
                self.assertTrue(os.path.isfile(os.path.join(self.prefix, path)))
        for path in ("bin/tarvo", "lib/tarvo/tarvo"):
            self.assertTrue(os.access(os.path.join(self.prefix, path), os.X_OK), path)

    def test_desktop_entry_and_metainfo_validate(self):
        desktop = os.path.join(self.prefix, "share/applications/tarvo.desktop")
        checked = run("desktop-file-validate", desktop, check=False)
        self.assertEqual(checked.returncode, 0, checked.stdout.decode())
        self.assertEqual(checked.stdout.strip(), b"", "warnings from desktop-file-validate")
        metainfo = os.path.join(self.prefix, "share/metainfo/%s.metainfo.xml" % APP_ID)
        checked = run("appstreamcli", "validate", "--no-net", "--pedantic", metainfo, check=False)
        self.assertEqual(checked.returncode, 0, checked.stdout.decode())
        self.assertIn(b"Validation was successful.", checked.stdout)

    def test_the_launcher_starts_the_game_which_finds_its_music_beside_it(self):
        xvfb = Xvfb()
        self.addCleanup(xvfb.stop)
        heard = os.path.join(self.tmp, "heard.raw")
        # SDL's disk driver writes the mixed output to a file instead of a sound card.
        game = Game(xvfb, os.path.join(self.prefix, "bin/tarvo"),
                    extra_env={"SDL_AUDIODRIVER": "disk", "SDL_DISKAUDIOFILE": heard})
        self.addCleanup(game.stop)
        game.wait_mapped()
        self.assertEqual(os.path.realpath("/proc/%d/exe" % game.proc.pid),
                         os.path.realpath(os.path.join(self.prefix, "lib/tarvo/tarvo")))
        game.find_table()
        game.wait_view(lambda v: v.stock_shown(), timeout=30)
        # The music starts with the deal; a second of it is plenty.
        size = os.path.getsize(heard)
        time.sleep(1.5)
        with open(heard, "rb") as f:
            f.seek(size)
            sound = f.read()
        self.assertGreater(len(sound), 0, "no sound written after the deal")
        self.assertTrue(any(sound), "silence: the music files were not found")
        game.close_button()
        self.assertEqual(game.wait_exit(20), 0, game.stderr_text())

    def test_debian_package_has_the_tree_and_the_runtime_dependencies(self):
        out = os.path.join(self.tmp, "deb")
        run("cpack", "-G", "DEB", "--config", os.path.join(build_dir(), "CPackConfig.cmake"),
            "-B", out, timeout=300)
        debs = [f for f in os.listdir(out) if f.endswith(".deb")]
        self.assertEqual(len(debs), 1, debs)
        deb = os.path.join(out, debs[0])
        depends = run("dpkg-deb", "-f", deb, "Depends").stdout.decode()
        for package in ("timgm6mb-soundfont", "fonts-dejavu-core", "libqt6widgets6",
                        "libfluidsynth3", "libsdl2-2.0-0", "libsndfile1"):
            self.assertIn(package, depends)
        listed = run("dpkg-deb", "-c", deb).stdout.decode()
        for path in INSTALLED:
            self.assertIn("./usr/" + path, listed)


if __name__ == "__main__":
    main()
