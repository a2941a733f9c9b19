"""tools/macos/seal.py on synthetic bundles signed as a linker signs them:
the seal it writes is read back here byte by byte, and passes
tools/check-macos-app; what it cannot seal it refuses, leaving the bundle as
it was."""

import hashlib
import os
import plistlib
import struct
import subprocess
import sys
import tempfile
import unittest
from pathlib import Path

sys.dont_write_bytecode = True
sys.path.insert(0, str(Path(__file__).resolve().parent))
from synthetic_bundle import (  # noqa: E402  (found through the path set just above)
    ADHOC, ENTITLEMENTS, LINKER_SIGNED, ROOT, VERSION, X86_64, Seal, fat, macho, write_bundle)

SEAL = ROOT / "tools" / "macos" / "seal.py"
CHECK = ROOT / "tools" / "check-macos-app"
LINKER = Seal(identifier="Vellicor", flags=ADHOC | LINKER_SIGNED, requirements=None, der=False,
              binds_files=False)


def thin_slices(data):
    """(offset, bytes, align) of each slice; one for a thin file."""
    if struct.unpack_from(">I", data, 0)[0] != 0xCAFEBABE:
        return [(0, data, 0)]
    count = struct.unpack_from(">I", data, 4)[0]
    out = []
    for k in range(count):
        _, _, offset, size, align = struct.unpack_from(">iiIII", data, 8 + 20 * k)
        out.append((offset, data[offset:offset + size], align))
    return out


def load_commands(data):
    ncmds = struct.unpack_from("<I", data, 16)[0]
    at, found = 32, {}
    for _ in range(ncmds):
        cmd, size = struct.unpack_from("<II", data, at)
        if cmd == 0x19:
            found[data[at + 8:at + 24].rstrip(b"\0").decode()] = struct.unpack_from(
                "<QQQQ", data, at + 24)
        elif cmd == 0x1D:
            found["signature"] = struct.unpack_from("<II", data, at + 8)
        at += size
    return found


def superblob(data):
    """{slot: blob} of the slice's signature, and where it starts."""
    dataoff, datasize = load_commands(data)["signature"]
    sig = data[dataoff:dataoff + datasize]
    magic, length, count = struct.unpack_from(">III", sig, 0)
    assert magic == 0xFADE0CC0 and length <= datasize
    blobs = {}
    for k in range(count):
        slot, offset = struct.unpack_from(">II", sig, 12 + 8 * k)
        blobs[slot] = sig[offset:offset + struct.unpack_from(">I", sig, offset + 4)[0]]
    return blobs, dataoff, list(blobs)


