#!/usr/bin/env bash
# scripts/sign.sh FILE... - Authenticode-signs Windows programs in place with osslsigncode.
#   VTL_SIGN_CERT  PEM certificate (chain) of the signer
#   VTL_SIGN_KEY   PEM private key; VTL_SIGN_PASS its password, if any
# The signing time is SOURCE_DATE_EPOCH, so that signing the same bytes twice gives the same file.
set -euo pipefail
: "${VTL_SIGN_CERT:?}" "${VTL_SIGN_KEY:?}"
pass=()
[ -n "${VTL_SIGN_PASS:-}" ] && pass=(-pass "$VTL_SIGN_PASS")
for f in "$@"; do
  osslsigncode sign -certs "$VTL_SIGN_CERT" -key "$VTL_SIGN_KEY" "${pass[@]}" -h sha256 \
    -n "Veltrane VTL4410 Tools" -time "${SOURCE_DATE_EPOCH:-0}" -in "$f" -out "$f.signed" >/dev/null
  mv -f "$f.signed" "$f"
done
