"""Synthetic Vellicor.app bundles for the tests of the bundle tools: Mach-O
executables written byte by byte, with code signatures built here from the
published layout (not by the tools under test), so no macOS SDK or Mac is
needed. A `Seal` says how a signature is made; its defaults are how codesign
seals an ad-hoc app, and each test changes one thing."""

import hashlib
import plistlib
import struct
import sys
from dataclasses import dataclass, field, replace
from pathlib import Path

ROOT = Path(__file__).resolve().parents[2]
ENTITLEMENTS = ROOT / "src" / "platform" / "cocoa" / "Vellicor.entitlements"
VERSION = "3.4.5"
BUNDLE_ID = "app.vellicor.Vellicor"

ARM64, X86_64 = 0x0100000C, 0x01000007
MH_NOUNDEFS, MH_DYLDLINK, MH_TWOLEVEL, MH_PIE = 0x1, 0x4, 0x80, 0x200000
SOUND_FLAGS = MH_NOUNDEFS | MH_DYLDLINK | MH_TWOLEVEL | MH_PIE
SYSTEM_DYLIBS = ("/usr/lib/libSystem.B.dylib",
                 "/System/Library/Frameworks/AppKit.framework/Versions/C/AppKit")
PAGE = 4096
FLAT_LOOKUP = 0xFE
ADHOC, LINKER_SIGNED = 0x2, 0x20000
EMPTY_REQUIREMENTS = bytes.fromhex("fade0c01" "0000000c" "00000000")
EMPTY_CMS = bytes.fromhex("fade0b01" "00000008")
HASHES = {"sha1": (1, hashlib.sha1), "sha256": (2, hashlib.sha256)}

# codesign's rules for an app bundle, as CodeResources carries them (the same
# as those of a bundle Apple's codesign sealed).
sys.path.insert(0, str(ROOT / "tools" / "macos"))
from resource_rules import RULES, RULES2  # noqa: E402,F401  (found through the path just set)


def with_entitlements(**changes):
    with open(ENTITLEMENTS, "rb") as f:
        wanted = plistlib.load(f)
    wanted.update(changes)
    return {k: v for k, v in wanted.items() if v is not None}


def der_entitlements(entitlements):
    """Booleans only: [APPLICATION 16] { INTEGER 1, [CONTEXT 16] { SEQUENCE
    { UTF8String key, BOOLEAN }, ... } }, keys sorted."""
    def tlv(tag, body):
        n = len(body)
        size = bytes([n]) if n < 0x80 else bytes([0x81, n]) if n < 0x100 else \
            bytes([0x82]) + n.to_bytes(2, "big")
        return bytes([tag]) + size + body
    pairs = b"".join(tlv(0x30, tlv(0x0C, key.encode()) + tlv(0x01, b"\xff" if value else b"\0"))
                     for key, value in sorted(entitlements.items()))
    return tlv(0x70, tlv(0x02, b"\x01") + tlv(0xB0, pairs))


@dataclass
class Seal:
    """How a slice is signed. `info` and `resources` are the bytes special
    slots -1 and -3 hash (filled in by `Bundle`); a `tamper_*` field makes the
    signature disagree in that one place."""
    identifier: str = BUNDLE_ID
    flags: int = ADHOC
    hashes: tuple = ("sha256",)
    entitlements: dict | None = field(default_factory=with_entitlements)
    der: bool = True
    requirements: bytes | None = EMPTY_REQUIREMENTS
    info: bytes | None = None
    resources: bytes | None = None
    tamper_code: bool = False
    tamper_slot: int | None = None  # a special slot whose hash is wrong
    tamper_slot_in: str | None = None  # only in this hash's directory
    der_of: dict | None = None  # DER entitlements other than the XML ones
    binds_files: bool = True  # False: slots -1 and -3 empty, as a linker leaves them


def blob(magic, payload):
    return struct.pack(">II", magic, 8 + len(payload)) + payload


