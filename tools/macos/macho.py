"""Reads what a bundle check needs from a Mach-O executable, thin or fat.

Only the Python standard library: the slices, the build version, the linked
dylibs, the library each imported symbol is bound to, the segments, and the
code signature (code_signature.py) with its entitlements, each of its code
directories checked against the code and the blobs it binds. Malformed input
raises MachOError, never anything else.
"""

from __future__ import annotations

import struct
from dataclasses import dataclass, field

import code_signature

FAT_MAGIC = 0xCAFEBABE
FAT_MAGIC_64 = 0xCAFEBABF
MH_MAGIC_64 = 0xFEEDFACF
MH_EXECUTE = 2
MH_TWOLEVEL = 0x80
MH_FORCE_FLAT = 0x100

CPU_NAMES = {0x0100000C: "arm64", 0x01000007: "x86_64"}

LC_REQ_DYLD = 0x80000000
LC_SYMTAB = 0x2
LC_LOAD_DYLIB = 0xC
LC_CODE_SIGNATURE = 0x1D
LC_LAZY_LOAD_DYLIB = 0x20
LC_DYLD_INFO = 0x22
LC_VERSION_MIN_MACOSX = 0x24
LC_BUILD_VERSION = 0x32
LC_LOAD_WEAK_DYLIB = 0x18 | LC_REQ_DYLD
LC_REEXPORT_DYLIB = 0x1F | LC_REQ_DYLD
LC_DYLD_INFO_ONLY = 0x22 | LC_REQ_DYLD
LC_LOAD_UPWARD_DYLIB = 0x23 | LC_REQ_DYLD
LC_DYLD_CHAINED_FIXUPS = 0x34 | LC_REQ_DYLD
DYLIB_COMMANDS = {LC_LOAD_DYLIB, LC_LOAD_WEAK_DYLIB, LC_REEXPORT_DYLIB, LC_LAZY_LOAD_DYLIB,
                  LC_LOAD_UPWARD_DYLIB}
PLATFORM_MACOS = 1
MAX_FAT_SLICES = 16
MAX_FAT_ALIGN = 16  # 64 KiB; Apple's tools align slices to 4 or 16 KiB

# Library ordinals that are not a library of the executable's own list.
SELF_ORDINAL = 0
MAIN_EXECUTABLE_ORDINAL = -1
FLAT_LOOKUP_ORDINAL = -2
WEAK_LOOKUP_ORDINAL = -3

LC_SEGMENT_64 = 0x19


class MachOError(Exception):
    """The bytes are not a Mach-O file this reader understands."""


@dataclass
class Signature:
    offset: int = 0
    size: int = 0
    identifier: str = ""
    flags: int = 0
    adhoc: bool = False
    entitlements: dict | None = None
    der_entitlements: dict | None = None
    # The code directories and blobs, when the signature could be read.
    parsed: code_signature.Signature | None = None
    # What does not match the code or the signature's own blobs.
    problems: list = field(default_factory=list)


@dataclass
class Segment:
    command_offset: int  # of its LC_SEGMENT_64 in the slice
    fileoff: int
    filesize: int
    vmsize: int


@dataclass
class Slice:
    arch: str
    filetype: int = 0
    flags: int = 0
    platform: int | None = None
    minos: tuple | None = None
    dylibs: list = field(default_factory=list)
    # (symbol, library ordinal) for each import in the symbol table and the
    # dyld bind information.
    imports: list = field(default_factory=list)
    signature: Signature | None = None
    segments: dict = field(default_factory=dict)  # name -> Segment
    # Where LC_CODE_SIGNATURE is in the slice, or None.
    signature_command_offset: int | None = None


def _u32(data, offset, endian="<"):
    if offset < 0 or offset + 4 > len(data):
        raise MachOError(f"truncated at offset {offset}")
    return struct.unpack_from(endian + "I", data, offset)[0]


def _cstring(data, offset, limit):
    end = data.find(b"\0", offset, limit)
    return data[offset:end if end >= 0 else limit].decode("utf-8", "replace")


