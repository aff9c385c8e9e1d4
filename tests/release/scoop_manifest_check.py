#!/usr/bin/env python3
"""Checks dist/kest.json as Scoop checks a manifest, and against the zip it names.

  scoop_manifest_check.py MANIFEST ZIP

Scoop validates a manifest against its JSON schema (schema.json in Scoop's repository, draft 7):
no property outside those it lists, at the top and in each architecture; "version", "homepage"
and "license" required, and "url" unless every architecture has its own; the version's and the
hash's patterns; URLs without "$"; "bin" and "persist" a string or a list of strings and lists
of strings; "shortcuts" a list of two to four strings each. Its installer then takes the hash
of the download. Beyond that: what Kest's manifest must say. Prints each fault; exit status 1
when there is one.
"""
import hashlib
import json
import re
import sys
import zipfile

TOP_LEVEL = {"##", "_comment", "$schema", "architecture", "autoupdate", "bin", "persist", "checkver", "cookie",
             "depends", "description", "env_add_path", "env_set", "extract_dir", "extract_to", "hash", "homepage",
             "innosetup", "installer", "license", "msi", "notes", "post_install", "post_uninstall", "pre_install",
             "pre_uninstall", "psmodule", "shortcuts", "suggest", "uninstaller", "url", "version"}
IN_ARCHITECTURE = {"bin", "checkver", "extract_dir", "hash", "installer", "msi", "post_install", "pre_install",
                   "shortcuts", "uninstaller", "url"}
HASH = re.compile(r"^([a-fA-F0-9]{64}|(sha1|sha256|sha512|md5):([a-fA-F0-9]{32}|[a-fA-F0-9]{40}|[a-fA-F0-9]{64}|"
                  r"[a-fA-F0-9]{128}))$")

faults = []


def check(ok, what):
    if not ok:
        faults.append(what)


def strings(v, least=1):
    return isinstance(v, list) and len(v) >= least and all(isinstance(s, str) for s in v)


def string_or_lists(v):
    return isinstance(v, str) or (isinstance(v, list) and len(v) >= 1 and
                                  all(isinstance(i, str) or strings(i) for i in v))


def uri(v):
    return isinstance(v, str) and re.match(r"^[a-zA-Z][a-zA-Z0-9+.-]*://\S+$", v) is not None and "$" not in v


def main(manifest_path, zip_path):
    raw = open(manifest_path, "rb").read()
    check(not raw.startswith(b"\xef\xbb\xbf"), "a byte order mark")
    check(raw.endswith(b"\n") and b"\r" not in raw, "lines not ended by LF alone")
    m = json.loads(raw.decode("utf-8"))
    check(isinstance(m, dict), "not an object")
    check(set(m) <= TOP_LEVEL, "properties Scoop does not know: %s" % sorted(set(m) - TOP_LEVEL))
    for key in ("version", "homepage", "license"):
        check(key in m, "no " + key)
    check(re.match(r"^[\w.\-+_]+$", m.get("version", "")) is not None, "a version Scoop does not take")
    check(uri(m.get("homepage")), "homepage is not a URL")
    license = m.get("license")
    check(isinstance(license, str) or (isinstance(license, dict) and isinstance(license.get("identifier"), str)),
          "license is neither an identifier nor one with a URL")
    arch = m.get("architecture", {})
    check(set(arch) <= {"32bit", "64bit", "arm64"}, "architectures Scoop does not know")
    for name, a in arch.items():
        check(set(a) <= IN_ARCHITECTURE, name + ": properties Scoop does not know")
        check("bin" not in a or string_or_lists(a["bin"]), name + ": bin")
        check("shortcuts" not in a or (isinstance(a["shortcuts"], list) and len(a["shortcuts"]) >= 1 and
                                       all(strings(s, 2) and len(s) <= 4 for s in a["shortcuts"])),
              name + ": shortcuts")
    check("url" in m or (arch and all("url" in a for a in arch.values())), "no url")
    check(uri(m.get("url")), "url is not a URL without $")
    check(HASH.match(m.get("hash", "")) is not None, "a hash Scoop does not take")
    check("persist" in m and string_or_lists(m["persist"]), "persist")

    # What Kest's manifest says: its zip, its two programs, its data folder kept.
    digest = hashlib.sha256(open(zip_path, "rb").read()).hexdigest()
    check(m.get("hash", "").lower().removeprefix("sha256:") == digest, "the hash is not the zip's")
    check(m.get("url", "").endswith("/" + zip_path.replace("\\", "/").split("/")[-1]), "the url names another zip")
    names = set(zipfile.ZipFile(zip_path).namelist())
    top = m.get("extract_dir", "")
    for name, exe in (("64bit", "Kest64.exe"), ("32bit", "Kest.exe")):
        a = arch.get(name, {})
        check(a.get("bin") == [[exe, "kest"]], name + ": bin is not " + exe + " as kest")
        check(a.get("shortcuts") == [[exe, "Kest"]], name + ": the Start menu's shortcut is not " + exe)
        check(top + "/" + exe in names, name + ": the zip holds no " + top + "/" + exe)
    check(m.get("persist") == "data" and top + "/data/" in names, "the data folder is not kept")
    for f in faults:
        print("kest.json: " + f)
    return 1 if faults else 0


if __name__ == "__main__":
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    sys.exit(main(sys.argv[1], sys.argv[2]))