class SealBundle(unittest.TestCase):
    def setUp(self):
        self.dir = tempfile.TemporaryDirectory()
        self.addCleanup(self.dir.cleanup)

    def seal(self, app):
        return subprocess.run([sys.executable, str(SEAL), str(app), "--entitlements",
                               str(ENTITLEMENTS)], capture_output=True, text=True, timeout=60)

    def check(self, app):
        return subprocess.run([sys.executable, str(CHECK), str(app), "--version", VERSION],
                              capture_output=True, text=True, timeout=60)

    def linked(self, **options):
        """A bundle as the build leaves it: the linker's signature, no seal."""
        return write_bundle(self.dir.name, seal=LINKER, sealed=False, **options)

    def test_a_universal_bundle_is_sealed_as_codesign_seals_it(self):
        app = self.linked(executable=lambda s: fat(macho(s, cpu=X86_64), macho(s),
                                                               aligns=[12, 14]))
        self.assertEqual(self.check(app).returncode, 1)
        result = self.seal(app)
        self.assertEqual(result.returncode, 0, result.stderr)
        contents = app / "Contents"
        info = (contents / "Info.plist").read_bytes()
        resources = (contents / "_CodeSignature" / "CodeResources").read_bytes()
        entitlements = ENTITLEMENTS.read_bytes()
        data = (contents / "MacOS" / "Vellicor").read_bytes()

        slices = thin_slices(data)
        self.assertEqual([align for _, _, align in slices], [12, 14])
        for offset, piece, align in slices:
            self.assertEqual(offset % (1 << align), 0)
            blobs, dataoff, order = superblob(piece)
            self.assertEqual(order, [0, 2, 5, 7, 0x10000])
            cd = blobs[0]
            (_, length, version, flags, hash_off, ident_off, n_special, n_code, code_limit,
             hash_size, hash_type, _, page_log) = struct.unpack_from(">IIIIIIIIIBBBB", cd, 0)
            self.assertEqual((version, flags, ident_off, n_special, hash_size, hash_type,
                              page_log), (0x20400, ADHOC, 88, 7, 32, 2, 12))
            self.assertEqual(cd[88:cd.index(b"\0", 88)], b"app.vellicor.Vellicor")
            self.assertEqual(code_limit, dataoff)
            self.assertEqual(n_code, -(-dataoff // 4096))
            self.assertEqual(length, hash_off + 32 * n_code)
            self.assertEqual(struct.unpack_from(">QQQ", cd, 64), (0, load_commands(piece)
                                                                  ["__TEXT"][3], 1))

            def slot(k):
                return cd[hash_off - 32 * k:hash_off - 32 * (k - 1)]

            sha = hashlib.sha256
            self.assertEqual(blobs[2], bytes.fromhex("fade0c01 0000000c 00000000"))
            self.assertEqual(blobs[0x10000], bytes.fromhex("fade0b01 00000008"))
            self.assertEqual(blobs[5][8:], entitlements)
            self.assertEqual(blobs[7][:4], bytes.fromhex("fade7172"))
            for k, content in ((1, info), (2, blobs[2]), (3, resources), (5, blobs[5]),
                               (7, blobs[7])):
                self.assertEqual(slot(k), sha(content).digest(), f"slot -{k}")
            self.assertEqual((slot(4), slot(6)), (bytes(32), bytes(32)))
            for k in (0, n_code - 1):
                page = piece[k * 4096:min((k + 1) * 4096, code_limit)]
                self.assertEqual(cd[hash_off + 32 * k:hash_off + 32 * (k + 1)], sha(page).digest())
            # The signature ends __LINKEDIT and the slice.
            _, sigsize = load_commands(piece)["signature"]
            _, vmsize, fileoff, filesize = load_commands(piece)["__LINKEDIT"]
            self.assertEqual((dataoff + sigsize, fileoff + filesize), (len(piece), len(piece)))
            self.assertGreaterEqual(vmsize, filesize)

        listing = plistlib.loads(resources)
        icns = (contents / "Resources" / "Vellicor.icns").read_bytes()
        strings = (contents / "Resources" / "ko.lproj" / "Localizable.strings").read_bytes()
        self.assertEqual(listing["files2"], {
            "Resources/Vellicor.icns": {"hash": hashlib.sha1(icns).digest(),
                                        "hash2": hashlib.sha256(icns).digest()},
            "Resources/ko.lproj/Localizable.strings": {
                "hash": hashlib.sha1(strings).digest(), "hash2": hashlib.sha256(strings).digest(),
                "optional": True}})
        self.assertEqual(listing["files"]["Resources/Vellicor.icns"], hashlib.sha1(icns).digest())
        result = self.check(app)
        self.assertEqual(result.returncode, 0, result.stdout)

    def test_a_sealed_bundle_changed_afterwards_fails_the_check(self):
        def info(app):
            path = app / "Contents" / "Info.plist"
            path.write_bytes(path.read_bytes().replace(b"<dict>", b"<dict><key>X</key><true/>"))

        def resource(app):
            with open(app / "Contents" / "Resources" / "Vellicor.icns", "ab") as f:
                f.write(b"!")

        def code(app):
            binary = app / "Contents" / "MacOS" / "Vellicor"
            data = bytearray(binary.read_bytes())
            data[5000] ^= 0xFF
            binary.write_bytes(bytes(data))

        for label, change, reason in (("Info.plist", info, "slot -1 of the SHA-256"),
                                      ("a resource", resource, "Vellicor.icns does not match"),
                                      ("the code", code, "code page 1 does not match")):
            with self.subTest(label):
                with tempfile.TemporaryDirectory() as directory:
                    app = write_bundle(directory, seal=LINKER, sealed=False)
                    self.assertEqual(self.seal(app).returncode, 0)
                    change(app)
                    result = self.check(app)
                    self.assertEqual(result.returncode, 1, result.stdout)
                    self.assertIn(reason, result.stdout)

    def test_sealing_again_gives_the_same_bytes(self):
        app = self.linked()
        self.assertEqual(self.seal(app).returncode, 0)
        binary = app / "Contents" / "MacOS" / "Vellicor"
        first = binary.read_bytes()
        self.assertEqual(self.seal(app).returncode, 0)
        self.assertEqual(binary.read_bytes(), first)
        self.assertTrue(os.access(binary, os.X_OK))

    def test_the_der_entitlements_are_apples_encoding(self):
        sys.path.insert(0, str(ROOT / "tools" / "macos"))
        import code_signature
        # The published encoding of {"key": false}.
        self.assertEqual(code_signature.encode_der_entitlements({"key": False}),
                         bytes([112, 15, 2, 1, 1, 176, 10, 48, 8, 12, 3, 107, 101, 121, 1, 1, 0]))
        nested = {"b": [1, "two", True], "a": {"z": 300, "y": -1}, "k" * 200: True}
        encoded = code_signature.encode_der_entitlements(nested)
        self.assertEqual(code_signature.decode_der_entitlements(encoded), nested)
        with self.assertRaises(ValueError):
            code_signature.encode_der_entitlements({"date": 1.5})

    def test_what_it_cannot_seal_is_refused_untouched(self):
        def nested(app):
            (app / "Contents" / "MacOS" / "helper").write_bytes(b"\xcf\xfa\xed\xfe")

        def top_level(app):
            (app / "Contents" / "notes.txt").write_text("notes")

        def link(app):
            os.symlink("Vellicor.icns", app / "Contents" / "Resources" / "Icon.icns")

        cases = {
            "a helper beside the executable": (nested, {}, "MacOS/helper is where nested code"),
            "a file directly in Contents": (top_level, {}, "notes.txt is where nested code"),
            "a symbolic link": (link, {}, "Icon.icns is a symbolic link"),
            "no LC_CODE_SIGNATURE": (lambda app: None,
                                     {"executable": lambda s: macho(s, signed=False)},
                                     "no LC_CODE_SIGNATURE"),
        }
        for label, (change, options, reason) in cases.items():
            with self.subTest(label):
                with tempfile.TemporaryDirectory() as directory:
                    app = write_bundle(directory, seal=LINKER, sealed=False, **options)
                    change(app)
                    before = (app / "Contents" / "MacOS" / "Vellicor").read_bytes()
                    result = self.seal(app)
                    self.assertEqual(result.returncode, 1, result.stdout)
                    self.assertIn(reason, result.stderr)
                    self.assertEqual((app / "Contents" / "MacOS" / "Vellicor").read_bytes(), before)
                    self.assertFalse((app / "Contents" / "_CodeSignature").exists())

    def test_a_bundle_identifier_is_required(self):
        app = self.linked(info={"CFBundleExecutable": "Vellicor"})
        result = self.seal(app)
        self.assertEqual(result.returncode, 1)
        self.assertIn("CFBundleIdentifier is None", result.stderr)


if __name__ == "__main__":
    unittest.main()
