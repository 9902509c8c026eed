#!/usr/bin/env python3
"""Two releases into one publish tree, with a throw-away manifest key and Authenticode
certificate, of a repository made from this working tree: its version A (a first release), then
A+1, whose update check lets A's clients update themselves to A+1 under Wine (and stops an A+1
signed with a key they do not trust, before the tree is touched). Checks the layout,
the listing, every program's signature (Update.exe inside the client too), the manifests and how
the demo server serves the tree. Then A+1 of one target again, from another folder and with the
compiler cache off: every program and installer must be the same bytes. Slow: it builds the
product (A+1 mostly from the cache A filled).

  tests/release/release_test.py REPO [--targets win,win64] [--reproduce win64]

The default targets are those this host runs (32-bit only where it runs 32-bit programs).
"""
import argparse
import hashlib
import os
import re
import shutil
import struct
import subprocess
import sys
import tempfile
import urllib.request

AREA = {"win": "gamehome/velm", "win64": "gamehome/velm/x64"}
SUFFIX = {"win": "", "win64": "-x64"}


def check(condition, what, failures):
    if not condition:
        failures.append(what)
        print("FAILED: " + what, flush=True)


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


def make_repository(source, folder):
    """A repository of the working tree's files (committed or not), committed as version A and
    then as A+1. Returns both commits and versions."""
    names = subprocess.run(["git", "-C", source, "ls-files", "-co", "--exclude-standard", "-z"],
                           check=True, stdout=subprocess.PIPE).stdout.decode().split("\0")
    for name in filter(None, names):
        path = os.path.join(source, name)
        if os.path.lexists(path):
            os.makedirs(os.path.dirname(os.path.join(folder, name)), exist_ok=True)
            shutil.copy2(path, os.path.join(folder, name), follow_symlinks=False)

    def git(*args):
        return subprocess.run(["git", "-C", folder, "-c", "user.name=velm test", "-c",
                               "user.email=test@velm.invalid", *args], check=True,
                              stdout=subprocess.PIPE, text=True).stdout.strip()
    git("init", "-q")
    git("add", "-A")
    git("commit", "-q", "-m", "version A")
    cmake = os.path.join(folder, "CMakeLists.txt")
    with open(cmake) as f:
        text = f.read()
    old = re.search(r"project\(velm VERSION (\d+)\.(\d+)\.(\d+)", text)
    new = f"{old.group(1)}.{old.group(2)}.{int(old.group(3)) + 1}"
    first = git("rev-parse", "HEAD")
    with open(cmake, "w") as f:
        f.write(text.replace(old.group(0), f"project(velm VERSION {new}", 1))
    git("commit", "-q", "-am", "version A+1")
    return (first, old.group(0).split()[-1]), (git("rev-parse", "HEAD"), new)