def code_signature(code, seal):
    """An embedded signature: a code directory per hash (version 0x20400,
    4 KiB pages, the first at slot 0, the next at 0x1000) and the blobs."""
    blobs = {}
    if seal.requirements is not None:
        blobs[2] = seal.requirements
    if seal.entitlements is not None:
        blobs[5] = blob(0xFADE7171, plistlib.dumps(seal.entitlements))
        if seal.der:
            blobs[7] = blob(0xFADE7172, der_entitlements(seal.der_of or seal.entitlements))
    contents = {1: seal.info, 2: blobs.get(2), 3: seal.resources, 5: blobs.get(5), 7: blobs.get(7)}
    n_special = 7 if 7 in blobs else 5 if 5 in blobs else 3
    directories = []
    for name in seal.hashes:
        hash_type, hasher = HASHES[name]
        size = hasher().digest_size
        special = []
        for slot in range(n_special, 0, -1):
            content = contents.get(slot)
            digest = hasher(content).digest() if content is not None else b"\0" * size
            if slot == seal.tamper_slot and seal.tamper_slot_in in (None, name):
                digest = hasher(b"something else").digest()
            special.append(digest)
        pages = [hasher(code[i:i + PAGE]).digest() for i in range(0, len(code), PAGE)]
        if seal.tamper_code:
            pages[0] = hasher(b"something else").digest()
        ident = seal.identifier.encode() + b"\0"
        hash_offset = 88 + len(ident) + n_special * size
        header = struct.pack(">IIIIIIIIIBBBBIIIIQQQQ", 0xFADE0C02,
                             hash_offset + len(pages) * size, 0x20400, seal.flags, hash_offset, 88,
                             n_special, len(pages), len(code), size, hash_type, 0, 12, 0, 0, 0, 0,
                             0, 0, PAGE, 1)
        directories.append(header + ident + b"".join(special) + b"".join(pages))
    slots = [(0, directories[0])] + [(0x1000 + k, d) for k, d in enumerate(directories[1:])]
    slots += sorted(blobs.items()) + [(0x10000, EMPTY_CMS)]
    slots.sort()
    at, index = 12 + 8 * len(slots), b""
    for slot, data in slots:
        index += struct.pack(">II", slot, at)
        at += len(data)
    return struct.pack(">III", 0xFADE0CC0, at, len(slots)) + index + \
        b"".join(data for _, data in slots)


def pad(data, align):
    return data + b"\0" * (-len(data) % align)


def dylib_command(path):
    name = pad(path.encode() + b"\0", 8)
    return struct.pack("<IIIIII", 0xC, 24 + len(name), 24, 2, 0x10000, 0x10000) + name


def segment(name, fileoff, filesize):
    return struct.pack("<II16sQQQQIIII", 0x19, 72, name.encode(), 0, filesize, fileoff, filesize,
                       1, 1, 0, 0)


