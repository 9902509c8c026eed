#!/usr/bin/env python3
"""Keys and signed update manifests for velm's updater (Update.exe).

  velm_sign.py genkey --out KEY            writes KEY.pem (private, keep it secret) and KEY.pub
  velm_sign.py pubkey --key KEY.pem        prints the public key as Update.exe embeds it
  velm_sign.py sign --key KEY.pem --exe velm.exe --version 1.1.1 --url URL [--out update.txt]
                   [--replaces 1.1.2,1.1.3]
  velm_sign.py verify --pub KEY.pub update.txt [--exe velm.exe]

The manifest (CR LF lines; the client reads only its first line containing "version"):

  [velm]
  version=1.1.1
  url=http://static.example.com/gamehome/velm/release/velm.exe
  size=1234567
  sha256=<64 hex digits of the executable's SHA-256>
  downgrade=allowed           (--replaces only: a roll-back of exactly these versions)
  replaces=1.1.2,1.1.3
  signature=<128 hex digits>

Both commands apply the client's own rules, byte for byte: what `sign` writes and `verify` accepts
is what every client and its updater accept. The version must be the executable's own (its version
resource), one to four numbers of at most 65535.

The signature is ECDSA on the P-256 curve over the SHA-256 of every byte before the signature
line, written as r then s (32 bytes each, big-endian). The public key file holds X then Y of the
key's point as 128 hex digits. Needs python3-cryptography.
"""
import argparse
import hashlib
import os
import sys

from cryptography.exceptions import InvalidSignature
from cryptography.hazmat.primitives import hashes, serialization
from cryptography.hazmat.primitives.asymmetric import ec, utils

CRLF = "\r\n"


def load_private(path):
    with open(path, "rb") as f:
        data = f.read()
    password = os.environ.get("VELM_SIGNING_PASSWORD")
    key = serialization.load_pem_private_key(
        data[data.index(b"-----BEGIN"):], password.encode() if password else None)
    if not isinstance(key, ec.EllipticCurvePrivateKey) or key.curve.name != "secp256r1":
        raise SystemExit(f"{path}: not a P-256 private key")
    return key


def public_hex(public_key):
    numbers = public_key.public_numbers()
    return (numbers.x.to_bytes(32, "big") + numbers.y.to_bytes(32, "big")).hex()


def load_public(path):
    with open(path) as f:
        text = "".join(line.strip() for line in f if not line.startswith("#"))
    raw = bytes.fromhex(text)
    if len(raw) != 64:
        raise SystemExit(f"{path}: expected 128 hex digits")
    return ec.EllipticCurvePublicKey.from_encoded_point(ec.SECP256R1(), b"\x04" + raw)


MAX_MANIFEST = 64 * 1024
MAX_URL = 2048
MAX_CLIENT_VALUE = 4096


class Refused(Exception):
    """A manifest the client refuses; the text says why."""


def release_version(text):
    """(a, b, c, d) for one to four decimal parts of at most 65535 (missing parts 0), else None."""
    if isinstance(text, bytes):
        text = text.decode("latin-1")
    parts = text.split(".")
    if len(parts) > 4:
        return None
    numbers = []
    for part in parts:
        if not part or len(part) > 5 or any(c not in "0123456789" for c in part):
            return None
        if int(part) > 0xFFFF:
            return None
        numbers.append(int(part))
    return tuple(numbers + [0] * (4 - len(numbers)))


def printable_without_space(value):
    return all(0x21 <= c <= 0x7E for c in value)


def decode_hex(value, size):
    if len(value) != 2 * size or any(c not in b"0123456789abcdefABCDEF" for c in value):
        return None
    return bytes.fromhex(value.decode("ascii"))


def client_version(data):
    """The value the client reads: the first line (ended by CR LF or a bare CR; a bare LF belongs
    to the line) containing "version" in any ASCII letter case, from its 9th character on, spaces
    trimmed at both ends. None without such a line."""
    lines, line, i = [], bytearray(), 0
    while i < len(data):
        c = data[i]
        if c == 0x0D:
            lines.append(bytes(line))
            line = bytearray()
            if i + 1 < len(data) and data[i + 1] == 0x0A:
                i += 1
        else:
            line.append(c)
        i += 1
    if line:
        lines.append(bytes(line))
    for text in lines:
        lowered = bytes(c + 32 if 0x41 <= c <= 0x5A else c for c in text)
        if b"version" in lowered:
            return text[8:].strip(b" ")
    return None


