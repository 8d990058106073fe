#!/usr/bin/env python3
"""The picture generator: committed sources up to date, sizes, layouts clear of the index."""

import pathlib
import sys
import tempfile
import unittest
import xml.etree.ElementTree as ET

ROOT = pathlib.Path(__file__).resolve().parents[2]
sys.path.insert(0, str(ROOT / "tools"))
import make_pictures as mp  # noqa: E402

SVG = "{http://www.w3.org/2000/svg}svg"


class MakePicturesTest(unittest.TestCase):
    def test_committed_sources_are_what_the_generator_makes(self):
        with tempfile.TemporaryDirectory() as out:
            mp.main(["make_pictures.py", out])
            made = sorted(p.relative_to(out) for p in pathlib.Path(out).rglob("*.svg"))
            self.assertEqual(len(made), 43)
            for name in made:
                with self.subTest(picture=str(name)):
                    committed = ROOT / "assets" / name
                    self.assertTrue(committed.exists(), "run tools/make_pictures.py")
                    made_text = (pathlib.Path(out) / name).read_text()
                    self.assertTrue(committed.read_text() == made_text,
                                    "assets/ is stale: run tools/make_pictures.py")

    def test_every_picture_is_an_svg_of_its_size(self):
        sizes = {"card-back.svg": (64, 100), "title.svg": (613, 415), "icon.svg": (32, 32)}
        for name, svg in mp.pictures():
            with self.subTest(picture=name):
                root = ET.fromstring(svg)
                self.assertEqual(root.tag, SVG)
                width, height = sizes.get(name, (62, 100))
                self.assertEqual((root.get("width"), root.get("height")), (str(width), str(height)))
                self.assertEqual(root.get("viewBox"), f"0 0 {width} {height}")

    def test_numeral_layouts_show_the_value_and_keep_clear_of_the_index(self):
        index_right, index_bottom = 13, 26
        for value in range(2, 8):
            with self.subTest(value=value):
                places = mp.ROUND_LAYOUT[value]
                self.assertEqual(len(places), value)
                for suit in (mp.DENARI, mp.COPPE):
                    w, h = mp.round_extent(suit, value)
                    for x, y in places:
                        self.assertTrue(x - w >= index_right or y - h >= index_bottom, (x, y))
                        self.assertTrue(w <= x <= mp.FACE_W - w and h <= y <= mp.FACE_H - h)
                self.assertEqual(sum(len(group) for group in mp.LONG_LAYOUT[value]), value)

    def test_clipped_line_keeps_only_the_part_inside_the_box(self):
        box = (0, 0, 10, 10)
        cases = [
            ((2, 2, 8, 8), (2, 2, 8, 8)),          # wholly inside
            ((-5, 5, 15, 5), (0, 5, 10, 5)),       # across, both ends cut
            ((-10, -10, 20, 20), (0, 0, 10, 10)),  # the diagonal
            ((5, -4, 5, 4), (5, 0, 5, 4)),         # enters from above
            ((12, 0, 12, 10), None),               # beside the box
            ((-3, 0, 0, -3), None),                # touches a corner only
        ]
        for segment, expected in cases:
            with self.subTest(segment=segment):
                got = mp.clipped_line(*segment, box)
                if expected is None:
                    self.assertIsNone(got)
                else:
                    for a, b in zip(got, expected):
                        self.assertAlmostEqual(a, b)


if __name__ == "__main__":
    unittest.main()
