#!/usr/bin/env bash
# scripts/sign.sh FILE... - Authenticode-signs Windows programs in place with osslsigncode.
#   VTL_SIGN_CERT           PEM certificate (chain) of the signer
#   VTL_SIGN_KEY            PEM private key
#   VTL_SIGN_PASS_FILE      file holding the key's password, if it has one (never on a command line)
#   VTL_SIGN_TIMESTAMP_URL  RFC 3161 time-stamp authority: the signatures stay valid after the
#                           certificate expires
# The signing time is SOURCE_DATE_EPOCH, so that signing the same bytes twice without a time
# stamp gives the same file; a time stamp differs on every run.
set -euo pipefail
: "${VTL_SIGN_CERT:?}" "${VTL_SIGN_KEY:?}"
if [ -n "${VTL_SIGN_PASS:-}" ]; then
  echo "sign.sh: VTL_SIGN_PASS is no longer read; put the password in a file and name it in VTL_SIGN_PASS_FILE" >&2
  exit 1
fi
opts=()
if [ -n "${VTL_SIGN_PASS_FILE:-}" ]; then
  [ -r "$VTL_SIGN_PASS_FILE" ] || { echo "sign.sh: cannot read $VTL_SIGN_PASS_FILE" >&2; exit 1; }
  opts+=(-readpass "$VTL_SIGN_PASS_FILE")
fi
[ -n "${VTL_SIGN_TIMESTAMP_URL:-}" ] && opts+=(-ts "$VTL_SIGN_TIMESTAMP_URL")
for f in "$@"; do
  osslsigncode sign -certs "$VTL_SIGN_CERT" -key "$VTL_SIGN_KEY" "${opts[@]}" -h sha256 \
    -n "Veltrane VTL4410 Tools" -time "${SOURCE_DATE_EPOCH:-0}" -in "$f" -out "$f.signed" >/dev/null
  mv -f "$f.signed" "$f"
done
