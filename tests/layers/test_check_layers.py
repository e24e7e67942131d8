#!/usr/bin/env python3
"""The layering check itself: each rule fires on a tree that breaks it, and a sound tree passes."""

import os
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import check_layers  # noqa: E402

SOUND = {
    "base/Settings.h": "#include <QString>\n",
    "base/ui/Dialogs.h": '#include "base/Settings.h"\n#include <QMessageBox>\n',
    "editor/CQvasmDoc.h": '#include "base/Settings.h"\n#include "editor/Codec.h"\n',
    "editor/Codec.h": "#include <QTextDocument>\n",
    "editor/ui/View.h": '#include "editor/CQvasmDoc.h"\n#include "frame/ui/Frame.h"\n',
    "frame/ui/Frame.h": '#include <QMainWindow>\n#include "base/ui/Dialogs.h"\n',
    "workspace/ui/Tree.h": '#include "editor/ui/View.h"\n',
    "app/ui/App.h": '#include "workspace/ui/Tree.h"\n',
    "app/main.cpp": '#include "app/ui/App.h"\n',
}


def tree(files):
    root = tempfile.mkdtemp()
    widgets = os.path.join(root, "qt", "QtWidgets")
    os.makedirs(widgets)
    for name in ("QWidget", "QMainWindow", "QMessageBox"):
        open(os.path.join(widgets, name), "w").close()
    src = os.path.join(root, "src")
    for rel, text in files.items():
        path = os.path.join(src, rel)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "w") as f:
            f.write(text)
    return check_layers.breaks(src, check_layers.widget_headers([widgets]))


class CheckLayers(unittest.TestCase):
    def test_sound_tree_passes(self):
        self.assertEqual(tree(SOUND), [])

    def test_each_break_is_found(self):
        cases = {
            "base_includes_an_area": ("base/Settings.h", '#include "editor/Codec.h"\n', "base"),
            "base_core_includes_base_ui": ("base/Other.h", '#include "base/ui/Dialogs.h"\n', "ui/"),
            "core_includes_ui": ("editor/Other.h", '#include "editor/ui/View.h"\n', "ui/"),
            "core_includes_widget_header": ("editor/Codec.h", "#include <QWidget>\n", "widgets"),
            "core_includes_module_widget_header": (
                "editor/Codec.h", "#include <QtWidgets/QWidget>\n", "widgets"),
            "lower_area_includes_higher": (
                "editor/ui/Other.h", '#include "workspace/ui/Tree.h"\n', "below"),
            "document_includes_the_tree": (
                "editor/CQvasmDoc.cpp", '#include "frame/Commands.h"\n', "document"),
            "two_files_include_each_other": (
                "editor/Codec.h", '#include "editor/CQvasmDoc.h"\n', "cycle"),
        }
        extra = {"frame/Commands.h": "\n"}
        for name, (rel, text, word) in cases.items():
            with self.subTest(name):
                files = dict(SOUND, **extra)
                files[rel] = text
                found = tree(files)
                self.assertEqual(len(found), 1, found)
                self.assertIn(word, found[0])

    def test_cycle_round_three_modules(self):
        files = dict(SOUND)
        files["editor/A.h"] = '#include "editor/B.h"\n'
        files["editor/B.h"] = "\n"
        files["editor/B.cpp"] = '#include "editor/C.h"\n'
        files["editor/C.h"] = '#include "editor/A.h"\n'
        found = tree(files)
        self.assertEqual(found, ["include cycle: editor/A -> editor/B -> editor/C"])

    def test_unknown_and_generated_headers_are_not_layers(self):
        files = dict(SOUND)
        files["base/Settings.h"] = '#include "ui_generated.h"\n#include "qvasm/Assembler.h"\n'
        self.assertEqual(tree(files), [])


if __name__ == "__main__":
    unittest.main()
