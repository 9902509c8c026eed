#!/usr/bin/env python3
"""Signs a Windows program in place with an Authenticode signature (SHA-256), through Debian's
osslsigncode. The build runs it on Update.exe before the client embeds it, on velm.exe and, from
makensis, on the installer and the uninstaller it writes.

  codesign.py --pkcs12 CERT.p12 [--password-env NAME] [--timestamp URL] PROGRAM.exe

The certificate's password is read from the environment variable NAME, never from the command
line (other users see command lines). Without --timestamp the signature is valid only as long as
the certificate is.
"""
import argparse
import os
import subprocess
import sys
import tempfile


def main():
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("--pkcs12", required=True)
    ap.add_argument("--password-env")
    ap.add_argument("--timestamp")
    ap.add_argument("program")
    args = ap.parse_args()
    out = args.program + ".signed"
    with tempfile.TemporaryDirectory() as tmp:
        command = ["osslsigncode", "sign", "-pkcs12", args.pkcs12, "-h", "sha256"]
        if args.password_env:
            password = os.environ.get(args.password_env)
            if password is None:
                raise SystemExit(f"codesign: {args.password_env} is not set")
            passfile = os.path.join(tmp, "pass")
            fd = os.open(passfile, os.O_WRONLY | os.O_CREAT | os.O_EXCL, 0o600)
            with os.fdopen(fd, "w") as f:
                f.write(password)
            command += ["-readpass", passfile]
        if args.timestamp:
            command += ["-ts", args.timestamp]
        elif os.environ.get("SOURCE_DATE_EPOCH"):
            # The signing time is part of the signed bytes: the commit's time keeps a rebuild equal.
            command += ["-time", os.environ["SOURCE_DATE_EPOCH"]]
        command += ["-in", args.program, "-out", out]
        result = subprocess.run(command, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
        if result.returncode != 0:
            if os.path.exists(out):
                os.remove(out)
            sys.stderr.write(result.stdout)
            raise SystemExit(f"codesign: osslsigncode failed on {args.program}")
    os.replace(out, args.program)
    return 0


if __name__ == "__main__":
    sys.exit(main())
