"""tools/check-macos-app on synthetic bundles: one sound, the rest each broken
in one way. The Mach-O files are written byte by byte here, signed with a real
code directory over their pages, so no macOS SDK or Mac is needed."""

import hashlib
import os
import plistlib
import re
import struct
import subprocess
import sys
import tempfile
import unittest
from pathlib import Path

ROOT = Path(__file__).resolve().parents[2]
CHECK = ROOT / "tools" / "check-macos-app"
ENTITLEMENTS = ROOT / "src" / "platform" / "cocoa" / "Vellicor.entitlements"
VERSION = "3.4.5"

ARM64, X86_64 = 0x0100000C, 0x01000007
MH_NOUNDEFS, MH_DYLDLINK, MH_TWOLEVEL, MH_PIE = 0x1, 0x4, 0x80, 0x200000
SOUND_FLAGS = MH_NOUNDEFS | MH_DYLDLINK | MH_TWOLEVEL | MH_PIE
SYSTEM_DYLIBS = ("/usr/lib/libSystem.B.dylib",
                 "/System/Library/Frameworks/AppKit.framework/Versions/C/AppKit")
PAGE = 4096
FLAT_LOOKUP = 0xFE


def with_entitlements(**changes):
    with open(ENTITLEMENTS, "rb") as f:
        wanted = plistlib.load(f)
    wanted.update(changes)
    return {k: v for k, v in wanted.items() if v is not None}


def pad(data, align):
    return data + b"\0" * (-len(data) % align)


def dylib_command(path):
    name = pad(path.encode() + b"\0", 8)
    return struct.pack("<IIIIII", 0xC, 24 + len(name), 24, 2, 0x10000, 0x10000) + name


def code_signature(code, entitlements, tamper):
    """An ad-hoc embedded signature: code directory (SHA-256, 4 KiB pages) and,
    when given, the entitlements blob its special slot 5 hashes."""
    blobs = []
    special = [b"\0" * 32] * 5
    if entitlements is not None:
        xml = plistlib.dumps(entitlements)
        ent = struct.pack(">II", 0xFADE7171, 8 + len(xml)) + xml
        special[4] = hashlib.sha256(ent).digest()
        blobs.append((5, ent))
    ident = b"Vellicor\0"
    pages = [hashlib.sha256(code[i:i + PAGE]).digest() for i in range(0, len(code), PAGE)]
    if tamper:
        pages[0] = hashlib.sha256(b"something else").digest()
    hash_offset = 44 + len(ident) + 5 * 32
    body = ident + b"".join(reversed(special)) + b"".join(pages)
    header = struct.pack(">IIIIIIIIIBBBBI", 0xFADE0C02, 44 + len(body), 0x20001, 0x2,
                         hash_offset, 44, 5, len(pages), len(code), 32, 2, 0, 12, 0)
    blobs.insert(0, (0, header + body))
    index_size = 12 + 8 * len(blobs)
    offsets, at = [], index_size
    for _, blob in blobs:
        offsets.append(at)
        at += len(blob)
    superblob = struct.pack(">III", 0xFADE0CC0, at, len(blobs))
    superblob += b"".join(struct.pack(">II", slot, off) for (slot, _), off in zip(blobs, offsets))
    return superblob + b"".join(blob for _, blob in blobs)


