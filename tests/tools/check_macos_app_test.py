"""tools/check-macos-app on synthetic bundles (synthetic_bundle.py): sound
ones, in the layout codesign writes today and in the older one with a SHA-1
code directory first, and the rest each broken in one way."""

import plistlib
import re
import subprocess
import sys
import tempfile
import unittest
from pathlib import Path

sys.dont_write_bytecode = True
sys.path.insert(0, str(Path(__file__).resolve().parent))
from synthetic_bundle import (  # noqa: E402  (found through the path set just above)
    ADHOC, FLAT_LOOKUP, LINKER_SIGNED, MH_TWOLEVEL, ROOT, SOUND_FLAGS, SYSTEM_DYLIBS, VERSION,
    X86_64, Seal, fat, info_plist, macho, with_entitlements, write_bundle)

CHECK = ROOT / "tools" / "check-macos-app"
ADHOC_LINKER = ADHOC | LINKER_SIGNED


class CheckMacosApp(unittest.TestCase):
    def setUp(self):
        self.dir = tempfile.TemporaryDirectory()
        self.addCleanup(self.dir.cleanup)

    def bundle(self, **options):
        return write_bundle(self.dir.name, **options)

    def run_check(self, app, *extra):
        result = subprocess.run(
            [sys.executable, str(CHECK), str(app), "--version", VERSION, *extra],
            capture_output=True, text=True, timeout=60)
        self.assertNotIn("Traceback", result.stderr)
        failures = [line for line in result.stdout.splitlines() if line.startswith("FAIL")]
        return result.returncode, failures, result.stdout

    def assert_fails_only(self, app, *reasons):
        """Fails with one FAIL line per reason, each naming it."""
        code, failures, out = self.run_check(app)
        self.assertEqual(code, 1, out)
        self.assertEqual(len(failures), len(reasons), out)
        for reason in reasons:
            self.assertTrue(any(reason in line for line in failures), f"{reason!r} in\n{out}")

    def assert_each_fails_only(self, cases):
        for label, (options, reasons) in cases.items():
            with self.subTest(label):
                with tempfile.TemporaryDirectory() as directory:
                    self.assert_fails_only(write_bundle(directory, **options), *reasons)

    def test_sound_bundles_pass(self):
        older = Seal(hashes=("sha1", "sha256"), der=False)
        cases = {
            "thin": {},
            "universal": {"executable": lambda s: fat(macho(s), macho(s, cpu=X86_64))},
            # codesign's layout for older systems, as an app it sealed shows it:
            # a SHA-1 code directory first, the SHA-256 one beside it, XML
            # entitlements only.
            "SHA-1 and SHA-256, no DER": {"seal": older},
            "no resources": {"resources": {}},
        }
        for label, options in cases.items():
            with self.subTest(label):
                with tempfile.TemporaryDirectory() as directory:
                    code, failures, out = self.run_check(write_bundle(directory, **options))
                    self.assertEqual((code, failures), (0, []), out)
                    self.assertIn("0 failed", out)
                    if label == "universal":
                        self.assertIn("slices: arm64, x86_64", out)
                    if label == "thin":
                        self.assertIn("with its digests (2 files)", out)

    def test_the_project_version_is_the_default(self):
        text = (ROOT / "CMakeLists.txt").read_text()
        version = re.search(r"project\(Vellicor VERSION ([0-9.]+)", text).group(1)
        app = self.bundle(info=info_plist(CFBundleShortVersionString=version,
                                          CFBundleVersion=version))
        result = subprocess.run([sys.executable, str(CHECK), str(app)], capture_output=True,
                                text=True, timeout=60)
        self.assertEqual(result.returncode, 0, result.stdout)

    def test_what_the_linker_signs_alone_is_refused(self):
        # As Zig or ld64 sign: the executable's name, linker-signed, no seal.
        linker = Seal(identifier="Vellicor", flags=ADHOC_LINKER, requirements=None, der=False,
                      binds_files=False)
        app = self.bundle(seal=linker, sealed=False)
        code, failures, out = self.run_check(app)
        self.assertEqual(code, 1, out)
        for reason in ("no CodeResources", "linker-signed", "identifier is 'Vellicor'",
                       "no requirements blob", "slot -1 of the SHA-256", "slot -3 of the SHA-256"):
            self.assertIn(reason, out)

    def test_the_seal(self):
        cases = {
            "linker-signed": ({"seal": Seal(flags=ADHOC_LINKER)},
                              ["flags 0x20002 of the SHA-256 code directory: linker-signed"]),
            "the executable's name as identifier": (
                {"seal": Seal(identifier="Vellicor")}, ["identifier is 'Vellicor'"]),
            "Info.plist not its slot": ({"seal": Seal(tamper_slot=1)},
                                        ["slot -1 of the SHA-256 code directory"]),
            "requirements not their slot": ({"seal": Seal(tamper_slot=2)},
                                            ["requirements do not match slot -2"]),
            "no requirements": ({"seal": Seal(requirements=None)}, ["no requirements blob"]),
            "CodeResources not its slot": ({"seal": Seal(tamper_slot=3)},
                                           ["slot -3 of the SHA-256 code directory"]),
            "entitlements not their slot": ({"seal": Seal(tamper_slot=5)},
                                            ["entitlements do not match slot -5"]),
            "DER entitlements not their slot": ({"seal": Seal(tamper_slot=7)},
                                                ["DER entitlements do not match slot -7"]),
            "DER entitlements saying otherwise": (
                {"seal": Seal(der_of=with_entitlements(**{"com.apple.security.get-task-allow":
                                                          None}))},
                ["DER entitlements (-7) differ"]),
            "only the SHA-1 directory wrong": (
                {"seal": Seal(hashes=("sha1", "sha256"), tamper_slot=1, tamper_slot_in="sha1")},
                ["slot -1 of the SHA-1 code directory"]),
            "no CodeResources": ({"sealed": False, "resources": {}},
                                 ["no CodeResources", "slot -3 of the SHA-256"]),
            "a file not listed": (
                {"listed": ["Resources/Vellicor.icns"]},
                ["Contents/Resources/ko.lproj/Localizable.strings is not listed"]),
        }
        self.assert_each_fails_only(cases)

    def test_files_changed_added_or_removed_after_sealing(self):
        def changed(app):
            (app / "Contents" / "Resources" / "Vellicor.icns").write_bytes(b"another icon")

        def removed(app):
            (app / "Contents" / "Resources" / "Vellicor.icns").unlink()

        def added(app, rel):
            (app / "Contents" / rel).parent.mkdir(parents=True, exist_ok=True)
            (app / "Contents" / rel).write_bytes(b"\xcf\xfa\xed\xfe")

        def info_changed(app):
            (app / "Contents" / "Info.plist").write_bytes(plistlib.dumps(info_plist(
                CFBundleName="Other")))

        def rules_changed(app):
            path = app / "Contents" / "_CodeSignature" / "CodeResources"
            listing = plistlib.loads(path.read_bytes())
            listing["rules2"]["^Resources/"] = {"omit": True, "weight": 20.0}
            path.write_bytes(plistlib.dumps(listing))

        cases = {
            "a resource changed": (changed, ["Vellicor.icns does not match its digest in files2",
                                             "icns does not match its digest in files"]),
            "a resource removed": (removed, ["Vellicor.icns is listed in files2 but missing",
                                             "icns is listed in files but missing"]),
            "a resource added": (lambda app: added(app, "Resources/extra.png"),
                                 ["Contents/Resources/extra.png is not listed"]),
            "a helper beside the executable": (lambda app: added(app, "MacOS/helper"),
                                               ["Contents/MacOS/helper sits where nested code"]),
            "a file directly in Contents": (lambda app: added(app, "notes.txt"),
                                            ["Contents/notes.txt sits where nested code"]),
            "Info.plist changed": (info_changed, ["slot -1 of the SHA-256 code directory"]),
            "the rules changed": (rules_changed, ["the rules differ from codesign's",
                                                  "slot -3 of the SHA-256 code directory"]),
        }
        for label, (change, reasons) in cases.items():
            with self.subTest(label):
                with tempfile.TemporaryDirectory() as directory:
                    app = write_bundle(directory)
                    change(app)
                    code, failures, out = self.run_check(app)
                    self.assertEqual(code, 1, out)
                    for reason in reasons:
                        self.assertTrue(any(reason in line for line in failures),
                                        f"{reason!r} in\n{out}")
                    self.assertLessEqual(len(failures), 2, out)

    def test_optional_and_omitted_files(self):
        # A localization may be missing; .DS_Store is never listed.
        app = self.bundle()
        (app / "Contents" / "Resources" / "ko.lproj" / "Localizable.strings").unlink()
        (app / "Contents" / "Resources" / ".DS_Store").write_bytes(b"Finder")
        code, failures, out = self.run_check(app)
        self.assertEqual((code, failures), (0, []), out)

    def test_the_signature_and_its_entitlements(self):
        cases = {
            "unsigned": ({"executable": lambda s: macho(s, signed=False)},
                         ["no LC_CODE_SIGNATURE"]),
            "no entitlements": ({"seal": Seal(entitlements=None)}, ["carries no entitlements"]),
            "an extra key and a false one": (
                {"seal": Seal(entitlements=with_entitlements(**{
                    "com.apple.security.network.client": True,
                    "com.apple.security.get-task-allow": False}))},
                ["unexpected com.apple.security.network.client"]),
            "a missing key": (
                {"seal": Seal(entitlements=with_entitlements(**{
                    "com.apple.security.app-sandbox": None}))},
                ["missing com.apple.security.app-sandbox"]),
            "a value other than true": (
                {"seal": Seal(entitlements=with_entitlements(**{
                    "com.apple.security.app-sandbox": "yes"}), der=False)},
                ["app-sandbox is 'yes', not true"]),
            "code changed after signing": ({"seal": Seal(tamper_code=True)},
                                           ["code page 0 does not match"]),
        }
        self.assert_each_fails_only(cases)
        seal = Seal(entitlements=with_entitlements(**{"com.apple.security.network.client": True,
                                                      "com.apple.security.get-task-allow": False}))
        _, failures, _ = self.run_check(self.bundle(seal=seal))
        self.assertIn("get-task-allow is False, not true", failures[0])

    def test_info_plist(self):
        cases = {
            "executable named otherwise": ({"info": info_plist(CFBundleExecutable="Other")},
                                           ["no Contents/MacOS/Other",
                                            "Contents/MacOS/Vellicor sits where nested code"]),
            "versions left unexpanded": (
                {"info": info_plist(
                    CFBundleShortVersionString="${MACOSX_BUNDLE_SHORT_VERSION_STRING}",
                    CFBundleVersion="@PROJECT_VERSION@")},
                ["unexpanded placeholders", "CFBundleShortVersionString is 3.4.5",
                 "CFBundleVersion is 3.4.5"]),
            "another version": ({"info": info_plist(CFBundleVersion="3.4.4")},
                                ["CFBundleVersion is 3.4.5"]),
            "not an agent": ({"info": info_plist(LSUIElement=None)}, ["LSUIElement is true"]),
        }
        self.assert_each_fails_only(cases)
        app = self.bundle()
        (app / "Contents" / "Info.plist").write_text("<plist><dict><key>")
        code, failures, out = self.run_check(app)
        self.assertEqual(code, 1, out)
        self.assertIn("Info.plist parses", failures[0])

    def test_the_executable_itself(self):
        outside = SYSTEM_DYLIBS + ("/opt/homebrew/lib/libicuuc.74.dylib", "@rpath/libfoo.dylib")
        cases = {
            "libraries outside the system": (
                {"executable": lambda s: macho(s, dylibs=outside)},
                ["outside: /opt/homebrew/lib/libicuuc.74.dylib, @rpath"]),
            "macOS 11": ({"executable": lambda s: macho(s, minos=(11, 0))}, ["minimum 11.0.0"]),
            "macOS 11 in the second slice": (
                {"executable": lambda s: fat(macho(s), macho(s, cpu=X86_64, minos=(11, 0)))},
                ["x86_64: LC_BUILD_VERSION"]),
            "Intel only": ({"executable": lambda s: macho(s, cpu=X86_64)}, ["no arm64 slice"]),
            "flat namespace": ({"executable": lambda s: macho(s, flags=SOUND_FLAGS & ~MH_TWOLEVEL)},
                               ["two-level namespace flag is not set"]),
            "an import looked up in every image": (
                {"executable": lambda s: macho(s, imports=(
                    ("_NSLog", 2), ("_TISCopyCurrentKeyboardInputSource", FLAT_LOOKUP)))},
                ["1 imports not bound to a linked library (_TISCopy"]),
            "an import from a library not linked": (
                {"executable": lambda s: macho(s, imports=(("_NSLog", 3),))},
                ["not bound to a linked library (_NSLog)"]),
            "not a Mach-O file": ({"executable": lambda s: b"#!/bin/sh\necho hello\n"},
                                  ["is a Mach-O file"]),
            "cut short": ({"executable": lambda s: macho(s)[:40]}, ["is a Mach-O file"]),
        }
        self.assert_each_fails_only(cases)

    def test_a_missing_bundle_is_a_usage_error(self):
        code, _, _ = self.run_check(Path(self.dir.name) / "Nowhere.app")
        self.assertEqual(code, 2)


if __name__ == "__main__":
    unittest.main()
