#!/usr/bin/env python3
"""A whole release with a throw-away manifest key and Authenticode certificate: the publish tree's
layout, every program's signature (Update.exe inside the client too), the manifests, the listing,
and the demo server serving the tree as a static host. Slow: it builds the product.

  tests/release/release_test.py REPO [--targets win,win64]
"""
import argparse
import hashlib
import os
import re
import subprocess
import sys
import tempfile
import urllib.request

TARGETS = {"win": "gamehome/velm", "win64": "gamehome/velm/x64"}
SUFFIX = {"win": "", "win64": "-x64"}


def check(condition, what, failures):
    if not condition:
        failures.append(what)
        print("FAILED: " + what)


def make_certificate(folder):
    def openssl(*args):
        subprocess.run(["openssl", *args], check=True, cwd=folder, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL)
    openssl("req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", "ca.key", "-out", "ca.pem",
            "-days", "2", "-subj", "/CN=velm test CA")
    openssl("req", "-newkey", "rsa:2048", "-nodes", "-keyout", "sign.key", "-out", "sign.csr",
            "-subj", "/CN=velm test publisher")
    with open(os.path.join(folder, "ext"), "w") as f:
        f.write("keyUsage=digitalSignature\nextendedKeyUsage=codeSigning\n")
    openssl("x509", "-req", "-in", "sign.csr", "-CA", "ca.pem", "-CAkey", "ca.key",
            "-CAcreateserial", "-out", "sign.pem", "-days", "2", "-extfile", "ext")
    openssl("pkcs12", "-export", "-inkey", "sign.key", "-in", "sign.pem", "-certfile", "ca.pem",
            "-out", "sign.p12", "-passout", "env:VELM_TEST_P12_PASSWORD")


def signed_by_ca(path, ca):
    result = subprocess.run(["osslsigncode", "verify", "-CAfile", ca, "-in", path],
                            stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
    return result.returncode == 0 and "Succeeded" in result.stdout


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("repo")
    ap.add_argument("--targets", default="win,win64")
    args = ap.parse_args()
    repo = os.path.abspath(args.repo)
    targets = args.targets.split(",")
    with open(os.path.join(repo, "CMakeLists.txt")) as f:
        version = re.search(r"project\(velm VERSION (\S+)", f.read()).group(1)
    failures = []
    os.environ["VELM_TEST_P12_PASSWORD"] = "throw-away"
    with tempfile.TemporaryDirectory() as folder:
        make_certificate(folder)
        subprocess.run([sys.executable, os.path.join(repo, "tools", "velm_sign.py"), "genkey",
                        "--out", os.path.join(folder, "release")], check=True,
                       stdout=subprocess.DEVNULL)
        publish = os.path.join(folder, "publish")
        # An older release already published: it stays as it is.
        old = os.path.join(publish, "gamehome", "velm", "0.9.0", "velm.exe")
        os.makedirs(os.path.dirname(old))
        with open(old, "wb") as f:
            f.write(b"MZ old")
        conf = os.path.join(folder, "release.conf")
        with open(conf, "w") as f:
            f.write(f"version = {version}\n"
                    "static_server = https://static.example.com\n"
                    "login_server = https://login.example.com\n"
                    "official_site = https://www.example.com/velm/\n"
                    "maker_home = https://maker.example.com/\n"
                    "manifest_key = release.pem\n"
                    "publish_dir = publish\n"
                    "authenticode_pkcs12 = sign.p12\n"
                    "authenticode_password_env = VELM_TEST_P12_PASSWORD\n"
                    "authenticode_ca = ca.pem\n")
        work = os.path.join(folder, "work")
        result = subprocess.run([os.path.join(repo, "scripts", "release"), conf, "--targets",
                                 args.targets, "--work", work],
                                stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
        print(result.stdout, end="")
        check(result.returncode == 0, "the release completes", failures)
        check("the signatures end with the certificate" in result.stdout,
              "it says that signatures without a time stamp end with the certificate", failures)
        expected = {"gamehome/velm/0.9.0/velm.exe"}
        for t in targets:
            expected |= {f"{TARGETS[t]}/{version}/velm.exe", f"{TARGETS[t]}/update.txt",
                         f"download/velm-setup-{version}{SUFFIX[t]}.exe"}
        found = {os.path.relpath(os.path.join(d, n), publish)
                 for d, _, names in os.walk(publish) for n in names}
        check(found == expected, f"the publish tree holds {sorted(found)}", failures)
        check(not [n for n in os.listdir(folder) if n.startswith(".velm-release-")],
              "no staging folder is left", failures)
        for rel in sorted(expected - {"gamehome/velm/0.9.0/velm.exe"}):
            path = os.path.join(publish, rel)
            if not os.path.isfile(path):
                continue
            with open(path, "rb") as f:
                data = f.read()
            line = f"{rel}  {len(data)}  sha256={hashlib.sha256(data).hexdigest()}"
            check(line in result.stdout, f"the listing names {line}", failures)
            if rel.endswith(".exe"):
                check(signed_by_ca(path, os.path.join(folder, "ca.pem")),
                      f"{rel} carries a good signature from the test CA", failures)
        for t in targets:
            exe = os.path.join(publish, TARGETS[t], version, "velm.exe")
            manifest = os.path.join(publish, TARGETS[t], "update.txt")
            if not os.path.isfile(manifest):
                continue
            verify = subprocess.run([sys.executable, os.path.join(repo, "tools", "velm_sign.py"),
                                     "verify", "--pub", os.path.join(folder, "release.pub"),
                                     "--exe", exe, manifest], stdout=subprocess.PIPE, text=True)
            check(verify.returncode == 0, f"{t}: the manifest verifies: {verify.stdout}", failures)
            with open(manifest, "rb") as f:
                url = f"url=https://static.example.com/{TARGETS[t]}/{version}/velm.exe\r\n"
                check(url.encode() in f.read(), f"{t}: the manifest has {url.strip()}", failures)
            update = os.path.join(work, f"build-{t}", "src", "updater", "Update.exe")
            check(signed_by_ca(update, os.path.join(folder, "ca.pem")),
                  f"{t}: Update.exe is signed", failures)
            with open(update, "rb") as f, open(exe, "rb") as g:
                check(f.read() in g.read(), f"{t}: the client carries the signed Update.exe",
                      failures)
        # The demo server serves the tree as a static host should.
        port = 8900 + os.getpid() % 90
        pidfile = os.path.join(folder, "server.pid")
        subprocess.run([sys.executable, os.path.join(repo, "tools", "demo_server.py"), "--port",
                        str(port), "--daemon", "--pidfile", pidfile, "--publish-dir", publish],
                       check=True)
        try:
            t = targets[0]
            for rel, cache in ((f"{TARGETS[t]}/update.txt", "no-cache"),
                               (f"{TARGETS[t]}/{version}/velm.exe",
                                "public, max-age=31536000, immutable")):
                with urllib.request.urlopen(f"http://127.0.0.1:{port}/{rel}") as answer:
                    body = answer.read()
                    with open(os.path.join(publish, rel), "rb") as f:
                        check(body == f.read(), f"the demo server serves {rel}", failures)
                    check(answer.headers["Cache-Control"] == cache, f"{rel}: {cache}", failures)
        finally:
            subprocess.run([sys.executable, os.path.join(repo, "tools", "demo_server.py"),
                            "--stop", "--pidfile", pidfile])
    print("FAILED" if failures else "good: the release is complete, signed and verified")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