def _version(packed):
    return (packed >> 16, (packed >> 8) & 0xFF, packed & 0xFF)


def read_slices(data):
    """Every architecture in the file, in order."""
    try:
        return _read_slices(data)
    except (struct.error, IndexError, ValueError) as error:
        raise MachOError(f"malformed: {error}") from error


@dataclass
class FatEntry:
    cputype: int
    cpusubtype: int
    offset: int
    size: int
    align: int  # a power of two


def fat_entries(data):
    """The slices of a universal file as they are placed in it, or None for a
    thin file."""
    try:
        magic = _u32(data, 0, ">")
        if magic not in (FAT_MAGIC, FAT_MAGIC_64):
            return None
        count = _u32(data, 4, ">")
        if count > MAX_FAT_SLICES:
            raise MachOError(f"{count} slices in a universal file")
        entries = []
        at = 8
        for _ in range(count):
            if magic == FAT_MAGIC:
                if at + 20 > len(data):
                    raise MachOError("truncated fat header")
                entry = FatEntry(*struct.unpack_from(">iiIII", data, at))
                at += 20
            else:
                if at + 32 > len(data):
                    raise MachOError("truncated fat header")
                cpu, sub, offset, size, align, _ = struct.unpack_from(">iiQQII", data, at)
                entry = FatEntry(cpu, sub, offset, size, align)
                at += 32
            if entry.offset + entry.size > len(data):
                raise MachOError("a fat slice runs past the end of the file")
            if entry.align > MAX_FAT_ALIGN:
                raise MachOError(f"a fat slice aligned to 2^{entry.align}")
            entries.append(entry)
        return entries
    except (struct.error, IndexError, ValueError) as error:
        raise MachOError(f"malformed: {error}") from error


def _read_slices(data):
    entries = fat_entries(data)
    if entries is None:
        return [read_thin(data)]
    return [read_thin(data[e.offset:e.offset + e.size]) for e in entries]


def read_thin(data):
    if _u32(data, 0) != MH_MAGIC_64:
        raise MachOError("not a 64-bit little-endian Mach-O file")
    if len(data) < 32:
        raise MachOError("truncated Mach-O header")
    _, cputype, _, filetype, ncmds, sizeofcmds, flags, _ = struct.unpack_from("<IiiIIIII", data, 0)
    out = Slice(arch=CPU_NAMES.get(cputype & 0xFFFFFFFF, f"cputype {cputype:#x}"),
                filetype=filetype, flags=flags)
    end = 32 + sizeofcmds
    if end > len(data):
        raise MachOError("load commands run past the end of the file")
    offset = 32
    for _ in range(ncmds):
        cmd, cmdsize = _u32(data, offset), _u32(data, offset + 4)
        if cmdsize < 8 or offset + cmdsize > end:
            raise MachOError(f"bad load command size {cmdsize} at offset {offset}")
        _read_command(data, offset, cmd, cmdsize, out)
        offset += cmdsize
    return out


