#!/usr/bin/env python3
"""Checks dist/kest.json as Scoop checks a manifest, and against the zip it names.

  scoop_manifest_check.py MANIFEST ZIP

Scoop validates a manifest against its JSON schema (schema.json in Scoop's repository): no
property outside those it lists, at the top and in each architecture; "version", "homepage" and
"license" required, and "url" unless every architecture has one; the version's and the hash's
patterns; URLs without "$"; "bin" and "persist" a string or a list of strings and lists of
strings; "shortcuts" lists of two to four strings. Its installer then checks the download's
hash. Prints each fault; exit status 1 when there is one.
"""
import hashlib
import json
import re
import sys
import zipfile

TOP = set("## _comment $schema architecture autoupdate bin persist checkver cookie depends description env_add_path "
          "env_set extract_dir extract_to hash homepage innosetup installer license msi notes post_install "
          "post_uninstall pre_install pre_uninstall psmodule shortcuts suggest uninstaller url version".split())
ARCH = set("bin checkver extract_dir hash installer msi post_install pre_install shortcuts uninstaller url".split())


def strings(v, least=1, most=None):
    return isinstance(v, list) and least <= len(v) <= (most or len(v)) and all(isinstance(s, str) for s in v)


def bin_like(v):
    return isinstance(v, str) or (isinstance(v, list) and v != [] and all(isinstance(i, str) or strings(i) for i in v))


def shortcuts(v):
    return isinstance(v, list) and v != [] and all(strings(s, 2, 4) for s in v)


def uri(v):
    return isinstance(v, str) and re.match(r"^[a-zA-Z][\w+.-]*://\S+$", v) is not None and "$" not in v


def main(manifest_path, zip_path):
    m = json.load(open(manifest_path, encoding="utf-8"))
    arch = m.get("architecture", {})
    names = set(zipfile.ZipFile(zip_path).namelist())
    top = m.get("extract_dir", "")
    checks = [
        (set(m) <= TOP, "properties Scoop does not know: %s" % sorted(set(m) - TOP)),
        (all(k in m for k in ("version", "homepage", "license")), "no version, homepage or license"),
        (re.match(r"^[\w.\-+]+$", m.get("version", "")), "a version Scoop does not take"),
        (uri(m.get("homepage")), "homepage is not a URL"),
        (isinstance(m.get("license"), (str, dict)), "license is neither an identifier nor one with a URL"),
        (set(arch) <= {"32bit", "64bit", "arm64"} and all(set(a) <= ARCH for a in arch.values()),
         "architecture properties Scoop does not know"),
        (all(bin_like(a.get("bin", "")) and shortcuts(a.get("shortcuts", [["", ""]])) for a in arch.values()),
         "bin or shortcuts of the wrong shape"),
        (uri(m.get("url")), "no url, or one with $"),
        (re.match(r"^([a-fA-F0-9]{64}|sha256:[a-fA-F0-9]{64})$", m.get("hash", "")), "a hash Scoop does not take"),
        (bin_like(m.get("persist")), "persist"),
        # What Kest's manifest says: its zip, its two programs, its data folder kept.
        (m.get("hash", "").lower().removeprefix("sha256:") == hashlib.sha256(open(zip_path, "rb").read()).hexdigest(),
         "the hash is not the zip's"),
        (m.get("url", "").endswith("/" + zip_path.split("/")[-1]), "the url names another zip"),
        (m.get("persist") == "data" and top + "/data/" in names, "the data folder is not kept"),
    ]
    for name, exe in (("64bit", "Kest64.exe"), ("32bit", "Kest.exe")):
        a = arch.get(name, {})
        checks.append((a.get("bin") == [[exe, "kest"]] and a.get("shortcuts") == [[exe, "Kest"]] and
                       top + "/" + exe in names, name + ": not " + exe + " from the zip as kest and Kest"))
    faults = [what for ok, what in checks if not ok]
    for f in faults:
        print("kest.json: " + f)
    return 1 if faults else 0


if __name__ == "__main__":
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    sys.exit(main(sys.argv[1], sys.argv[2]))