def macho(seal=None, cpu=ARM64, minos=(12, 0), dylibs=SYSTEM_DYLIBS, flags=SOUND_FLAGS,
          imports=(("_NSLog", 2), ("_malloc", 1)), signed=True, text_size=2 * PAGE + 100):
    """A 64-bit MH_EXECUTE: __TEXT (the header and `text_size` bytes of
    stand-in code), a build version, its dylibs, a symbol table of undefined
    symbols (name, library ordinal) in __LINKEDIT and, when signed, a
    signature made as `seal` says at the end of __LINKEDIT and of the file."""
    seal = seal or Seal()
    strings = b"\0" + b"".join(name.encode() + b"\0" for name, _ in imports)
    symbols, strx = b"", 1
    for name, ordinal in imports:
        symbols += struct.pack("<IBBHQ", strx, 0x01, 0, ordinal << 8, 0)
        strx += len(name) + 1

    def build(signature_size):
        fixed = [struct.pack("<IIIIII", 0x32, 24, 1, (minos[0] << 16) | (minos[1] << 8), 0, 0)]
        fixed += [dylib_command(path) for path in dylibs]
        sizes = 72 * 2 + sum(len(c) for c in fixed) + 24 + (16 if signed else 0)
        text_end = 32 + sizes + text_size
        symoff, stroff = text_end, text_end + len(symbols)
        sig_off = stroff + len(strings) + (-(stroff + len(strings)) % 16)
        end = sig_off + (signature_size if signed else 0)
        commands = [segment("__TEXT", 0, text_end), segment("__LINKEDIT", text_end, end - text_end)]
        commands += fixed + [struct.pack("<IIIIII", 0x2, 24, symoff, len(imports), stroff,
                                         len(strings))]
        if signed:
            commands.append(struct.pack("<IIII", 0x1D, 16, sig_off, signature_size))
        header = struct.pack("<IiiIIIII", 0xFEEDFACF, cpu, 0, 2, len(commands),
                             sum(len(c) for c in commands), flags, 0)
        filler = bytes(range(256)) * (text_size // 256 + 1)
        return pad(header + b"".join(commands) + filler[:text_size] + symbols + strings, 16)

    if not signed:
        return build(0)
    size = len(code_signature(build(0), seal))
    code = build(size)
    return code + code_signature(code, seal)


def fat(*slices, aligns=None):
    """A universal file; `aligns` the power of two each slice is aligned to
    (2^14 for all by default)."""
    aligns = aligns or [14] * len(slices)
    out = struct.pack(">II", 0xCAFEBABE, len(slices))
    offset = 8 + 20 * len(slices)
    placed = []
    for data, align in zip(slices, aligns):
        offset += -offset % (1 << align)
        cpu = struct.unpack_from("<i", data, 4)[0]
        out += struct.pack(">iiIII", cpu, 0, offset, len(data), align)
        placed.append((offset, data))
        offset += len(data)
    image = bytearray(offset)
    image[:len(out)] = out
    for at, data in placed:
        image[at:at + len(data)] = data
    return bytes(image)


def info_plist(**changes):
    info = {
        "CFBundleExecutable": "Vellicor",
        "CFBundleIdentifier": BUNDLE_ID,
        "CFBundlePackageType": "APPL",
        "CFBundleShortVersionString": VERSION,
        "CFBundleVersion": VERSION,
        "LSMinimumSystemVersion": "12.0",
        "LSUIElement": True,
    }
    info.update(changes)
    return {k: v for k, v in info.items() if v is not None}


def code_resources(contents, files, optional=()):
    """CodeResources listing `files` (paths relative to Contents) with the
    digests of what is there now."""
    files1, files2 = {}, {}
    for rel in files:
        data = (contents / rel).read_bytes()
        sha1, sha256 = hashlib.sha1(data).digest(), hashlib.sha256(data).digest()
        files2[rel] = {"hash": sha1, "hash2": sha256}
        files1[rel] = sha1
        if rel in optional:
            files2[rel]["optional"] = True
            files1[rel] = {"hash": sha1, "optional": True}
    return plistlib.dumps({"files": files1, "files2": files2, "rules": RULES, "rules2": RULES2})


RESOURCES = {"Resources/Vellicor.icns": b"icon bytes", "Resources/ko.lproj/Localizable.strings":
             b"\"quit\" = \"\xec\xa2\x85\xeb\xa3\x8c\";"}


def write_bundle(directory, executable=None, info=None, resources=RESOURCES, seal=None,
                 listed=None, sealed=True):
    """Vellicor.app in `directory`: Info.plist, PkgInfo, `resources`, their
    CodeResources (listing `listed`, by default every resource) and the
    executable, `executable(seal)` or a thin one, sealed over them."""
    app = Path(directory) / "Vellicor.app"
    contents = app / "Contents"
    (contents / "MacOS").mkdir(parents=True, exist_ok=True)
    info_bytes = plistlib.dumps(info if info is not None else info_plist())
    (contents / "Info.plist").write_bytes(info_bytes)
    (contents / "PkgInfo").write_bytes(b"APPL????")
    for rel, data in resources.items():
        (contents / rel).parent.mkdir(parents=True, exist_ok=True)
        (contents / rel).write_bytes(data)
    seal = seal or Seal()
    if seal.binds_files:
        seal = replace(seal, info=info_bytes)
    if sealed:
        listing = code_resources(contents, resources if listed is None else listed,
                                 optional=[r for r in resources if ".lproj/" in r])
        (contents / "_CodeSignature").mkdir(exist_ok=True)
        (contents / "_CodeSignature" / "CodeResources").write_bytes(listing)
        if seal.binds_files:
            seal = replace(seal, resources=listing)
    binary = contents / "MacOS" / "Vellicor"
    binary.write_bytes(executable(seal) if executable is not None else macho(seal))
    binary.chmod(0o755)
    return app
