#!/usr/bin/env python3
"""scripts/release refuses a bad configuration before it builds anything: it says what is wrong,
exits 1 and leaves no work folder and no publish tree behind."""
import os
import re
import subprocess
import sys
import tempfile

ROOT = sys.argv[1]
with open(os.path.join(ROOT, "CMakeLists.txt")) as f:
    VERSION = re.search(r"project\(velm VERSION (\S+)", f.read()).group(1)
GOOD = {
    "version": VERSION,
    "static_server": "https://static.example.com",
    "login_server": "https://login.example.com",
    "official_site": "https://www.example.com/velm/",
    "maker_home": "https://maker.example.com/",
    "manifest_key": "release.pem",
    "publish_dir": "publish",
}


def attempt(folder, name, changes, expected):
    values = dict(GOOD, **changes)
    conf = os.path.join(folder, name + ".conf")
    with open(conf, "w") as f:
        f.write("# release of the test\n")
        f.writelines(f"{k} = {v}\n" for k, v in values.items() if v is not None)
    work = os.path.join(folder, name + "-work")
    result = subprocess.run([sys.executable, os.path.join(ROOT, "scripts", "release"), conf,
                             "--work", work], stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                            text=True, timeout=120)
    failures = []
    if result.returncode != 1:
        failures.append(f"exit {result.returncode}, expected 1")
    if expected not in result.stdout:
        failures.append(f"no {expected!r} in the output")
    if os.path.exists(work):
        failures.append("it made its work folder (started to build)")
    if os.path.exists(os.path.join(folder, "publish")):
        failures.append("it made the publish tree")
    for f in failures:
        print(f"{name}: {f}\n--- output:\n{result.stdout}")
    return not failures


def main():
    with tempfile.TemporaryDirectory() as folder:
        subprocess.run([sys.executable, os.path.join(ROOT, "tools", "velm_sign.py"), "genkey",
                        "--out", os.path.join(folder, "release")], check=True,
                       stdout=subprocess.DEVNULL)
        # The tree already holds this version's 64-bit client.
        os.makedirs(os.path.join(folder, "published", "gamehome", "velm", "x64", VERSION))
        ok = all([
            attempt(folder, "missing-key", {"manifest_key": None}, "missing manifest_key"),
            attempt(folder, "unreadable-key", {"manifest_key": "absent.pem"},
                    "manifest_key=" + os.path.join(folder, "absent.pem") + ": cannot be read"),
            attempt(folder, "ftp-address", {"maker_home": "ftp://maker.example.com/"},
                    "maker_home=ftp://maker.example.com/: an http:// or https:// address"),
            attempt(folder, "published-version", {"publish_dir": "published"},
                    f"version={VERSION} is not newer than {VERSION}"),
        ])
    print("good" if ok else "FAILED")
    return 0 if ok else 1


if __name__ == "__main__":
    sys.exit(main())
