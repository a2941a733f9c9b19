"""Reads an embedded code signature: its code directories and the blobs their
special slots hash. Only the Python standard library; malformed input raises
SignatureError, never anything else.

All numbers in a signature are big-endian. The superblob indexes its blobs by
slot: 0 the code directory, 0x1000 and on the alternate code directories (a
SHA-256 one beside a SHA-1 one), 2 the requirements, 5 the entitlements as XML,
7 as DER, 0x10000 the CMS signature (an empty wrapper when signed ad hoc). A
code directory holds one hash per page of the code and, before them, one per
special slot: -1 Info.plist, -2 the requirements blob, -3 CodeResources,
-5 the entitlements blob, -7 the DER entitlements blob, each over the whole
blob, header included, or over the file's bytes.
"""

from __future__ import annotations

import hashlib
import plistlib
import struct
from dataclasses import dataclass, field

EMBEDDED_SIGNATURE = 0xFADE0CC0
CODE_DIRECTORY = 0xFADE0C02
REQUIREMENTS = 0xFADE0C01
ENTITLEMENTS = 0xFADE7171
DER_ENTITLEMENTS = 0xFADE7172
BLOB_WRAPPER = 0xFADE0B01

SLOT_CODE_DIRECTORY = 0
SLOT_INFO = 1
SLOT_REQUIREMENTS = 2
SLOT_RESOURCES = 3
SLOT_ENTITLEMENTS = 5
SLOT_DER_ENTITLEMENTS = 7
SLOT_ALTERNATE_DIRECTORIES = range(0x1000, 0x1005)
SLOT_CMS = 0x10000
BLOB_MAGIC = {SLOT_REQUIREMENTS: REQUIREMENTS, SLOT_ENTITLEMENTS: ENTITLEMENTS,
              SLOT_DER_ENTITLEMENTS: DER_ENTITLEMENTS, SLOT_CMS: BLOB_WRAPPER}

ADHOC = 0x2
LINKER_SIGNED = 0x20000
HASHES = {1: ("SHA-1", hashlib.sha1), 2: ("SHA-256", hashlib.sha256)}
DIRECTORY_VERSION_EXEC_SEG = 0x20400
EXEC_SEG_MAIN_BINARY = 0x1
# An empty requirement set: what an ad-hoc signature carries.
EMPTY_REQUIREMENTS = struct.pack(">III", REQUIREMENTS, 12, 0)
EMPTY_CMS = struct.pack(">II", BLOB_WRAPPER, 8)
MAX_BLOBS = 64
MAX_DER_DEPTH = 16


class SignatureError(Exception):
    """The bytes are not a code signature this reader understands."""


@dataclass
class Directory:
    """One code directory."""
    slot: int
    hash_name: str
    hasher: object
    version: int
    flags: int
    identifier: str
    code_limit: int
    page_size: int
    exec_seg_flags: int | None
    special: dict  # slot number (1 for -1 ...) -> the hash stored there
    code_hashes: list

    def digest(self, content: bytes) -> bytes:
        return self.hasher(content).digest()

    def slot_matches(self, slot, content):
        """Whether special slot -`slot` holds the hash of `content`; None
        stands for nothing, which an empty or absent slot matches."""
        stored = self.special.get(slot)
        if content is None:
            return stored is None or not any(stored)
        return stored == self.digest(content)


@dataclass
class Signature:
    directories: list = field(default_factory=list)
    blobs: dict = field(default_factory=dict)  # slot -> whole blob, header included

    @property
    def main(self):
        return self.directories[0] if self.directories else None


def _blob_at(blob, offset, what):
    if offset + 8 > len(blob):
        raise SignatureError(f"{what} runs past the signature")
    magic, length = struct.unpack_from(">II", blob, offset)
    if length < 8 or offset + length > len(blob):
        raise SignatureError(f"{what} runs past the signature")
    return magic, blob[offset:offset + length]