def release(repo, folder, name, version, commit, targets, work, publish, env, signed=True,
            key="release.pem"):
    conf = os.path.join(folder, name + ".conf")
    with open(conf, "w") as f:
        # Addresses nobody answers: the update check must stand in for them.
        f.write(f"version = {version}\n"
                "static_server = http://static.example.com\n"
                "login_server = https://login.example.com\n"
                "official_site = https://www.example.com/velm/\n"
                "maker_home = https://maker.example.com/\n"
                f"manifest_key = {key}\n"
                f"publish_dir = {publish}\n")
        if signed:
            f.write("authenticode_pkcs12 = sign.p12\n"
                    "authenticode_password_env = VELM_TEST_P12_PASSWORD\n"
                    "authenticode_ca = ca.pem\n")
    result = subprocess.run([os.path.join(repo, "scripts", "release"), conf, "--targets",
                             ",".join(targets), "--commit", commit, "--work", work], env=env,
                            stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
    print(result.stdout, end="", flush=True)
    return result


def snapshot(tree):
    return {os.path.relpath(os.path.join(d, n), tree): open(os.path.join(d, n), "rb").read()
            for d, _, names in os.walk(tree) for n in names}


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


def host_targets(repo):
    runs_i386 = subprocess.run(
        ["bash", "-c", f"source '{repo}/scripts/lib/common.sh'; velm_detect_i386 2>/dev/null; "
         'echo "$VELM_I386"'], stdout=subprocess.PIPE, text=True).stdout.strip() == "1"
    return ["win", "win64"] if runs_i386 else ["win64"]


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("repo")
    ap.add_argument("--targets", help="default: the targets this host runs")
    ap.add_argument("--reproduce", default="win64", help="the target built twice (none: skip)")
    args = ap.parse_args()
    source = os.path.abspath(args.repo)
    targets = args.targets.split(",") if args.targets else host_targets(source)
    failures = []
    os.environ["VELM_TEST_P12_PASSWORD"] = "throw-away"
    env = dict(os.environ)
    # A cache of this test's own: A+1 reuses what A compiled in the same work folder; the
    # second build of A+1 compiles everything anew.
    env.pop("CCACHE_BASEDIR", None)
    if shutil.which("ccache"):
        env.update(CMAKE_C_COMPILER_LAUNCHER="ccache", CMAKE_CXX_COMPILER_LAUNCHER="ccache")
    with tempfile.TemporaryDirectory() as folder:
        env["CCACHE_DIR"] = os.path.join(folder, "ccache")
        repo = os.path.join(folder, "repo")
        (commit_a, a), (commit_b, b) = make_repository(source, repo)
        make_certificate(folder)
        subprocess.run([sys.executable, os.path.join(repo, "tools", "velm_sign.py"), "genkey",
                        "--out", os.path.join(folder, "release")], check=True,
                       stdout=subprocess.DEVNULL)
        publish = os.path.join(folder, "publish")
        work = os.path.join(folder, "work")

        first = release(repo, folder, "a", a, commit_a, targets, work, publish, env)
        check(first.returncode == 0, f"release {a} completes", failures)
        for t in targets:
            check(f"{t}: the first release in {publish}: no previous client to update, so no "
                  "update check" in first.stdout, f"{t}: {a} says it has no update check",
                  failures)
        shutil.rmtree(work, ignore_errors=True)

        # A+1 signed with a key A's clients do not trust: they refuse it, so the update check
        # stops the release and the tree stays as A left it.
        subprocess.run([sys.executable, os.path.join(repo, "tools", "velm_sign.py"), "genkey",
                        "--out", os.path.join(folder, "other")], check=True,
                       stdout=subprocess.DEVNULL)
        before = snapshot(publish)
        refused = release(repo, folder, "refused", b, commit_b, targets, work, publish, env,
                          key="other.pem")
        check(refused.returncode == 1 and "update check failed" in refused.stdout and
              "did not offer the update" in refused.stdout,
              f"{b} with a key the clients do not trust fails its update check", failures)
        check(snapshot(publish) == before, "the refused release left the publish tree as it was",
              failures)
        check(not [n for n in os.listdir(folder) if n.startswith(".velm-release-")],
              "the refused release left no staging folder", failures)
        shutil.rmtree(work, ignore_errors=True)

        second = release(repo, folder, "b", b, commit_b, targets, work, publish, env)
        check(second.returncode == 0, f"release {b} completes", failures)
        check("the signatures end with the certificate" in second.stdout,
              "it says that signatures without a time stamp end with the certificate", failures)
        for t in targets:
            check(re.search(rf"(?m)^release: {t}: update check: good: {re.escape(a)}(\.0)* "
                            rf"updated itself to {re.escape(b)}(\.0)*$", second.stdout),
                  f"{t}: the client {a} updated itself to {b} and runs it", failures)
            updated = os.path.join(work, f"update-check-{t}", "velm.exe")
            new = os.path.join(publish, AREA[t], b, "velm.exe")
            check(os.path.isfile(updated) and os.path.isfile(new) and
                  open(updated, "rb").read() == open(new, "rb").read(),
                  f"{t}: the updated client is the published {b}", failures)

        ours = {f"{AREA[t]}/{b}/velm.exe" for t in targets} | \
            {f"{AREA[t]}/update.txt" for t in targets} | \
            {f"download/velm-setup-{b}{SUFFIX[t]}.exe" for t in targets}
        expected = ours | {f"{AREA[t]}/{a}/velm.exe" for t in targets} | \
            {f"download/velm-setup-{a}{SUFFIX[t]}.exe" for t in targets}
        found = {os.path.relpath(os.path.join(d, n), publish)
                 for d, _, names in os.walk(publish) for n in names}
        check(found == expected, f"the publish tree holds {sorted(found)}", failures)
        check(not [n for n in os.listdir(folder) if n.startswith(".velm-release-")],
              "no staging folder is left", failures)
        ca = os.path.join(folder, "ca.pem")
        for rel in sorted(ours & found):
            with open(os.path.join(publish, rel), "rb") as f:
                data = f.read()
            line = f"{rel}  {len(data)}  sha256={hashlib.sha256(data).hexdigest()}"
            check(line in second.stdout, f"the listing names {line}", failures)
            if rel.endswith(".exe"):
                check(signed_by_ca(os.path.join(publish, rel), ca),
                      f"{rel} carries a good signature from the test CA", failures)
        for t in targets:
            exe = os.path.join(publish, AREA[t], b, "velm.exe")
            manifest = os.path.join(publish, AREA[t], "update.txt")
            if not os.path.isfile(manifest) or not os.path.isfile(exe):
                continue
            verify = subprocess.run([sys.executable, os.path.join(repo, "tools", "velm_sign.py"),
                                     "verify", "--pub", os.path.join(folder, "release.pub"),
                                     "--exe", exe, manifest], stdout=subprocess.PIPE, text=True)
            check(verify.returncode == 0, f"{t}: the manifest verifies: {verify.stdout}", failures)
            with open(manifest, "rb") as f:
                url = f"url=http://static.example.com/{AREA[t]}/{b}/velm.exe\r\n"
                check(url.encode() in f.read(), f"{t}: the manifest has {url.strip()}", failures)
            update = os.path.join(work, f"build-{t}", "src", "updater", "Update.exe")
            check(signed_by_ca(update, ca), f"{t}: Update.exe is signed", failures)
            with open(update, "rb") as f, open(exe, "rb") as g:
                check(f.read() in g.read(), f"{t}: the client carries the signed Update.exe",
                      failures)
        # The demo server serves the tree as a static host should.
        port = 8900 + os.getpid() % 90
        pidfile = os.path.join(folder, "server.pid")
        demo = os.path.join(repo, "tools", "demo_server.py")
        subprocess.run([sys.executable, demo, "--port", str(port), "--daemon", "--pidfile",
                        pidfile, "--publish-dir", publish], check=True)
        try:
            t = targets[-1]
            for rel, cache in ((f"{AREA[t]}/update.txt", "no-cache"),
                               (f"{AREA[t]}/{b}/velm.exe", "public, max-age=31536000, immutable")):
                with urllib.request.urlopen(f"http://127.0.0.1:{port}/{rel}") as answer:
                    with open(os.path.join(publish, rel), "rb") as f:
                        check(answer.read() == f.read(), f"the demo server serves {rel}", failures)
                    check(answer.headers["Cache-Control"] == cache, f"{rel}: {cache}", failures)
        finally:
            subprocess.run([sys.executable, demo, "--stop", "--pidfile", pidfile])

        # The same commit again, from another folder, compiled anew.
        t = args.reproduce
        if t != "none":
            other = os.path.join(folder, "second-folder")
            again = release(repo, folder, "again", b, commit_b, [t], os.path.join(other, "work"),
                            os.path.join(other, "publish"), dict(env, CCACHE_DISABLE="1"))
            check(again.returncode == 0, f"{t}: {b} again from another folder completes", failures)
            for rel in (f"{AREA[t]}/{b}/velm.exe", f"download/velm-setup-{b}{SUFFIX[t]}.exe",
                        f"{AREA[t]}/update.txt"):
                paths = [os.path.join(p, rel) for p in (publish, os.path.join(other, "publish"))]
                if not all(os.path.isfile(p) for p in paths):
                    check(False, f"{rel} is in both releases", failures)
                    continue
                one, two = (open(p, "rb").read() for p in paths)
                if rel.endswith("update.txt"):
                    # ECDSA draws a new random number for each signature.
                    one, two = (re.sub(rb"signature=[0-9a-f]+", b"", x) for x in (one, two))
                found = differences(one, two)
                print(f"{rel}: " + ("the same bytes" if not found else
                                    "DIFFERS: " + "; ".join(found)))
                check(not found, f"{rel} is the same in both builds", failures)
    print("FAILED" if failures else
          "good: both releases are complete, signed and verified, the clients updated themselves, "
          "and a second build gives the same bytes")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
