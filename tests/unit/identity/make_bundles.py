#!/usr/bin/env python3
"""The three bundle kinds around the packages make_packages built, a bundle whose base is damaged, and
an archive whose manifest entry declares 1 GB. Usage: make_bundles.py OUTDIR"""
import json
import pathlib
import struct
import sys
import zipfile

out = pathlib.Path(sys.argv[1])
literal = (out / "literal.apk").read_bytes()
resource = (out / "resource.apk").read_bytes()


def bundle(name, entries):
    with zipfile.ZipFile(out / name, "w", zipfile.ZIP_DEFLATED) as archive:
        for entry, data in entries.items():
            archive.writestr(entry, data)


obb = "Android/obb/net.mossgate.test.literal/main.42.net.mossgate.test.literal.obb"
bundle("literal.xapk", {
    "manifest.json": json.dumps({
        "xapk_version": 2, "package_name": "net.mossgate.test.literal", "name": "Named In Json",
        "version_code": "42", "version_name": "2.5-beta",
        "split_apks": [{"file": "net.mossgate.test.literal.apk", "id": "base"},
                       {"file": "config.x86_64.apk", "id": "config.x86_64"},
                       {"file": "config.zh.apk", "id": "config.zh"}],
        "expansions": [{"file": obb, "install_location": "EXTERNAL_STORAGE", "install_path": obb}]}),
    "net.mossgate.test.literal.apk": literal, "config.x86_64.apk": literal, "config.zh.apk": literal,
    obb: b"obb data", "icon.png": b"",
})
bundle("resource.apkm", {
    "info.json": json.dumps({"apkm_version": 5, "app_name": "Json Name", "pname": "net.mossgate.test.resource",
                             "release_version": "7.0.1", "versioncode": 70000, "min_api": "19"}),
    "base.apk": resource, "split_config.en.apk": resource, "icon.png": b"",
})
bundle("resource.apks", {
    "toc.pb": b"", "splits/base-master.apk": resource, "splits/base-x86_64.apk": resource,
    "splits/base-xxhdpi.apk": resource, "splits/base-en.apk": resource,
})
# The base's manifest cut short: the bundle's own description names the package.
with zipfile.ZipFile(out / "literal.apk") as apk:
    cut = apk.read("AndroidManifest.xml")[:200]
damaged_base = pathlib.Path(out / "damaged_base.apk")
with zipfile.ZipFile(damaged_base, "w") as archive:
    archive.writestr("AndroidManifest.xml", cut)
bundle("damaged_base.xapk", {
    "manifest.json": json.dumps({"package_name": "net.example.fallback", "name": "后备 Fallback",
                                 "version_code": 9, "version_name": "0.9", "min_sdk_version": 24,
                                 "target_sdk_version": "33"}),
    "net.example.fallback.apk": damaged_base.read_bytes(), "config.arm64_v8a.apk": b"",
    "Android/obb/net.example.fallback/main.9.net.example.fallback.obb": b"",
    "Android/obb/net.example.fallback/patch.9.net.example.fallback.obb": b"",
})
damaged_base.unlink()
bundle("nested_json.xapk", {"manifest.json": "[" * 200000 + "]" * 200000})

# An archive whose manifest entry declares 1 GB in its central directory and local header.
with zipfile.ZipFile(out / "huge_declared.apk", "w", zipfile.ZIP_STORED) as archive:
    archive.writestr("AndroidManifest.xml", b"\0" * 64)
data = bytearray((out / "huge_declared.apk").read_bytes())
gigabyte = struct.pack("<I", 1 << 30)
local = data.find(b"PK\x03\x04")
data[local + 22:local + 26] = gigabyte
central = data.find(b"PK\x01\x02")
data[central + 24:central + 28] = gigabyte
(out / "huge_declared.apk").write_bytes(bytes(data))

# The shapes the bundle plan tells apart.
bundle("app_bundle.apks", {
    "toc.pb": b"\x0a\x00", "splits/base-master.apk": resource, "splits/base-xxhdpi.apk": b"density",
    "splits/feature-master.apk": b"feature", "splits/base-en.apk": b"language",
    "standalones/standalone-x86.apk": b"standalone", "instant/instant-base-master.apk": b"instant",
    "archive/archive.apk": b"archive",
})
bundle("plain.apks", {
    "split_config.x86.apk": b"abi", "base.apk": resource, "meta.sai_v2.json": json.dumps({"package": "x"}),
    "icon.png": b"", "extra/other.apk": b"not at the root",
})
(out / "renamed.apk.1").write_bytes(literal)
(out / "encrypted.apkm").write_bytes(b"\x00\x01" + bytes(range(256)) * 8)
(out / "not_a_zip.apk").write_bytes(b"just some bytes")
bundle("no_apk.xapk", {"readme.txt": "nothing to install", "icon.png": b""})
literal_xapk = (out / "literal.xapk").read_bytes()
(out / "truncated.xapk").write_bytes(literal_xapk[:len(literal_xapk) // 2])
bundle("bad_obb_path.xapk", {
    "manifest.json": json.dumps({"package_name": "net.mossgate.test.literal",
                                 "expansions": [{"file": "main.obb", "install_path": "Android/obb/../../evil.obb"}]}),
    "net.mossgate.test.literal.apk": literal, "main.obb": b"obb",
})
bundle("missing_split.xapk", {
    "manifest.json": json.dumps({"package_name": "net.mossgate.test.literal",
                                 "split_apks": [{"file": "net.mossgate.test.literal.apk", "id": "base"},
                                                {"file": "config.gone.apk", "id": "config.gone"}]}),
    "net.mossgate.test.literal.apk": literal,
})


def stored_bundle(name, entries):
    with zipfile.ZipFile(out / name, "w", zipfile.ZIP_STORED) as archive:
        for entry, data in entries.items():
            archive.writestr(entry, data)
    return bytearray((out / name).read_bytes())


# The split's data changed after the archive was written: its CRC no longer matches.
data = stored_bundle("bad_crc.apkm", {"base.apk": resource, "split_config.en.apk": b"S" * 4096})
at = data.find(b"S" * 4096)
data[at + 100] ^= 0xFF
(out / "bad_crc.apkm").write_bytes(bytes(data))

# The split holds more than its headers declare (the CRC is that of the whole data).
payload = b"L" * 4096
data = stored_bundle("larger_than_declared.apks", {"base.apk": resource, "split.apk": payload})
declared = struct.pack("<I", 1000)
local = data.find(b"PK\x03\x04", data.find(b"split.apk") - 40)
data[local + 18:local + 22] = declared
data[local + 22:local + 26] = declared
central = data.rfind(b"PK\x01\x02")
data[central + 20:central + 24] = declared
data[central + 24:central + 28] = declared
(out / "larger_than_declared.apks").write_bytes(bytes(data))
