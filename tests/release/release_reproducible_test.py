#!/usr/bin/env python3
"""Two releases of one commit, made in two different folders, give the same bytes: every program
and installer is equal. The manifests differ only in their signatures (ECDSA draws a fresh random
number for each). Slow: it builds the product twice.

  tests/release/release_reproducible_test.py REPO [--targets win64]
"""
import argparse
import os
import re
import struct
import subprocess
import sys
import tempfile


def pe_section(data, offset):
    """The PE header part or section an offset falls in, to say where two programs differ."""
    try:
        pe = struct.unpack_from("<I", data, 0x3C)[0]
        if offset < pe + 24:
            return "headers"
        count = struct.unpack_from("<H", data, pe + 6)[0]
        optional = struct.unpack_from("<H", data, pe + 20)[0]
        table = pe + 24 + optional
        if offset < table:
            return "optional header"
        for i in range(count):
            name, _, _, raw_size, raw = struct.unpack_from("<8sIIII", data, table + 40 * i)
            if raw <= offset < raw + raw_size:
                return name.rstrip(b"\0").decode("ascii", "replace")
    except struct.error:
        pass
    return "outside the sections"


def differences(a, b):
    if len(a) != len(b):
        return [f"sizes differ: {len(a)} and {len(b)} bytes"]
    ranges, start = [], None
    for i in range(len(a) + 1):
        same = i == len(a) or a[i] == b[i]
        if not same and start is None:
            start = i
        elif same and start is not None:
            ranges.append((start, i))
            start = None
    return [f"bytes {s:#x}..{e:#x} ({pe_section(a, s)})" for s, e in ranges[:20]]


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("repo")
    ap.add_argument("--targets", default="win64")
    args = ap.parse_args()
    with open(os.path.join(args.repo, "CMakeLists.txt")) as f:
        version = re.search(r"project\(velm VERSION (\S+)", f.read()).group(1)
    with tempfile.TemporaryDirectory() as folder:
        subprocess.run([sys.executable, os.path.join(args.repo, "tools", "velm_sign.py"), "genkey",
                        "--out", os.path.join(folder, "release")], check=True,
                       stdout=subprocess.DEVNULL)
        # Both from one commit, whatever is committed meanwhile.
        commit = subprocess.run(["git", "-C", args.repo, "rev-parse", "HEAD"], check=True,
                                stdout=subprocess.PIPE, text=True).stdout.strip()
        trees = []
        for name in ("first", "second-folder"):
            conf = os.path.join(folder, name + ".conf")
            with open(conf, "w") as f:
                f.write(f"version = {version}\n"
                        "static_server = https://static.example.com\n"
                        "login_server = https://login.example.com\n"
                        "official_site = https://www.example.com/velm/\n"
                        "maker_home = https://maker.example.com/\n"
                        "manifest_key = release.pem\n"
                        f"publish_dir = {name}/publish\n")
            result = subprocess.run([os.path.join(args.repo, "scripts", "release"), conf,
                                     "--targets", args.targets, "--commit", commit,
                                     "--work", os.path.join(folder, name, "work")],
                                    stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
            print(result.stdout, end="")
            if result.returncode != 0:
                print("FAILED: the release did not complete")
                return 1
            trees.append(os.path.join(folder, name, "publish"))
        names = sorted(os.path.relpath(os.path.join(d, n), trees[0])
                       for d, _, files in os.walk(trees[0]) for n in files)
        failed = False
        for rel in names:
            with open(os.path.join(trees[0], rel), "rb") as f:
                a = f.read()
            other = os.path.join(trees[1], rel)
            if not os.path.isfile(other):
                print(f"{rel}: only in the first release")
                failed = True
                continue
            with open(other, "rb") as f:
                b = f.read()
            if rel.endswith("update.txt"):
                a, b = (re.sub(rb"signature=[0-9a-f]+", b"", x) for x in (a, b))
            found = differences(a, b)
            print(f"{rel}: " + ("equal" if not found else "DIFFERS: " + "; ".join(found)))
            failed = failed or bool(found)
    print("FAILED" if failed else "good: both releases are the same bytes")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
