#!/usr/bin/env python3
"""The signing tool and the client apply one rule set: the same hostile manifests, each validly
signed with the development key (so only the rules can refuse them), go through
`velm_sign.py verify` and through the client's own reader (the manifest_verdict program), and both
must refuse every one of them and accept the good one. `sign` refuses what the client would refuse.

  manifest_rules_test.py REPO_ROOT MANIFEST_VERDICT_PROGRAM
"""
import os
import subprocess
import sys
import tempfile

root, verdict_program = sys.argv[1], sys.argv[2]
sys.path.insert(0, os.path.join(root, "tools"))
import velm_sign  # noqa: E402

KEY = os.path.join(root, "tools", "keys", "DEVELOPMENT-ONLY-update-key")
SIGN = [sys.executable, os.path.join(root, "tools", "velm_sign.py")]
key = velm_sign.load_private(KEY + ".pem")
DIGEST = "ab" * 32


def body(*lines):
    return ("\r\n".join(lines) + "\r\n").encode("ascii")


def signed(data):
    return velm_sign.sign_body(key, data)


GOOD = ["[velm]", "version=1.1.1", "url=http://127.0.0.1:8731/gamehome/velm/release/velm.exe",
        "size=12345", f"sha256={DIGEST}"]


def good_with(**changes):
    lines = list(GOOD)
    for key_name, value in changes.items():
        lines = [line for line in lines if not line.startswith(key_name + "=")]
        if value is not None:
            lines.append(f"{key_name}={value}")
    return signed(body(*lines))


good = signed(body(*GOOD))
signature_line = good[good.rindex(b"signature="):-2]
cases = {
    "good": good,
    "rollback": good_with(downgrade="allowed", replaces="1.1.2,1.1.3"),
    "extra CR LF at the end": good + b"\r\n",
    "a space in the signature": good[:-2].replace(b"signature=", b"signature= ") + b"\r\n",
    "signature split by a space": good[:-10] + b" " + good[-10:],
    "LF line ends": good.replace(b"\r\n", b"\n"),
    "a bare CR": signed(body(*GOOD).replace(b"\r\nurl", b"\rurl")),
    "beta version": good_with(version="1.1.1-beta"),
    "five-part version": good_with(version="1.1.1.1.1"),
    "another version line first": signed(b"# Version=9.9.9\r\n" + body(*GOOD)),
    "key twice": signed(body(*GOOD, "size=1")),
    "signature twice": signed(body(*GOOD) + signature_line + b"\r\n"),
    "roll-back without replaces": good_with(downgrade="allowed"),
    "replaces without roll-back": good_with(replaces="1.1.2"),
    "replaces with a blank": good_with(downgrade="allowed", replaces="1.1.2, 1.1.3"),
    "downgrade yes": good_with(downgrade="yes", replaces="1.1.2"),
    "url without path": good_with(url="http://127.0.0.1:8731"),
    "ftp url": good_with(url="ftp://h/velm.exe"),
    "size zero": good_with(size="0"),
    "size too large": good_with(size="2147483648"),
    "short digest": good_with(sha256="ab" * 31),
    "missing url": good_with(url=None),
    "text after the signature": good + b"url=http://evil.example/x.exe\r\n",
    "too large": signed(b"#" * (64 * 1024) + body(*GOOD)),
}

failures = []
with tempfile.TemporaryDirectory() as tmp:
    paths = []
    for i, data in enumerate(cases.values()):
        path = os.path.join(tmp, f"{i}.txt")
        with open(path, "wb") as f:
            f.write(data)
        paths.append(path)
    client = subprocess.run([verdict_program, *paths], capture_output=True, text=True,
                            check=True).stdout.splitlines()
    for (name, _), path, reason in zip(cases.items(), paths, client):
        tool = subprocess.run(SIGN + ["verify", "--pub", KEY + ".pub", path],
                              capture_output=True, text=True)
        want = name in ("good", "rollback")
        client_accepts = reason == "none"
        tool_accepts = tool.returncode == 0
        if client_accepts != want or tool_accepts != want:
            failures.append(f"{name}: client {reason}, tool {tool.stdout.strip() or tool.stderr}")

    # `sign` writes only what the client accepts.
    exe = os.path.join(tmp, "no-version.exe")
    with open(exe, "wb") as f:
        f.write(b"MZ without a version resource")
    for version in ("1.1.1-beta", "1.1.1"):
        run = subprocess.run(SIGN + ["sign", "--key", KEY + ".pem", "--exe", exe, "--version",
                                     version, "--url", "http://h/velm.exe"],
                             capture_output=True, text=True)
        if run.returncode == 0:
            failures.append(f"sign --version {version} of a program without that version: signed")

for failure in failures:
    print("FAIL", failure)
print(f"{len(cases)} manifests, {len(failures)} disagreements")
sys.exit(1 if failures else 0)
