#!/usr/bin/env python3
"""Seals an app bundle with an ad-hoc signature, as codesign does, on any system.

    seal.py APP --entitlements FILE

Writes Contents/_CodeSignature/CodeResources (codesign's standard rules, and
the SHA-1 and SHA-256 digests of every file they list), then gives each slice
of the executable a new embedded signature in place of the one it has (the
linker's): a SHA-256 code directory whose identifier is CFBundleIdentifier,
flagged ad hoc only, over 4 KiB pages up to the signature, with the special
slots Info.plist (-1), requirements (-2, an empty requirement set),
CodeResources (-3), entitlements (-5, the file's XML) and DER entitlements
(-7); then those blobs and an empty CMS wrapper. LC_CODE_SIGNATURE and
__LINKEDIT are sized to it. Only the Python standard library.

Refuses, leaving the bundle as it was, what it cannot seal as codesign would:
a symbolic link, nested code (another executable in Contents/MacOS, a file
directly in Contents), a slice without LC_CODE_SIGNATURE at the end of the
file. Exit status 0 when sealed, 1 when refused, 2 on a usage error.
"""

from __future__ import annotations

import argparse
import os
import plistlib
import struct
import sys
import tempfile
from pathlib import Path

sys.dont_write_bytecode = True  # nothing written into the source tree
sys.path.insert(0, str(Path(__file__).resolve().parent))
import code_signature as cs  # noqa: E402  (found through the path set just above)
import macho  # noqa: E402
import resource_rules  # noqa: E402

PAGE_SIZE = 4096
PAGE_LOG = 12
SEGMENT_ALIGN = 0x4000
DIRECTORY_HEADER = 88  # a version 0x20400 code directory, up to its identifier
SPECIAL_SLOTS = 7
SHA256 = 2
SIGNATURE_ALIGN = 16


class SealError(Exception):
    """The bundle cannot be sealed as it stands."""


def _round_up(n, align):
    return (n + align - 1) // align * align


def code_resources(contents: Path, executable: str) -> bytes:
    """CodeResources for the bundle whose Contents folder is `contents`."""
    files, files2 = {}, {}
    for rel in resource_rules.bundle_files(contents):
        if rel == f"MacOS/{executable}":
            continue
        path = contents / rel
        if path.is_symlink():
            raise SealError(f"Contents/{rel} is a symbolic link, which this signer does not seal")
        rule2 = resource_rules.classify(rel, 2)
        if rule2.nested:
            raise SealError(f"Contents/{rel} is where nested code goes, which this signer "
                            "does not sign: put resources in Contents/Resources")
        if rule2.omit or not rule2.listed:
            continue
        sha1, sha256 = resource_rules.digests(path)
        files2[rel] = {"hash": sha1, "hash2": sha256}
        if rule2.optional:
            files2[rel]["optional"] = True
        rule1 = resource_rules.classify(rel, 1)
        if rule1.listed and not rule1.omit:
            files[rel] = {"hash": sha1, "optional": True} if rule1.optional else sha1
    return plistlib.dumps({"files": files, "files2": files2, "rules": resource_rules.RULES,
                           "rules2": resource_rules.RULES2})


def _blob(magic, payload):
    return struct.pack(">II", magic, 8 + len(payload)) + payload


def _code_directory(code, identifier, special, exec_seg, hasher):
    """A SHA-256 code directory over `code`, with `special` the hashes of
    slots -1 to -SPECIAL_SLOTS (None for an empty slot)."""
    ident = identifier.encode("utf-8") + b"\0"
    size = hasher().digest_size
    pages = [hasher(code[at:at + PAGE_SIZE]).digest() for at in range(0, len(code), PAGE_SIZE)]
    slots = b"".join(special.get(k) or b"\0" * size for k in range(SPECIAL_SLOTS, 0, -1))
    hash_offset = DIRECTORY_HEADER + len(ident) + len(slots)
    length = hash_offset + len(pages) * size
    base, limit, flags = exec_seg
    header = struct.pack(">IIIIIIIIIBBBBIIIIQQQQ", cs.CODE_DIRECTORY, length,
                         cs.DIRECTORY_VERSION_EXEC_SEG, cs.ADHOC, hash_offset, DIRECTORY_HEADER,
                         SPECIAL_SLOTS, len(pages), len(code), size, SHA256, 0, PAGE_LOG, 0, 0, 0,
                         0, 0, base, limit, flags)
    return header + ident + slots + b"".join(pages)


