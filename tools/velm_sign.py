#!/usr/bin/env python3
"""Keys and signed update manifests for velm's updater (Update.exe).

  velm_sign.py genkey --out KEY            writes KEY.pem (private, keep it secret) and KEY.pub
  velm_sign.py pubkey --key KEY.pem        prints the public key as Update.exe embeds it
  velm_sign.py sign --key KEY.pem --exe velm.exe --version 1.1.1 --url URL [--out update.txt]
  velm_sign.py verify --pub KEY.pub update.txt [--exe velm.exe]

The manifest (CR LF lines; the client reads only its first line containing "version"):

  [velm]
  version=1.1.1
  url=http://static.example.com/gamehome/velm/release/velm.exe
  size=1234567
  sha256=<64 hex digits of the executable's SHA-256>
  signature=<128 hex digits>

The signature is ECDSA on the P-256 curve over the SHA-256 of every byte before the signature
line, written as r then s (32 bytes each, big-endian). The public key file holds X then Y of the
key's point as 128 hex digits. Needs python3-cryptography.
"""
import argparse
import hashlib
import os
import re
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


def check_value(name, value):
    if not value or re.search(r"[^\x21-\x7e]", value):
        raise SystemExit(f"{name}: printable ASCII without blanks, please")


def manifest_body(version, url, exe_bytes):
    check_value("version", version)
    check_value("url", url)
    if not re.match(r"(?i)https?://[^/]+/", url):
        raise SystemExit("url: http:// or https:// with a path, please")
    if not 0 < len(exe_bytes) < 2**31:
        raise SystemExit("exe: empty or too large")
    lines = [
        "[velm]",
        f"version={version}",
        f"url={url}",
        f"size={len(exe_bytes)}",
        f"sha256={hashlib.sha256(exe_bytes).hexdigest()}",
    ]
    return (CRLF.join(lines) + CRLF).encode("ascii")


def sign_body(key, body):
    der = key.sign(body, ec.ECDSA(hashes.SHA256()))
    r, s = utils.decode_dss_signature(der)
    return body + f"signature={(r.to_bytes(32, 'big') + s.to_bytes(32, 'big')).hex()}{CRLF}".encode(
        "ascii")


def parse_manifest(data):
    """Returns (signed bytes, fields, signature bytes) or raises SystemExit."""
    marker = data.rfind(b"signature=")
    if marker < 0 or (marker > 0 and data[marker - 2:marker] != b"\r\n"):
        raise SystemExit("no signature line")
    line = data[marker:]
    if line.endswith(b"\r\n"):
        line = line[:-2]
    signature = bytes.fromhex(line[len(b"signature="):].decode("ascii"))
    if len(signature) != 64:
        raise SystemExit("signature: expected 128 hex digits")
    signed = data[:marker]
    fields = {}
    for raw in signed.decode("ascii").split(CRLF)[:-1]:
        key, sep, value = raw.partition("=")
        if sep and key in ("version", "url", "size", "sha256"):
            if key in fields:
                raise SystemExit(f"{key} appears twice")
            fields[key] = value
    return signed, fields, signature


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
    manifest = sign_body(key, manifest_body(args.version, args.url, exe))
    if args.out:
        with open(args.out, "wb") as f:
            f.write(manifest)
    else:
        sys.stdout.buffer.write(manifest)
    return 0


def cmd_verify(args):
    with open(args.manifest, "rb") as f:
        data = f.read()
    signed, fields, signature = parse_manifest(data)
    r = int.from_bytes(signature[:32], "big")
    s = int.from_bytes(signature[32:], "big")
    try:
        load_public(args.pub).verify(utils.encode_dss_signature(r, s), signed,
                                     ec.ECDSA(hashes.SHA256()))
    except InvalidSignature:
        print("BAD signature")
        return 1
    missing = {"version", "url", "size", "sha256"} - fields.keys()
    if missing:
        print("missing: " + ", ".join(sorted(missing)))
        return 1
    if args.exe:
        with open(args.exe, "rb") as f:
            exe = f.read()
        if len(exe) != int(fields["size"]) or hashlib.sha256(exe).hexdigest() != fields["sha256"]:
            print("BAD executable: size or digest differs")
            return 1
    print(f"good: version {fields['version']}, {fields['size']} bytes from {fields['url']}")
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
