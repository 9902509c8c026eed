#!/usr/bin/env python3
"""The local demo server: everything the client asks the network for, on 127.0.0.1.

  /gamehome/velm/update.txt   the update manifest (version line from --version), signed with the
                              development key like a release's (the client offers nothing else)
  /velm/login/                the login page; its links drive the client through app:// addresses
  /velm/game/1/, /velm/game/2/  two game pages with titles
  /velm/                      the operator's official site
  /maker/                     the maker's home page

With --release-dir DIR (a signed release as the build makes it: DIR/update.txt, DIR/velm.exe) and a
release mode other than "off", the manifest is DIR/update.txt and the new client is served at
  /gamehome/velm/release/velm.exe
The 64-bit client's manifest and release live under /gamehome/velm/x64/ (same names), served from
--release-dir-x64 DIR.
Release modes, for showing and testing the updater:
  good           the release as signed
  bad-exe        the executable with one byte changed (its digest no longer matches)
  bad-manifest   the manifest's size and digest changed to those of that altered executable,
                 keeping the signature (a tampered manifest)
  cut            the executable's transfer breaks off half-way
  slow           the executable comes in 8 KiB pieces, 50 ms apart (to watch or cancel the download)
  off            no release: the manifest carries only the version line (the default)

With --control, tests may replace any path's answer:
  GET /__control/set?path=/x&status=200&body=...   (body URL-encoded; type=text/html etc.)
  GET /__control/version?value=1.1.1               the version line of the plain manifest
  GET /__control/version?value=2.0.0&signed=0      the same without signature (a forged manifest)
  GET /__control/release?mode=good                 the release mode (needs --release-dir)
  GET /__control/requests                          paths asked for since the last reset
  GET /__control/delay?path=/x&ms=1500             answer `path` that much later
  GET /__control/fault?path=/x&kind=stall          answer `path` badly (faults below)
  GET /__control/reset                             back to the built-in pages

Faults (the body is the path's usual answer, or its /__control/set override):
  nolength   no Content-Length; the connection closes after the body
  chunked    Transfer-Encoding: chunked, in 7-byte chunks
  cut        Content-Length announced, half the body sent, then the connection closes
  stall      headers and the first 4 bytes, then nothing until the connection is dropped
  close      the connection closes before any answer
  huge       a 50 MB body of "version=9.9.9" and letters, without a CR anywhere

Python standard library only.
"""
import argparse
import hashlib
import os
import re
import signal
import socket
import sys
import threading
import time
import urllib.parse
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import velm_sign  # noqa: E402  (beside this file)

DEVELOPMENT_KEY = os.path.join(os.path.dirname(os.path.abspath(__file__)), "keys",
                               "DEVELOPMENT-ONLY-update-key.pem")

HOST = "127.0.0.1"


def page(title, body, background="#FFFFFF", extra_head=""):
    return f"""<!DOCTYPE html>
<html><head><meta charset="utf-8"><title>{title}</title>{extra_head}</head>
<body style="margin:0;background:{background};font-family:sans-serif">
{body}
</body></html>
"""


def login_page(base):
    # The page is shown shifted 7 px left and 52 px up inside the skin; the key colour #FEFEFE
    # lets the skin show through and makes those parts click-through.
    game1 = f"{base}/velm/game/1/"
    game2 = f"{base}/velm/game/2/"
    body = f"""
<div style="position:absolute;left:0;top:0;width:920px;height:112px;background:#FEFEFE"></div>
<div style="margin:120px 0 0 240px;width:440px;padding:24px;background:#FFFFFF;
            border:1px solid #9DB4D6">
  <h2 style="color:#123A6E">欢迎来到 OrvikVelmora</h2>
  <p>请选择服务器进入游戏：</p>
  <p><a id="game1" href="app://loadgame|{game1}|1">进入 晨曦一区</a></p>
  <p><a id="game2" href="app://loadgame|{game2}|2">进入 星辰二区</a></p>
  <p><a id="minimize" href="app://minimize">最小化</a>
     &nbsp; <a id="exit" href="app://exitgame">退出</a></p>
</div>
"""
    return page("OrvikVelmora 登录", body, background="#FEFEFE")


def game_page(n, name):
    body = f"""
<div style="padding:24px">
  <h1>{name}</h1>
  <p>这里是 OrvikVelmora 的游戏页面（第 {n} 区）。</p>
  <p><a href="/velm/game/{3 - n}/">前往另一区</a></p>
</div>
"""
    return page(f"OrvikVelmora {name}", body, background="#E8F0FA")