def _superblob(blobs):
    """An embedded signature of (slot, blob) pairs, in slot order."""
    blobs = sorted(blobs)
    at = 12 + 8 * len(blobs)
    index = b""
    for slot, blob in blobs:
        index += struct.pack(">II", slot, at)
        at += len(blob)
    return struct.pack(">III", cs.EMBEDDED_SIGNATURE, at, len(blobs)) + index + \
        b"".join(blob for _, blob in blobs)


def seal_thin(data: bytes, identifier, info_plist, resources, entitlements_xml) -> bytes:
    """A thin Mach-O executable with its signature replaced by an ad-hoc one."""
    piece = macho.read_thin(data)
    sig, linkedit, text = piece.signature, piece.segments.get("__LINKEDIT"), \
        piece.segments.get("__TEXT")
    if piece.signature_command_offset is None or sig is None:
        raise SealError(f"{piece.arch}: no LC_CODE_SIGNATURE to fill (the linker's ad-hoc "
                        "signature makes room for one)")
    if linkedit is None or text is None:
        raise SealError(f"{piece.arch}: no __TEXT or __LINKEDIT segment")
    if sig.offset + sig.size != len(data) or linkedit.fileoff + linkedit.filesize != len(data):
        raise SealError(f"{piece.arch}: the signature is not at the end of __LINKEDIT and "
                        "of the file")

    hasher = cs.HASHES[SHA256][1]
    entitlements = plistlib.loads(entitlements_xml)
    blobs = {
        cs.SLOT_REQUIREMENTS: cs.EMPTY_REQUIREMENTS,
        cs.SLOT_ENTITLEMENTS: _blob(cs.ENTITLEMENTS, entitlements_xml),
        cs.SLOT_DER_ENTITLEMENTS: _blob(cs.DER_ENTITLEMENTS,
                                        cs.encode_der_entitlements(entitlements)),
    }
    special = {k: hasher(blob).digest() for k, blob in blobs.items()}
    special[cs.SLOT_INFO] = hasher(info_plist).digest()
    special[cs.SLOT_RESOURCES] = hasher(resources).digest()
    blobs[cs.SLOT_CMS] = cs.EMPTY_CMS
    exec_seg = (text.fileoff, text.filesize,
                cs.EXEC_SEG_MAIN_BINARY if piece.filetype == macho.MH_EXECUTE else 0)

    # The directory's size does not depend on the hashes, so the load commands
    # can be sized before the pages they lie in are hashed.
    code_limit = sig.offset
    placeholder = _code_directory(bytes(code_limit), identifier, special, exec_seg, hasher)
    size = _round_up(len(_superblob([(0, placeholder)] + list(blobs.items()))), SIGNATURE_ALIGN)
    code = bytearray(data[:code_limit])
    struct.pack_into("<I", code, piece.signature_command_offset + 12, size)
    filesize = code_limit + size - linkedit.fileoff
    vmsize = max(linkedit.vmsize, _round_up(filesize, SEGMENT_ALIGN))
    struct.pack_into("<Q", code, linkedit.command_offset + 32, vmsize)
    struct.pack_into("<Q", code, linkedit.command_offset + 48, filesize)
    directory = _code_directory(bytes(code), identifier, special, exec_seg, hasher)
    signature = _superblob([(cs.SLOT_CODE_DIRECTORY, directory)] + list(blobs.items()))
    return bytes(code) + signature + b"\0" * (size - len(signature))


