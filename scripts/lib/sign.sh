#!/usr/bin/env bash
# sign.sh - signs a Windows program in place with osslsigncode (Authenticode, SHA-256), when a
# certificate and key are given; does nothing otherwise. Used by release.sh and the installer.
# Environment: TOLVEX_SIGN_CERT      certificate file (PEM or DER; a chain may follow it)
#              TOLVEX_SIGN_KEY       private key file (PEM or DER)
#              TOLVEX_SIGN_PASSWORD  the key's password, when it has one
#              TOLVEX_SIGN_TIMESTAMP_URL  an RFC 3161 time-stamp server (optional; needs network)
# Usage: scripts/lib/sign.sh FILE
set -euo pipefail
file=$1
[[ -n ${TOLVEX_SIGN_CERT:-} && -n ${TOLVEX_SIGN_KEY:-} ]] || exit 0
args=(sign -certs "$TOLVEX_SIGN_CERT" -key "$TOLVEX_SIGN_KEY" -h sha256 -n Tolvex)
[[ -z ${TOLVEX_SIGN_PASSWORD:-} ]] || args+=(-pass "$TOLVEX_SIGN_PASSWORD")
[[ -z ${TOLVEX_SIGN_TIMESTAMP_URL:-} ]] || args+=(-ts "$TOLVEX_SIGN_TIMESTAMP_URL")
osslsigncode "${args[@]}" -in "$file" -out "$file.signed" >/dev/null
mv -f "$file.signed" "$file"