def _read_command(data, offset, cmd, cmdsize, out):
    limit = offset + cmdsize
    if cmd in DYLIB_COMMANDS:
        out.dylibs.append(_cstring(data, offset + _u32(data, offset + 8), limit))
    elif cmd == LC_BUILD_VERSION:
        out.platform = _u32(data, offset + 8)
        out.minos = _version(_u32(data, offset + 12))
    elif cmd == LC_VERSION_MIN_MACOSX and out.minos is None:
        out.platform = PLATFORM_MACOS
        out.minos = _version(_u32(data, offset + 8))
    elif cmd == LC_SYMTAB:
        symoff, nsyms, stroff, strsize = struct.unpack_from("<IIII", data, offset + 8)
        out.imports += _undefined_symbols(data, symoff, nsyms, stroff, strsize)
    elif cmd in (LC_DYLD_INFO, LC_DYLD_INFO_ONLY):
        fields = struct.unpack_from("<10I", data, offset + 8)
        for start, size in ((fields[2], fields[3]), (fields[6], fields[7])):
            out.imports += _bind_opcodes(data, start, size)
    elif cmd == LC_DYLD_CHAINED_FIXUPS:
        dataoff, datasize = struct.unpack_from("<II", data, offset + 8)
        out.imports += _chained_imports(data, dataoff, datasize)
    elif cmd == LC_SEGMENT_64:
        if cmdsize < 72:
            raise MachOError(f"a segment command of {cmdsize} bytes")
        name = data[offset + 8:offset + 24].split(b"\0", 1)[0].decode("ascii", "replace")
        _, vmsize, fileoff, filesize = struct.unpack_from("<QQQQ", data, offset + 24)
        out.segments[name] = Segment(offset, fileoff, filesize, vmsize)
    elif cmd == LC_CODE_SIGNATURE:
        dataoff, datasize = struct.unpack_from("<II", data, offset + 8)
        out.signature_command_offset = offset
        out.signature = _signature(data, dataoff, datasize)


def _undefined_symbols(data, symoff, nsyms, stroff, strsize):
    if symoff + 16 * nsyms > len(data) or stroff + strsize > len(data):
        raise MachOError("the symbol table runs past the end of the file")
    found = []
    for i in range(nsyms):
        strx, n_type, _, n_desc, _ = struct.unpack_from("<IBBHQ", data, symoff + 16 * i)
        if n_type & 0xE0:  # a debugging entry
            continue
        if (n_type & 0x0E) == 0 and (n_type & 0x01):  # N_UNDF, N_EXT
            ordinal = (n_desc >> 8) & 0xFF
            found.append((_cstring(data, stroff + strx, stroff + strsize),
                          ordinal - 256 if ordinal >= 0xFD else ordinal))
    return found


def _uleb(data, i, end):
    value, shift = 0, 0
    while True:
        if i >= end:
            raise MachOError("truncated bind information")
        byte = data[i]
        i += 1
        value |= (byte & 0x7F) << shift
        shift += 7
        if not byte & 0x80:
            return value, i


def _bind_opcodes(data, start, size):
    """(symbol, ordinal) of each bind in a dyld bind or lazy-bind stream."""
    end = start + size
    if end > len(data):
        raise MachOError("bind information runs past the end of the file")
    found, ordinal, symbol, i = [], 0, "", start
    while i < end:
        opcode, imm = data[i] & 0xF0, data[i] & 0x0F
        i += 1
        if opcode == 0x10:  # SET_DYLIB_ORDINAL_IMM
            ordinal = imm
        elif opcode == 0x20:  # SET_DYLIB_ORDINAL_ULEB
            ordinal, i = _uleb(data, i, end)
        elif opcode == 0x30:  # SET_DYLIB_SPECIAL_IMM: 0, -1, -2, -3
            ordinal = imm - 16 if imm else 0
        elif opcode == 0x40:  # SET_SYMBOL_TRAILING_FLAGS_IMM
            stop = data.find(b"\0", i, end)
            if stop < 0:
                raise MachOError("unterminated symbol name in bind information")
            symbol = data[i:stop].decode("utf-8", "replace")
            i = stop + 1
        elif opcode in (0x60, 0x70, 0x80):  # SET_ADDEND_SLEB, SET_SEGMENT_AND_OFFSET_ULEB,
            _, i = _uleb(data, i, end)  # ADD_ADDR_ULEB: one operand each
        elif opcode in (0x90, 0xA0, 0xB0):  # DO_BIND, ..._ADD_ADDR_ULEB, ..._SCALED
            if opcode == 0xA0:
                _, i = _uleb(data, i, end)
            found.append((symbol, ordinal))
        elif opcode == 0xC0:  # DO_BIND_ULEB_TIMES_SKIPPING_ULEB
            _, i = _uleb(data, i, end)
            _, i = _uleb(data, i, end)
            found.append((symbol, ordinal))
        elif opcode == 0xD0 and imm == 0:  # THREADED SET_BIND_ORDINAL_TABLE_SIZE_ULEB
            _, i = _uleb(data, i, end)
        # 0x00 DONE (lazy streams hold one per symbol), 0x50 SET_TYPE_IMM
    return found


