"""The resource rules of an app bundle's seal, as codesign writes them.

Contents/_CodeSignature/CodeResources names each file of the bundle that the
signature covers besides the executable and Info.plist, with its digests. Which
files those are follows from the rules it carries: codesign's standard rules
for an app bundle are below, and `classify` applies them as codesign does, the
matching rule of highest weight deciding. Only the Python standard library.
"""

from __future__ import annotations

import hashlib
import os
import re
from dataclasses import dataclass
from pathlib import Path

# The version-1 rules, for systems before the version-2 envelope: only the
# resources and version.plist are listed under them.
RULES = {
    "^Resources/": True,
    "^Resources/.*\\.lproj/": {"optional": True, "weight": 1000.0},
    "^Resources/.*\\.lproj/locversion.plist$": {"omit": True, "weight": 1100.0},
    "^Resources/Base\\.lproj/": {"weight": 1010.0},
    "^version.plist$": True,
}

# The version-2 rules, which macOS checks: everything but Info.plist and
# PkgInfo (bound by the signature itself) is listed, and code in the usual
# places, or directly in Contents, is nested code with a signature of its own.
RULES2 = {
    ".*\\.dSYM($|/)": {"weight": 11.0},
    "^(.*/)?\\.DS_Store$": {"omit": True, "weight": 2000.0},
    "^(Frameworks|SharedFrameworks|PlugIns|Plug-ins|XPCServices|Helpers|MacOS|"
    "Library/(Automator|Spotlight|LoginItems))/": {"nested": True, "weight": 10.0},
    "^.*": True,
    "^Info\\.plist$": {"omit": True, "weight": 20.0},
    "^PkgInfo$": {"omit": True, "weight": 20.0},
    "^Resources/": {"weight": 20.0},
    "^Resources/.*\\.lproj/": {"optional": True, "weight": 1000.0},
    "^Resources/.*\\.lproj/locversion.plist$": {"omit": True, "weight": 1100.0},
    "^Resources/Base\\.lproj/": {"weight": 1010.0},
    "^[^/]+$": {"nested": True, "weight": 10.0},
    "^embedded\\.provisionprofile$": {"weight": 20.0},
    "^version\\.plist$": {"weight": 20.0},
}

# The folder of the seal itself, never listed in it.
SIGNATURE_DIR = "_CodeSignature"


@dataclass(frozen=True)
class Rule:
    """What a rule says of the files it matches; `listed` is False where no
    rule matches at all."""
    listed: bool = True
    omit: bool = False
    nested: bool = False
    optional: bool = False


def _compile(rules):
    compiled = []
    for pattern, value in rules.items():
        attrs = value if isinstance(value, dict) else {}
        compiled.append((re.compile(pattern), float(attrs.get("weight", 1.0)),
                         Rule(omit=bool(attrs.get("omit")), nested=bool(attrs.get("nested")),
                              optional=bool(attrs.get("optional")))))
    return compiled


_COMPILED = {1: _compile(RULES), 2: _compile(RULES2)}


def classify(path: str, version=2) -> Rule:
    """The rule for `path` (relative to Contents, '/'-separated) under the
    version-1 or version-2 rules: the one of highest weight among those whose
    pattern matches it."""
    best, best_weight = Rule(listed=False), None
    for pattern, weight, rule in _COMPILED[version]:
        if pattern.search(path) and (best_weight is None or weight > best_weight):
            best, best_weight = rule, weight
    return best


def bundle_files(contents: Path, limit=100_000):
    """Every file and symbolic link under Contents but the seal's own folder,
    as sorted '/'-separated relative paths. Symbolic links are listed, never
    followed; more than `limit` entries is an error (ValueError)."""
    found = []
    for directory, dirs, files in os.walk(contents):
        rel_dir = os.path.relpath(directory, contents)
        if rel_dir == ".":
            dirs[:] = [d for d in dirs if d != SIGNATURE_DIR]
            rel_dir = ""
        links = [d for d in dirs if os.path.islink(os.path.join(directory, d))]
        dirs[:] = [d for d in dirs if d not in links]
        for name in files + links:
            found.append(f"{rel_dir}/{name}" if rel_dir else name)
            if len(found) > limit:
                raise ValueError(f"more than {limit} files in {contents}")
    return sorted(found)


def digests(path: Path):
    """(SHA-1, SHA-256) of a file's bytes, read in blocks."""
    sha1, sha256 = hashlib.sha1(), hashlib.sha256()
    with open(path, "rb") as f:
        for block in iter(lambda: f.read(1 << 20), b""):
            sha1.update(block)
            sha256.update(block)
    return sha1.digest(), sha256.digest()