def read(blob: bytes) -> Signature:
    """The superblob at the start of `blob` (LC_CODE_SIGNATURE's bytes, which
    may carry padding after it)."""
    if len(blob) < 12:
        raise SignatureError("the code signature is truncated")
    magic, length, count = struct.unpack_from(">III", blob, 0)
    if magic != EMBEDDED_SIGNATURE:
        raise SignatureError(f"code signature magic {magic:#x} is not an embedded signature")
    if length > len(blob) or count > MAX_BLOBS or 12 + 8 * count > length:
        raise SignatureError("the code signature's index runs past it")
    blob = blob[:length]
    sig = Signature()
    for k in range(count):
        slot, offset = struct.unpack_from(">II", blob, 12 + 8 * k)
        magic, data = _blob_at(blob, offset, f"blob {slot:#x}")
        if slot == SLOT_CODE_DIRECTORY or slot in SLOT_ALTERNATE_DIRECTORIES:
            if magic != CODE_DIRECTORY:
                raise SignatureError(f"slot {slot:#x} holds magic {magic:#x}, not a code directory")
            sig.directories.append(_directory(slot, data))
        elif slot in BLOB_MAGIC and magic != BLOB_MAGIC[slot]:
            raise SignatureError(f"slot {slot:#x} holds magic {magic:#x}, "
                                 f"not {BLOB_MAGIC[slot]:#x}")
        sig.blobs[slot] = data
    sig.directories.sort(key=lambda d: d.slot)
    return sig


def _directory(slot, cd) -> Directory:
    if len(cd) < 44:
        raise SignatureError("a code directory is truncated")
    (_, _, version, flags, hash_off, ident_off, n_special, n_code, code_limit, hash_size,
     hash_type, _, page_log) = struct.unpack_from(">IIIIIIIIIBBBB", cd, 0)
    if hash_type not in HASHES:
        raise SignatureError(f"unknown code directory hash type {hash_type}")
    name, hasher = HASHES[hash_type]
    if hash_size != hasher().digest_size:
        raise SignatureError(f"a {name} code directory with {hash_size}-byte hashes")
    if (hash_off < n_special * hash_size or hash_off + n_code * hash_size > len(cd)
            or ident_off >= len(cd)):
        raise SignatureError("a code directory's hashes run outside it")
    end = cd.find(b"\0", ident_off)
    if end < 0:
        raise SignatureError("a code directory's identifier is not terminated")
    special = {}
    for k in range(1, n_special + 1):
        special[k] = cd[hash_off - k * hash_size:hash_off - (k - 1) * hash_size]
    codes = [cd[hash_off + k * hash_size:hash_off + (k + 1) * hash_size] for k in range(n_code)]
    exec_seg_flags = None
    if version >= DIRECTORY_VERSION_EXEC_SEG and len(cd) >= 88:
        exec_seg_flags = struct.unpack_from(">Q", cd, 80)[0]
    return Directory(slot=slot, hash_name=name, hasher=hasher, version=version, flags=flags,
                     identifier=cd[ident_off:end].decode("utf-8", "replace"),
                     code_limit=code_limit, page_size=1 << page_log if page_log else 0,
                     exec_seg_flags=exec_seg_flags, special=special, code_hashes=codes)


def xml_entitlements(sig: Signature):
    """The XML entitlements as a value, or None without the blob."""
    blob = sig.blobs.get(SLOT_ENTITLEMENTS)
    if blob is None:
        return None
    try:
        return plistlib.loads(blob[8:])
    except Exception as error:  # plistlib raises several kinds on bad input
        raise SignatureError(
            f"the entitlements do not parse as a property list: {error}") from error


def der_entitlements(sig: Signature):
    """The DER entitlements as a value, or None without the blob."""
    blob = sig.blobs.get(SLOT_DER_ENTITLEMENTS)
    return None if blob is None else decode_der_entitlements(blob[8:])


# DER entitlements: [APPLICATION 16] { INTEGER 1, [CONTEXT 16] { SEQUENCE
# { UTF8String key, value }, ... } }, the keys in sorted order; a value is a
# BOOLEAN, an INTEGER, a UTF8String, a SEQUENCE of values (an array) or a
# [CONTEXT 16] of key-value pairs (a dictionary).
DER_BOOLEAN, DER_INTEGER, DER_UTF8, DER_SEQUENCE = 0x01, 0x02, 0x0C, 0x30
DER_DICTIONARY, DER_ENTITLEMENTS_TAG = 0xB0, 0x70