def parse_manifest(data):
    """The client's reading of a signed manifest. Returns (signed bytes, fields, signature bytes);
    raises Refused with the reason when any client would refuse it."""
    if len(data) > MAX_MANIFEST:
        raise Refused("larger than 64 KiB")
    lines, start, i = [], 0, 0
    while i < len(data):
        if data[i] == 0x0A:
            raise Refused("a line ends in LF without CR")
        if data[i] == 0x0D:
            if i + 1 >= len(data) or data[i + 1] != 0x0A:
                raise Refused("a line ends in CR without LF")
            lines.append((start, data[start:i]))
            start = i + 2
            i += 1
        i += 1
    if start < len(data):
        lines.append((start, data[start:]))
    if not lines or not lines[-1][1].startswith(b"signature="):
        if any(text.startswith(b"signature=") for _, text in lines):
            raise Refused("text after the signature line")
        raise Refused("no signature line")
    signature_start, signature_line = lines.pop()
    signature = decode_hex(signature_line[len(b"signature="):], 64)
    if signature is None:
        raise Refused("signature: expected 128 hex digits")
    fields = {}
    for _, text in lines:
        if text.startswith(b"signature="):
            raise Refused("signature appears twice")
        key, sep, value = text.partition(b"=")
        key = key.decode("latin-1")
        if not sep or key not in ("version", "url", "size", "sha256", "downgrade", "replaces"):
            continue
        if key in fields:
            raise Refused(f"{key} appears twice")
        fields[key] = value
        if key == "version" and (not printable_without_space(value) or
                                 release_version(value) is None):
            raise Refused("version: one to four numbers of at most 65535, joined by dots")
        if key == "url":
            lowered = value.lower()
            scheme = lowered.startswith(b"http://") or lowered.startswith(b"https://")
            if (not scheme or len(value) > MAX_URL or not printable_without_space(value) or
                    value.find(b"/", value.find(b"//") + 2) < 0):
                raise Refused("url: http:// or https:// with a path, printable ASCII")
        if key == "size" and not (0 < len(value) <= 10 and all(0x30 <= c <= 0x39 for c in value)
                                  and 0 < int(value) < 2**31):
            raise Refused("size: 1 to 2147483647")
        if key == "sha256" and decode_hex(value, 32) is None:
            raise Refused("sha256: expected 64 hex digits")
        if key == "downgrade" and value != b"allowed":
            raise Refused("downgrade: only 'allowed'")
        if key == "replaces" and any(release_version(v) is None for v in value.split(b",")):
            raise Refused("replaces: versions separated by commas")
    if ("downgrade" in fields) != ("replaces" in fields):
        raise Refused("a roll-back needs both downgrade=allowed and replaces=")
    missing = {"version", "url", "size", "sha256"} - fields.keys()
    if missing:
        raise Refused("missing: " + ", ".join(sorted(missing)))
    value = client_version(data)
    if value is None or len(value) > MAX_CLIENT_VALUE or value != fields["version"]:
        raise Refused("the client would read another version line or value")
    return data[:signature_start], {k: v.decode("ascii") for k, v in fields.items()}, signature


def file_version(exe):
    """The file version in a Windows program's version resource (RT_VERSION 1), or None."""
    def u16(at):
        return int.from_bytes(exe[at:at + 2], "little") if at + 2 <= len(exe) else None

    def u32(at):
        return int.from_bytes(exe[at:at + 4], "little") if at + 4 <= len(exe) else None

    if exe[:2] != b"MZ" or u32(0x3C) is None:
        return None
    pe = u32(0x3C)
    if exe[pe:pe + 4] != b"PE\0\0" or u16(pe + 20) is None:
        return None
    optional = pe + 24
    magic = u16(optional)
    count_at = {0x10B: optional + 92, 0x20B: optional + 108}.get(magic)
    if count_at is None or (u32(count_at) or 0) <= 2:
        return None
    rva, size = u32(count_at + 4 + 16), u32(count_at + 8 + 16)
    sections = []
    table = optional + u16(pe + 20)
    for i in range(u16(pe + 6) or 0):
        address, raw_size, raw = (u32(table + 40 * i + k) for k in (12, 16, 20))
        if raw is None:
            return None
        sections.append((address, raw_size, raw))

    def offset(at, length):
        for address, raw_size, raw in sections:
            if address <= at and at - address + length <= raw_size:
                return raw + at - address
        return None

    base = offset(rva or 0, size or 0)
    if base is None:
        return None

    def entry(directory, wanted):
        named, numbered = u16(base + directory + 12), u16(base + directory + 14)
        if named is None or numbered is None:
            return None
        for i in range(named + numbered):
            name, target = u32(base + directory + 16 + 8 * i), u32(base + directory + 20 + 8 * i)
            if name is None or target is None:
                return None
            if wanted is None or name == wanted:
                return target
        return None

    at = 0
    for wanted in (16, 1):
        found = entry(at, wanted)
        if found is None or not found & 0x80000000:
            return None
        at = found & 0x7FFFFFFF
    found = entry(at, None)
    if found is None or found & 0x80000000:
        return None
    data_rva, data_size = u32(base + found), u32(base + found + 4)
    data = offset(data_rva or 0, data_size or 0)
    if (data is None or data_size < 56 or (u16(data + 2) or 0) < 52 or
            exe[data + 6:data + 38] != "VS_VERSION_INFO\0".encode("utf-16-le") or
            u32(data + 40) != 0xFEEF04BD):
        return None
    high, low = u32(data + 48), u32(data + 52)
    return (high >> 16, high & 0xFFFF, low >> 16, low & 0xFFFF)