RELEASE_MODES = ("off", "good", "bad-exe", "bad-manifest", "cut", "slow")
RELEASE_EXE = "/gamehome/velm/release/velm.exe"
MANIFEST = "/gamehome/velm/update.txt"
X64 = "/gamehome/velm/x64/"


def target_path(path):
    """The release directory key and the path as the 32-bit client's: x64 paths map onto those."""
    if path.startswith(X64):
        return "x64", "/gamehome/velm/" + path[len(X64):]
    return "x86", path


def tampered_exe(exe):
    changed = bytearray(exe)
    changed[len(changed) // 2] ^= 0x01
    return bytes(changed)


def tampered_manifest(manifest, exe):
    # Size and digest of the altered executable; the signature line stays as it was.
    bad = tampered_exe(exe)
    text = manifest.decode("ascii")
    text = re.sub(r"(?m)^size=\d+\r$", f"size={len(bad)}\r", text)
    text = re.sub(r"(?m)^sha256=[0-9a-fA-F]+\r$", f"sha256={hashlib.sha256(bad).hexdigest()}\r",
                  text)
    return text.encode("ascii")


def published_file(root, path):
    """A file of a publish tree (scripts/release) as a static host serves it, or None: the
    manifests never cached, everything else (its name carries its version) cached for good."""
    parts = [p for p in path.split("/") if p]
    if not root or not parts or any(p in (".", "..") or "\\" in p for p in parts):
        return None
    full = os.path.join(root, *parts)
    if not os.path.isfile(full):
        return None
    with open(full, "rb") as f:
        body = f.read()
    if parts[-1] == "update.txt":
        return 200, "text/plain", body, "no-cache"
    return 200, "application/octet-stream", body, "public, max-age=31536000, immutable"


class State:
    def __init__(self, version, base, release_dirs=None, release_mode="off"):
        self.version = version
        self.signed = True
        self.base = base
        self.lock = threading.Lock()
        self.overrides = {}
        self.delays = {}
        self.faults = {}
        self.release_dirs = {k: v for k, v in (release_dirs or {}).items() if v}
        self.release_mode = release_mode
        self.publish_dir = None
        self.requests = []

    def release_file(self, target, name):
        with open(os.path.join(self.release_dirs[target], name), "rb") as f:
            return f.read()

    def release(self, path):
        """The answer of a release path, or None. Files are read per request: a rebuild shows."""
        target, path = target_path(path)
        if self.release_mode == "off" or target not in self.release_dirs:
            return None
        if path == MANIFEST:
            manifest = self.release_file(target, "update.txt")
            if self.release_mode == "bad-manifest":
                manifest = tampered_manifest(manifest, self.release_file(target, "velm.exe"))
            return 200, "text/plain", manifest
        if path == RELEASE_EXE:
            exe = self.release_file(target, "velm.exe")
            if self.release_mode in ("bad-exe", "bad-manifest"):
                exe = tampered_exe(exe)
            return 200, "application/octet-stream", exe
        return None

    def signed_manifest(self, target):
        """The plain manifest as a release's: the client checks the signature before it offers."""
        exe = b"MZ no release here"
        if target in self.release_dirs:
            try:
                exe = self.release_file(target, "velm.exe")
            except OSError:
                pass
        prefix = X64 if target == "x64" else "/gamehome/velm/"
        url = self.base + prefix + "release/velm.exe"
        try:
            body = velm_sign.manifest_body(self.version, url, exe)
        except SystemExit:  # a version no release could carry: the client refuses it unsigned
            return f"[velm]\r\nversion={self.version}\r\n".encode("ascii")
        return velm_sign.sign_body(velm_sign.load_private(DEVELOPMENT_KEY), body)

    def builtin(self, path):
        target, client_path = target_path(path)
        if client_path == MANIFEST:
            if not self.signed:
                text = f"[velm]\r\nversion={self.version}\r\n"
                return 200, "text/plain", text.encode("ascii")
            return 200, "text/plain", self.signed_manifest(target)
        if path in ("/velm/login/", "/velm/login"):
            return 200, "text/html; charset=utf-8", login_page(self.base).encode("utf-8")
        if path in ("/velm/game/1/", "/velm/game/1"):
            return 200, "text/html; charset=utf-8", game_page(1, "晨曦一区").encode("utf-8")
        if path in ("/velm/game/2/", "/velm/game/2"):
            return 200, "text/html; charset=utf-8", game_page(2, "星辰二区").encode("utf-8")
        if path in ("/velm/", "/velm"):
            body = page("OrvikVelmora 官方网站", "<h1>OrvikVelmora 官方网站</h1>")
            return 200, "text/html; charset=utf-8", body.encode("utf-8")
        if path in ("/maker/", "/maker"):
            body = page("Velm 客户端", "<h1>Velm 客户端</h1><p>游戏客户端制作者主页。</p>")
            return 200, "text/html; charset=utf-8", body.encode("utf-8")
        return 404, "text/plain", b"not found\n"


def make_handler(state, control):
    class Handler(BaseHTTPRequestHandler):
        protocol_version = "HTTP/1.1"
        server_version = "velm-demo/1"

        def log_message(self, fmt, *args):
            if os.environ.get("VELM_DEMO_VERBOSE"):
                sys.stderr.write("%s - %s\n" % (self.address_string(), fmt % args))

        def answer(self, status, ctype, body, cache="no-store", cut=False, slow=False):
            self.send_response(status)
            self.send_header("Content-Type", ctype)
            self.send_header("Content-Length", str(len(body)))
            self.send_header("Cache-Control", cache)
            self.end_headers()
            if self.command == "HEAD":
                return
            if cut:
                # Half the announced body, then the connection goes away.
                self.wfile.write(body[:len(body) // 2])
                self.wfile.flush()
                self.close_connection = True
                try:
                    self.connection.shutdown(socket.SHUT_RDWR)
                except OSError:
                    pass
                return
            if slow:
                try:
                    for i in range(0, len(body), 8192):
                        self.wfile.write(body[i:i + 8192])
                        self.wfile.flush()
                        time.sleep(0.05)
                except OSError:
                    self.close_connection = True  # the client stopped reading
                return
            self.wfile.write(body)

        def fault(self, kind, status, ctype, body):
            self.close_connection = True
            if kind == "close":
                try:
                    self.connection.shutdown(socket.SHUT_RDWR)
                except OSError:
                    pass
                return
            self.send_response(status)
            self.send_header("Content-Type", ctype)
            if kind == "chunked":
                self.send_header("Transfer-Encoding", "chunked")
            elif kind == "huge":
                block = b"version=9.9.9 " + b"x" * (65536 - 14)
                count = 50 * 1024 * 1024 // len(block)
                self.send_header("Content-Length", str(count * len(block)))
            elif kind in ("cut", "stall"):
                self.send_header("Content-Length", str(max(len(body), 8)))
            self.send_header("Connection", "close")
            self.end_headers()
            try:
                if kind == "chunked":
                    for i in range(0, len(body), 7):
                        piece = body[i:i + 7]
                        self.wfile.write(b"%x\r\n%s\r\n" % (len(piece), piece))
                    self.wfile.write(b"0\r\n\r\n")
                elif kind == "huge":
                    for _ in range(count):
                        self.wfile.write(block)
                elif kind == "cut":
                    self.wfile.write(body[:len(body) // 2])
                elif kind == "stall":
                    self.wfile.write(body[:4])
                    self.wfile.flush()
                    # Held until the client gives up (or five minutes pass).
                    self.connection.settimeout(300)
                    while self.connection.recv(1):
                        pass
                else:  # nolength
                    self.wfile.write(body)
                self.wfile.flush()
                self.connection.shutdown(socket.SHUT_RDWR)
            except OSError:
                pass

        def do_HEAD(self):
            self.do_GET()

        def do_GET(self):
            url = urllib.parse.urlsplit(self.path)
            if control and url.path.startswith("/__control/"):
                return self.control(url)
            with state.lock:
                state.requests.append(url.path)
                override = state.overrides.get(url.path)
                mode = state.release_mode
                delay = state.delays.get(url.path, 0)
                fault = state.faults.get(url.path)
            if delay:
                time.sleep(delay / 1000.0)
            if fault:
                answer = override or state.release(url.path) or state.builtin(url.path)
                return self.fault(fault, *answer)
            if override:
                return self.answer(*override)
            published = published_file(state.publish_dir, url.path)
            if published:
                return self.answer(*published)
            try:
                release = state.release(url.path)
            except OSError as e:
                release = (500, "text/plain", f"release not readable: {e}\n".encode())
            if release:
                exe = target_path(url.path)[1] == RELEASE_EXE
                return self.answer(*release, cut=(mode == "cut" and exe),
                                   slow=(mode == "slow" and exe))
            return self.answer(*state.builtin(url.path))

        def control(self, url):
            query = urllib.parse.parse_qs(url.query, keep_blank_values=True)
            if url.path == "/__control/set":
                path = query.get("path", ["/"])[0]
                status = int(query.get("status", ["200"])[0])
                ctype = query.get("type", ["text/plain"])[0]
                body = query.get("body", [""])[0].encode("utf-8")
                with state.lock:
                    state.overrides[path] = (status, ctype, body)
            elif url.path == "/__control/version":
                with state.lock:
                    state.version = query.get("value", ["1.1.0"])[0]
                    state.signed = query.get("signed", ["1"])[0] != "0"
            elif url.path == "/__control/release":
                mode = query.get("mode", ["good"])[0]
                if mode not in RELEASE_MODES or (mode != "off" and not state.release_dirs):
                    return self.answer(400, "text/plain", b"no such release mode\n")
                with state.lock:
                    state.release_mode = mode
            elif url.path == "/__control/requests":
                with state.lock:
                    listed = "".join(p + "\n" for p in state.requests)
                return self.answer(200, "text/plain", listed.encode("utf-8"))
            elif url.path == "/__control/delay":
                path = query.get("path", ["/"])[0]
                with state.lock:
                    state.delays[path] = int(query.get("ms", ["0"])[0])
            elif url.path == "/__control/fault":
                path = query.get("path", ["/"])[0]
                with state.lock:
                    state.faults[path] = query.get("kind", ["stall"])[0]
            elif url.path == "/__control/reset":
                with state.lock:
                    state.faults.clear()
                    state.overrides.clear()
                    state.delays.clear()
                    state.version = state.initial_version
                    state.signed = True
                    state.release_mode = state.initial_release_mode
                    state.requests.clear()
            else:
                return self.answer(404, "text/plain", b"unknown control\n")
            return self.answer(200, "text/plain", b"ok\n")

    return Handler


def stop(pidfile):
    try:
        with open(pidfile) as f:
            pid = int(f.read().strip())
    except (OSError, ValueError):
        return 0
    try:
        os.kill(pid, signal.SIGTERM)
    except ProcessLookupError:
        pass
    for _ in range(50):
        try:
            os.kill(pid, 0)
        except ProcessLookupError:
            break
        time.sleep(0.1)
    try:
        os.unlink(pidfile)
    except OSError:
        pass
    return 0


def wait_listening(port, seconds=10):
    end = time.time() + seconds
    while time.time() < end:
        try:
            with socket.create_connection((HOST, port), timeout=0.5):
                return True
        except OSError:
            time.sleep(0.05)
    return False


def main():
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("--port", type=int, default=8731)
    ap.add_argument("--version", default="1.1.0", help="version written in the manifest")
    ap.add_argument("--control", action="store_true", help="enable /__control/ for tests")
    ap.add_argument("--release-dir", help="folder with a signed release (update.txt, velm.exe)")
    ap.add_argument("--release-dir-x64", help="the same for the 64-bit client")
    ap.add_argument("--publish-dir", help="serve a publish tree of scripts/release as it is")
    ap.add_argument("--release-mode", default="off", choices=RELEASE_MODES,
                    help="what the release paths serve at start")
    ap.add_argument("--daemon", action="store_true", help="detach once listening")
    ap.add_argument("--pidfile")
    ap.add_argument("--stop", action="store_true", help="stop the server named by --pidfile")
    args = ap.parse_args()

    if args.stop:
        return stop(args.pidfile)

    base = f"http://{HOST}:{args.port}"
    if args.release_mode != "off" and not (args.release_dir or args.release_dir_x64):
        ap.error("--release-mode needs --release-dir")
    state = State(args.version, base, {"x86": args.release_dir, "x64": args.release_dir_x64},
                  args.release_mode)
    state.publish_dir = args.publish_dir
    state.initial_version = args.version
    state.initial_release_mode = args.release_mode
    try:
        server = ThreadingHTTPServer((HOST, args.port), make_handler(state, args.control))
    except OSError as e:
        sys.stderr.write(f"demo server: cannot listen on {HOST}:{args.port}: {e}\n")
        return 1
    server.daemon_threads = True

    if args.daemon:
        child = os.fork()
        if child > 0:
            # The socket already listens; the parent records the child and returns at once.
            if args.pidfile:
                with open(args.pidfile, "w") as f:
                    f.write(str(child))
            return 0 if wait_listening(args.port) else 1
        os.setsid()
        devnull = os.open(os.devnull, os.O_RDWR)
        for fd in (0, 1, 2):
            os.dup2(devnull, fd)
    elif args.pidfile:
        with open(args.pidfile, "w") as f:
            f.write(str(os.getpid()))
    signal.signal(signal.SIGTERM, lambda *_: threading.Thread(target=server.shutdown).start())
    try:
        server.serve_forever()
    except KeyboardInterrupt:
        pass
    server.server_close()
    return 0


if __name__ == "__main__":
    sys.exit(main())