def _der_length(n):
    if n < 0x80:
        return bytes([n])
    body = n.to_bytes((n.bit_length() + 7) // 8, "big")
    return bytes([0x80 | len(body)]) + body


def _der(tag, body):
    return bytes([tag]) + _der_length(len(body)) + body


def _der_value(value):
    if isinstance(value, bool):
        return _der(DER_BOOLEAN, b"\xff" if value else b"\0")
    if isinstance(value, int):
        return _der(DER_INTEGER, value.to_bytes(max(1, (value.bit_length() + 8) // 8), "big",
                                                signed=True))
    if isinstance(value, str):
        return _der(DER_UTF8, value.encode("utf-8"))
    if isinstance(value, list):
        return _der(DER_SEQUENCE, b"".join(_der_value(v) for v in value))
    if isinstance(value, dict):
        return _der(DER_DICTIONARY, b"".join(
            _der(DER_SEQUENCE, _der_value(key) + _der_value(value[key]))
            for key in sorted(value, key=lambda k: k.encode("utf-8"))))
    raise ValueError(f"an entitlement value of type {type(value).__name__} has no DER form")


def encode_der_entitlements(entitlements: dict) -> bytes:
    """The DER form of an entitlements dictionary (keys must be strings)."""
    if not isinstance(entitlements, dict) or not all(isinstance(k, str) for k in entitlements):
        raise ValueError("the entitlements are not a dictionary with string keys")
    return _der(DER_ENTITLEMENTS_TAG, _der(DER_INTEGER, b"\x01") + _der_value(entitlements))


def _der_read(data, at, end):
    """(tag, body start, body end) of the element at `at`."""
    if at + 2 > end:
        raise SignatureError("the DER entitlements are truncated")
    tag, first = data[at], data[at + 1]
    at += 2
    if first & 0x80:
        size = first & 0x7F
        if size == 0 or size > 4 or at + size > end:
            raise SignatureError("a DER length is malformed")
        length = int.from_bytes(data[at:at + size], "big")
        at += size
    else:
        length = first
    if at + length > end:
        raise SignatureError("a DER element runs past its container")
    return tag, at, at + length


def _der_decode(data, at, end, depth):
    if depth > MAX_DER_DEPTH:
        raise SignatureError("the DER entitlements nest too deep")
    tag, start, stop = _der_read(data, at, end)
    body = data[start:stop]
    if tag == DER_BOOLEAN and len(body) == 1:
        value = body != b"\0"
    elif tag == DER_INTEGER and body:
        value = int.from_bytes(body, "big", signed=True)
    elif tag == DER_UTF8:
        value = body.decode("utf-8", "replace")
    elif tag in (DER_SEQUENCE, DER_DICTIONARY):
        items, i = [], start
        while i < stop:
            item, i = _der_decode(data, i, stop, depth + 1) if tag == DER_SEQUENCE else \
                _der_pair(data, i, stop, depth + 1)
            items.append(item)
        value = dict(items) if tag == DER_DICTIONARY else items
    else:
        raise SignatureError(f"DER tag {tag:#x} is not an entitlement value")
    return value, stop


def _der_pair(data, at, end, depth):
    tag, start, stop = _der_read(data, at, end)
    if tag != DER_SEQUENCE:
        raise SignatureError("a DER dictionary entry is not a key-value sequence")
    key, i = _der_decode(data, start, stop, depth)
    value, i = _der_decode(data, i, stop, depth)
    if not isinstance(key, str) or i != stop:
        raise SignatureError("a DER dictionary entry is not a key and one value")
    return (key, value), stop


def decode_der_entitlements(data: bytes):
    tag, start, stop = _der_read(data, 0, len(data))
    if tag != DER_ENTITLEMENTS_TAG or stop != len(data):
        raise SignatureError("the DER entitlements do not start with their [APPLICATION 16] tag")
    version, at = _der_decode(data, start, stop, 0)
    if version != 1:
        raise SignatureError(f"DER entitlements version {version!r}")
    value, at = _der_decode(data, at, stop, 0)
    if not isinstance(value, dict) or at != stop:
        raise SignatureError("the DER entitlements are not one dictionary")
    return value