def macho(cpu=ARM64, minos=(12, 0), dylibs=SYSTEM_DYLIBS, flags=SOUND_FLAGS,
          imports=(("_NSLog", 2), ("_malloc", 1)), entitlements=with_entitlements(),
          signed=True, tamper=False):
    """A 64-bit MH_EXECUTE with a build version, its dylibs, a symbol table of
    undefined symbols (name, library ordinal) and, when signed, a signature."""
    strings = b"\0" + b"".join(name.encode() + b"\0" for name, _ in imports)
    commands = [struct.pack("<IIIIII", 0x32, 24, 1, (minos[0] << 16) | (minos[1] << 8), 0, 0)]
    commands += [dylib_command(path) for path in dylibs]
    symtab_at = len(commands)
    commands.append(b"")  # LC_SYMTAB, placed once the offsets are known
    if signed:
        commands.append(b"")  # LC_CODE_SIGNATURE, likewise
    sizes = sum(len(c) for c in commands) + 24 + (16 if signed else 0)
    symoff = 32 + sizes
    symbols, strx = b"", 1
    for name, ordinal in imports:
        symbols += struct.pack("<IBBHQ", strx, 0x01, 0, ordinal << 8, 0)
        strx += len(name) + 1
    stroff = symoff + len(symbols)
    commands[symtab_at] = struct.pack("<IIIIII", 0x2, 24, symoff, len(imports), stroff,
                                      len(strings))
    code_end = stroff + len(strings)
    sig_off = code_end + (-code_end % 16)
    if signed:
        commands[-1] = struct.pack("<IIII", 0x1D, 16, sig_off, 0)
    header = struct.pack("<IiiIIIII", 0xFEEDFACF, cpu, 0, 2, len(commands),
                         sum(len(c) for c in commands), flags, 0)
    code = pad(header + b"".join(commands) + symbols + strings, 16)
    if not signed:
        return code
    signature = code_signature(code, entitlements, tamper)
    commands[-1] = struct.pack("<IIII", 0x1D, 16, sig_off, len(signature))
    code = pad(header + b"".join(commands) + symbols + strings, 16)
    return code + code_signature(code, entitlements, tamper)


def fat(*slices):
    align = 1 << 14
    out = struct.pack(">II", 0xCAFEBABE, len(slices))
    offset = align
    placed = []
    for data in slices:
        cpu = struct.unpack_from("<i", data, 4)[0]
        out += struct.pack(">iiIII", cpu, 0, offset, len(data), 14)
        placed.append((offset, data))
        offset += len(data) + (-len(data) % align)
    image = bytearray(offset)
    image[:len(out)] = out
    for at, data in placed:
        image[at:at + len(data)] = data
    return bytes(image)


def info_plist(**changes):
    info = {
        "CFBundleExecutable": "Vellicor",
        "CFBundleIdentifier": "app.vellicor.Vellicor",
        "CFBundlePackageType": "APPL",
        "CFBundleShortVersionString": VERSION,
        "CFBundleVersion": VERSION,
        "LSMinimumSystemVersion": "12.0",
        "LSUIElement": True,
    }
    info.update(changes)
    return {k: v for k, v in info.items() if v is not None}