def manifest_body(version, url, exe_bytes, replaces=None):
    """The signed part of a manifest; raises SystemExit when any client would refuse it."""
    lines = [
        "[velm]",
        f"version={version}",
        f"url={url}",
        f"size={len(exe_bytes)}",
        f"sha256={hashlib.sha256(exe_bytes).hexdigest()}",
    ]
    if replaces:
        lines += ["downgrade=allowed", f"replaces={replaces}"]
    try:
        body = (CRLF.join(lines) + CRLF).encode("ascii")
    except UnicodeEncodeError:
        raise SystemExit("refused: printable ASCII only")
    try:
        parse_manifest(body + b"signature=" + b"0" * 128 + CRLF.encode("ascii"))
    except Refused as refused:
        raise SystemExit(f"refused: {refused}")
    return body


def sign_body(key, body):
    der = key.sign(body, ec.ECDSA(hashes.SHA256()))
    r, s = utils.decode_dss_signature(der)
    return body + f"signature={(r.to_bytes(32, 'big') + s.to_bytes(32, 'big')).hex()}{CRLF}".encode(
        "ascii")


def cmd_genkey(args):
    key = ec.generate_private_key(ec.SECP256R1())
    pem = key.private_bytes(serialization.Encoding.PEM, serialization.PrivateFormat.PKCS8,
                            serialization.NoEncryption())
    if os.path.exists(args.out + ".pem") and not args.force:
        raise SystemExit(f"{args.out}.pem exists (use --force to replace it)")
    fd = os.open(args.out + ".pem", os.O_WRONLY | os.O_CREAT | os.O_TRUNC, 0o600)
    with os.fdopen(fd, "wb") as f:
        f.write(pem)
    with open(args.out + ".pub", "w") as f:
        f.write(public_hex(key.public_key()) + "\n")
    print(f"wrote {args.out}.pem (private) and {args.out}.pub (public)")
    return 0


def cmd_pubkey(args):
    print(public_hex(load_private(args.key).public_key()))
    return 0


def cmd_sign(args):
    key = load_private(args.key)
    with open(args.exe, "rb") as f:
        exe = f.read()
    own = file_version(exe)
    if own is None or own != release_version(args.version):
        raise SystemExit(f"refused: {args.exe} is version {own}, not {args.version}: the updater "
                         "installs only an executable whose version resource is the manifest's")
    manifest = sign_body(key, manifest_body(args.version, args.url, exe, args.replaces))
    if args.out:
        with open(args.out, "wb") as f:
            f.write(manifest)
    else:
        sys.stdout.buffer.write(manifest)
    return 0


def cmd_verify(args):
    with open(args.manifest, "rb") as f:
        data = f.read()
    try:
        signed, fields, signature = parse_manifest(data)
    except Refused as refused:
        print(f"refused: {refused}")
        return 1
    r = int.from_bytes(signature[:32], "big")
    s = int.from_bytes(signature[32:], "big")
    try:
        load_public(args.pub).verify(utils.encode_dss_signature(r, s), signed,
                                     ec.ECDSA(hashes.SHA256()))
    except InvalidSignature:
        print("BAD signature")
        return 1
    if args.exe:
        with open(args.exe, "rb") as f:
            exe = f.read()
        if len(exe) != int(fields["size"]) or hashlib.sha256(exe).hexdigest() != fields[
                "sha256"].lower():
            print("BAD executable: size or digest differs")
            return 1
        if file_version(exe) != release_version(fields["version"]):
            print("BAD executable: its version resource is not the manifest's version")
            return 1
    rollback = f", rolls back {fields['replaces']}" if "replaces" in fields else ""
    print(f"good: version {fields['version']}, {fields['size']} bytes from {fields['url']}"
          f"{rollback}")
    return 0


def main():
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0],
                                 formatter_class=argparse.RawDescriptionHelpFormatter,
                                 epilog="\n".join(__doc__.splitlines()[1:]))
    sub = ap.add_subparsers(dest="command", required=True)
    g = sub.add_parser("genkey")
    g.add_argument("--out", required=True, help="path without extension")
    g.add_argument("--force", action="store_true")
    g.set_defaults(func=cmd_genkey)
    p = sub.add_parser("pubkey")
    p.add_argument("--key", required=True)
    p.set_defaults(func=cmd_pubkey)
    s = sub.add_parser("sign")
    s.add_argument("--key", required=True)
    s.add_argument("--exe", required=True)
    s.add_argument("--version", required=True)
    s.add_argument("--url", required=True)
    s.add_argument("--replaces", help="a roll-back: the versions it may replace, comma-separated")
    s.add_argument("--out")
    s.set_defaults(func=cmd_sign)
    v = sub.add_parser("verify")
    v.add_argument("--pub", required=True)
    v.add_argument("--exe")
    v.add_argument("manifest")
    v.set_defaults(func=cmd_verify)
    args = ap.parse_args()
    return args.func(args)


if __name__ == "__main__":
    sys.exit(main())
