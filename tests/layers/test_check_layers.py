#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""The include check itself, on small made-up checkouts: it passes a clean one and fails on
each kind of fault it exists for."""

import sys
import tempfile
import unittest
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
import check_layers  # noqa: E402

TABLE = """
organizer_floor(store)
# organizer_floor(commented USES nothing)
organizer_floor(kit USES store)
organizer_floor(editor USES kit store)
organizer_floor(app
  USES kit editor store)
"""


class CheckLayersTest(unittest.TestCase):
    def setUp(self):
        self.folder = tempfile.TemporaryDirectory()
        self.root = Path(self.folder.name)
        self.write("CMakeLists.txt", TABLE)
        self.write("store/Data.h", "#pragma once\n")
        self.write("store/db/Cursor.h", '#include "store/Data.h"\n')
        self.write("store/records/Tasks.cpp", '#include "store/db/Cursor.h"\n')
        self.write("kit/Frame.h", '#include "store/Data.h"\n#include <QWidget>\n')
        self.write("editor/Editor.cpp", '#include "kit/Frame.h"\n#include "Editor.moc"\n')
        self.write("app/Main.cpp", '#include "editor/Editor.h"\n#include "kit/Frame.h"\n')
        self.write("tests/tst_Editor.cpp", '#include "app/Main.h"\n')

    def tearDown(self):
        self.folder.cleanup()

    def write(self, name, text):
        path = self.root / name
        path.parent.mkdir(parents=True, exist_ok=True)
        path.write_text(text)

    def faults(self):
        return check_layers.check(self.root)

    def test_a_clean_checkout_passes(self):
        self.assertEqual(self.faults(), [])

    def test_the_table_is_read_from_the_calls(self):
        self.assertEqual(check_layers.floors_table(self.root),
                         {"store": set(), "kit": {"store"}, "editor": {"kit", "store"},
                          "app": {"kit", "editor", "store"}})

    def test_an_include_of_a_floor_not_used_fails(self):
        self.write("kit/Balloon.cpp", '#include "editor/Editor.h"\n')
        faults = self.faults()
        self.assertTrue(any(f.startswith("kit/Balloon.cpp:1:") and "kit does not use editor" in f
                            for f in faults), faults)
        self.assertTrue(any("include each other: editor -> kit -> editor" in f for f in faults),
                        faults)

    def test_test_code_and_unknown_folders_are_refused(self):
        self.write("editor/Probe.cpp", '#include "tests/Rig.h"\n')
        self.write("sync/Merge.cpp", '#include "store/Data.h"\n')
        faults = self.faults()
        self.assertTrue(any("tests/ is no floor" in f for f in faults), faults)
        self.assertTrue(any(f.startswith("sync/: has sources") for f in faults), faults)

    def test_a_cycle_in_the_table_fails(self):
        self.write("CMakeLists.txt", TABLE + "organizer_floor(store USES app)\n")
        self.assertTrue(any("floors use each other" in f for f in self.faults()))

    def test_a_cycle_between_subfolders_fails_but_the_face_may_gather_them(self):
        self.write("store/Data.h", '#include "store/records/Tasks.h"\n')
        self.assertEqual(self.faults(), [])
        self.write("store/db/Backup.cpp", '#include "store/records/Dates.h"\n')
        self.assertTrue(any("subfolders include each other: store/db -> store/records -> "
                            "store/db" in f for f in self.faults()))


if __name__ == "__main__":
    unittest.main()