class CheckMacosApp(unittest.TestCase):
    def setUp(self):
        self.dir = tempfile.TemporaryDirectory()
        self.addCleanup(self.dir.cleanup)

    def bundle(self, executable=None, info=None, name="Vellicor"):
        app = Path(self.dir.name) / "Vellicor.app"
        (app / "Contents" / "MacOS").mkdir(parents=True, exist_ok=True)
        with open(app / "Contents" / "Info.plist", "wb") as f:
            plistlib.dump(info if info is not None else info_plist(), f)
        binary = app / "Contents" / "MacOS" / name
        binary.write_bytes(executable if executable is not None else macho())
        binary.chmod(0o755)
        return app

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

    def test_sound_bundles_pass_thin_and_universal(self):
        for label, executable in (("thin", macho()),
                                  ("universal", fat(macho(), macho(cpu=X86_64)))):
            with self.subTest(label):
                code, failures, out = self.run_check(self.bundle(executable))
                self.assertEqual((code, failures), (0, []), out)
                self.assertIn("0 failed", out)
        self.assertIn("slices: arm64, x86_64", out)

    def test_the_project_version_is_the_default(self):
        text = (ROOT / "CMakeLists.txt").read_text()
        version = re.search(r"project\(Vellicor VERSION ([0-9.]+)", text).group(1)
        app = self.bundle(info=info_plist(CFBundleShortVersionString=version,
                                          CFBundleVersion=version))
        result = subprocess.run([sys.executable, str(CHECK), str(app)], capture_output=True,
                                text=True, timeout=60)
        self.assertEqual(result.returncode, 0, result.stdout)

    def test_the_signature_and_its_entitlements(self):
        cases = {
            "unsigned": (macho(signed=False), ["no LC_CODE_SIGNATURE"]),
            "no entitlements": (macho(entitlements=None), ["carries no entitlements"]),
            "an extra key and a false one": (
                macho(entitlements=with_entitlements(**{
                    "com.apple.security.network.client": True,
                    "com.apple.security.get-task-allow": False})),
                ["unexpected com.apple.security.network.client"]),
            "a missing key": (
                macho(entitlements=with_entitlements(**{"com.apple.security.app-sandbox": None})),
                ["missing com.apple.security.app-sandbox"]),
            "a value other than true": (
                macho(entitlements=with_entitlements(**{"com.apple.security.app-sandbox": "yes"})),
                ["app-sandbox is 'yes', not true"]),
            "code changed after signing": (macho(tamper=True), ["code page 0 does not match"]),
        }
        for label, (executable, reasons) in cases.items():
            with self.subTest(label):
                self.assert_fails_only(self.bundle(executable), *reasons)
        _, failures, _ = self.run_check(self.bundle(cases["an extra key and a false one"][0]))
        self.assertIn("get-task-allow is False, not true", failures[0])

    def test_info_plist(self):
        cases = {
            "executable named otherwise": (info_plist(CFBundleExecutable="Other"),
                                           ["no Contents/MacOS/Other"]),
            "versions left unexpanded": (
                info_plist(CFBundleShortVersionString="${MACOSX_BUNDLE_SHORT_VERSION_STRING}",
                           CFBundleVersion="@PROJECT_VERSION@"),
                ["unexpanded placeholders", "CFBundleShortVersionString is 3.4.5",
                 "CFBundleVersion is 3.4.5"]),
            "another version": (info_plist(CFBundleVersion="3.4.4"), ["CFBundleVersion is 3.4.5"]),
            "not an agent": (info_plist(LSUIElement=None), ["LSUIElement is true"]),
        }
        for label, (info, reasons) in cases.items():
            with self.subTest(label):
                self.assert_fails_only(self.bundle(info=info), *reasons)
        app = self.bundle()
        (app / "Contents" / "Info.plist").write_text("<plist><dict><key>")
        self.assert_fails_only(app, "Info.plist parses")

    def test_the_executable_itself(self):
        outside = SYSTEM_DYLIBS + ("/opt/homebrew/lib/libicuuc.74.dylib", "@rpath/libfoo.dylib")
        cases = {
            "libraries outside the system": (
                macho(dylibs=outside), ["outside: /opt/homebrew/lib/libicuuc.74.dylib, @rpath"]),
            "macOS 11": (macho(minos=(11, 0)), ["minimum 11.0.0"]),
            "macOS 11 in the second slice": (fat(macho(), macho(cpu=X86_64, minos=(11, 0))),
                                             ["x86_64: LC_BUILD_VERSION"]),
            "Intel only": (macho(cpu=X86_64), ["no arm64 slice"]),
            "flat namespace": (macho(flags=SOUND_FLAGS & ~MH_TWOLEVEL),
                               ["two-level namespace flag is not set"]),
            "an import looked up in every image": (
                macho(imports=(("_NSLog", 2), ("_TISCopyCurrentKeyboardInputSource", FLAT_LOOKUP))),
                ["1 imports not bound to a linked library (_TISCopy"]),
            "an import from a library not linked": (macho(imports=(("_NSLog", 3),)),
                                                    ["not bound to a linked library (_NSLog)"]),
            "not a Mach-O file": (b"#!/bin/sh\necho hello\n", ["is a Mach-O file"]),
            "cut short": (macho()[:40], ["is a Mach-O file"]),
        }
        for label, (executable, reasons) in cases.items():
            with self.subTest(label):
                self.assert_fails_only(self.bundle(executable), *reasons)

    def test_a_missing_bundle_is_a_usage_error(self):
        code, _, _ = self.run_check(Path(self.dir.name) / "Nowhere.app")
        self.assertEqual(code, 2)


if __name__ == "__main__":
    unittest.main()