def _chained_imports(data, dataoff, datasize):
    if dataoff + 28 > len(data) or dataoff + datasize > len(data):
        raise MachOError("chained fixups run past the end of the file")
    _, _, imports_off, symbols_off, count, fmt, _ = struct.unpack_from("<7I", data, dataoff)
    sizes = {1: 4, 2: 8, 3: 16}
    if fmt not in sizes:
        raise MachOError(f"unknown chained import format {fmt}")
    found = []
    for k in range(count):
        at = dataoff + imports_off + k * sizes[fmt]
        if fmt == 3:
            word = struct.unpack_from("<Q", data, at)[0]
            ordinal, name_off = word & 0xFFFF, (word >> 32) & 0xFFFFFFFF
            ordinal = ordinal - 0x10000 if ordinal >= 0xFFF0 else ordinal
        else:
            word = _u32(data, at)
            ordinal, name_off = word & 0xFF, word >> 9
            ordinal = ordinal - 256 if ordinal >= 0xF0 else ordinal
        name_at = dataoff + symbols_off + name_off
        found.append((_cstring(data, name_at, dataoff + datasize), ordinal))
    return found


def _signature(data, dataoff, datasize):
    if dataoff + datasize > len(data) or datasize < 12:
        raise MachOError("the code signature runs past the end of the file")
    out = Signature(offset=dataoff, size=datasize)
    try:
        parsed = code_signature.read(data[dataoff:dataoff + datasize])
    except code_signature.SignatureError as error:
        out.problems.append(str(error))
        return out
    out.parsed = parsed
    main = parsed.main
    if main is None:
        out.problems.append("the code signature has no code directory")
        return out
    out.identifier, out.flags = main.identifier, main.flags
    out.adhoc = bool(main.flags & code_signature.ADHOC)
    for name, read in (("entitlements", code_signature.xml_entitlements),
                       ("DER entitlements", code_signature.der_entitlements)):
        try:
            value = read(parsed)
        except code_signature.SignatureError as error:
            out.problems.append(str(error))
            value = {}
        if name == "entitlements":
            out.entitlements = value
        else:
            out.der_entitlements = value
    for directory in parsed.directories:
        _check_directory(directory, data, dataoff, parsed, out)
    return out


# The blobs inside the signature that special slots hash, with their names.
BLOB_SLOTS = ((code_signature.SLOT_REQUIREMENTS, "requirements"),
              (code_signature.SLOT_ENTITLEMENTS, "entitlements"),
              (code_signature.SLOT_DER_ENTITLEMENTS, "DER entitlements"))


def _check_directory(cd, data, signature_offset, parsed, sig):
    """Checks one code directory's hashes against the code and against the
    blobs of the signature its special slots name."""
    what = f"{cd.hash_name} code directory"
    if cd.code_limit != signature_offset:
        sig.problems.append(f"the {what} covers {cd.code_limit} bytes, not the "
                            f"{signature_offset} before the signature")
    page = cd.page_size or cd.code_limit
    for k, stored in enumerate(cd.code_hashes):
        chunk = data[k * page:min((k + 1) * page, cd.code_limit)]
        if cd.digest(chunk) != stored:
            sig.problems.append(f"code page {k} does not match its hash in the {what}")
            break
    if len(cd.code_hashes) * page < cd.code_limit:
        sig.problems.append(f"the {what} does not hash all of the code")
    for slot, name in BLOB_SLOTS:
        blob = parsed.blobs.get(slot)
        if blob is not None and slot not in cd.special:
            sig.problems.append(f"the {name} are not bound to the {what} (no slot -{slot})")
        elif not cd.slot_matches(slot, blob):
            sig.problems.append(f"the {name} do not match slot -{slot} of the {what}")
