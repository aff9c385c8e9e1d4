#!/usr/bin/env python3
"""The release files package.sh makes, the same bytes from every run on one commit.

  package.py zip STAGE_DIR TOP ZIP EPOCH
      Zips STAGE_DIR/TOP (TOP and everything below it, empty folders as entries of their own)
      in the order of the names' bytes, every entry dated EPOCH (UTC, as zip entries hold local
      time without a zone) and marked with Windows attributes only, so that neither the file
      system's listing order, nor the build's clock or time zone, nor the umask reach the zip.
  package.py scoop ZIP TOP VERSION URL OUT
      Writes a Scoop manifest for ZIP, unpacked from its folder TOP, downloaded from URL.
"""
import hashlib
import json
import os
import sys
import time
import zipfile

ATTR_DIRECTORY = 0x10
ATTR_ARCHIVE = 0x20


def entry(name, epoch, directory):
    info = zipfile.ZipInfo(name + ("/" if directory else ""), time.gmtime(epoch)[:6])
    info.create_system = 0  # MS-DOS and Windows: attributes are the Windows attribute word
    info.external_attr = ATTR_DIRECTORY if directory else ATTR_ARCHIVE
    info.compress_type = zipfile.ZIP_STORED if directory else zipfile.ZIP_DEFLATED
    return info


def make_zip(stage, top, out, epoch):
    paths = []
    for folder, dirs, files in os.walk(os.path.join(stage, top)):
        rel = os.path.relpath(folder, stage).replace(os.sep, "/")
        paths.append((rel, True))
        paths.extend((rel + "/" + f, False) for f in files)
    paths.sort(key=lambda p: p[0].encode("utf-8"))
    with zipfile.ZipFile(out, "w") as z:
        for name, directory in paths:
            info = entry(name, epoch, directory)
            if directory:
                z.writestr(info, b"")
            else:
                with open(os.path.join(stage, name), "rb") as f:
                    z.writestr(info, f.read(), compresslevel=9)


def sha256(path):
    with open(path, "rb") as f:
        return hashlib.sha256(f.read()).hexdigest()


def make_scoop(zip_path, top, version, url, out):
    def program(exe):
        # "kest" starts Kest from a console on either kind of Windows; the Start menu says Kest.
        return {"bin": [[exe, "kest"]], "shortcuts": [[exe, "Kest"]]}

    manifest = {
        "version": version,
        "description": "Keeps a reverse engineer's tools at hand: one click runs a tool on the file being worked on.",
        "homepage": "https://example.org/kest",
        "license": "Unknown",
        "url": url,
        "hash": sha256(zip_path),
        "extract_dir": top,
        "architecture": {"64bit": program("Kest64.exe"), "32bit": program("Kest.exe")},
        # Tools.ini, the tool catalog and the notes: kept from version to version.
        "persist": "data",
    }
    with open(out, "w", encoding="utf-8", newline="\n") as f:
        json.dump(manifest, f, indent=4, ensure_ascii=False)
        f.write("\n")


if __name__ == "__main__":
    if len(sys.argv) == 6 and sys.argv[1] == "zip":
        make_zip(sys.argv[2], sys.argv[3], sys.argv[4], int(sys.argv[5]))
    elif len(sys.argv) == 7 and sys.argv[1] == "scoop":
        make_scoop(*sys.argv[2:7])
    else:
        sys.exit(__doc__)