def seal_executable(data: bytes, **seal) -> bytes:
    """Every slice sealed; a universal file keeps its slices' order and
    alignment."""
    entries = macho.fat_entries(data)
    if entries is None:
        return seal_thin(data, **seal)
    sealed = [seal_thin(data[e.offset:e.offset + e.size], **seal) for e in entries]
    header = struct.pack(">II", macho.FAT_MAGIC, len(entries))
    placed, at = [], 8 + 20 * len(entries)
    for entry, piece in zip(entries, sealed):
        at = _round_up(at, 1 << entry.align)
        header += struct.pack(">iiIII", entry.cputype, entry.cpusubtype, at, len(piece),
                              entry.align)
        placed.append((at, piece))
        at += len(piece)
    out = bytearray(at)
    out[:len(header)] = header
    for offset, piece in placed:
        out[offset:offset + len(piece)] = piece
    return bytes(out)


def _write_atomically(path: Path, data: bytes, mode):
    fd, tmp = tempfile.mkstemp(dir=path.parent, prefix=f".{path.name}.")
    try:
        with os.fdopen(fd, "wb") as f:
            f.write(data)
        os.chmod(tmp, mode)
        os.replace(tmp, path)
    except BaseException:
        os.unlink(tmp)
        raise


def _property_list(data, what):
    try:
        value = plistlib.loads(data)
    except Exception as error:  # plistlib raises several kinds on bad input
        raise SealError(f"{what} does not parse as a property list: {error}") from error
    if not isinstance(value, dict):
        raise SealError(f"{what} is not a dictionary")
    return value


def seal_bundle(app: Path, entitlements: Path):
    """Seals `app` in place; raises SealError (bundle untouched) when it cannot."""
    contents = app / "Contents"
    info_bytes = (contents / "Info.plist").read_bytes()
    entitlements_xml = entitlements.read_bytes()
    info, wanted = _property_list(info_bytes, "Info.plist"), \
        _property_list(entitlements_xml, str(entitlements))
    identifier, executable = info.get("CFBundleIdentifier"), info.get("CFBundleExecutable")
    try:
        cs.encode_der_entitlements(wanted)
    except ValueError as error:
        raise SealError(f"{entitlements}: {error}") from error
    if not isinstance(identifier, str) or not identifier or "\0" in identifier:
        raise SealError(f"CFBundleIdentifier is {identifier!r}, not a bundle identifier")
    if not isinstance(executable, str) or not executable or "/" in executable:
        raise SealError(f"CFBundleExecutable is {executable!r}, not a file name")
    binary = contents / "MacOS" / executable
    resources = code_resources(contents, executable)
    try:
        sealed = seal_executable(binary.read_bytes(), identifier=identifier,
                                 info_plist=info_bytes, resources=resources,
                                 entitlements_xml=entitlements_xml)
    except macho.MachOError as error:
        raise SealError(f"Contents/MacOS/{executable}: {error}") from error
    (contents / resource_rules.SIGNATURE_DIR).mkdir(exist_ok=True)
    _write_atomically(contents / resource_rules.SIGNATURE_DIR / "CodeResources", resources, 0o644)
    _write_atomically(binary, sealed, 0o755)
    return identifier


def main(argv):
    parser = argparse.ArgumentParser(description="Seal an app bundle with an ad-hoc signature.")
    parser.add_argument("app", type=Path)
    parser.add_argument("--entitlements", type=Path, required=True)
    args = parser.parse_args(argv)
    if not (args.app / "Contents" / "Info.plist").is_file():
        print(f"seal: {args.app} is not an app bundle (no Contents/Info.plist)", file=sys.stderr)
        return 2
    try:
        identifier = seal_bundle(args.app, args.entitlements)
    except (SealError, OSError, ValueError) as error:
        print(f"seal: {args.app}: {error}", file=sys.stderr)
        return 1
    print(f"seal: sealed {args.app} ad hoc as {identifier}")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
