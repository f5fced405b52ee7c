#!/usr/bin/env bash
# tools/sign-dev.sh FILE: signs the Windows program FILE in place with Authenticode (SHA-256).
#
# A release build names the maker's certificate (see README, "Signing"):
#   LUDORA_SIGNING_PKCS12 (with LUDORA_SIGNING_PASSWORD_FILE when the container has a password), or
#   LUDORA_SIGNING_CERT and LUDORA_SIGNING_KEY (PEM or DER).
# Otherwise the file is signed with a development certificate made on first use and kept outside the
# repository, in ${LUDORA_SIGNING_DIR:-$HOME/.local/share/ludora/signing}. A program updates only to
# packages signed by its own publisher, so builds that should update each other share that folder.
set -euo pipefail

if [ $# -ne 1 ] || [ ! -f "$1" ]; then
  echo "usage: $0 FILE" >&2
  exit 2
fi
file=$1
description=${LUDORA_SIGNING_DESCRIPTION:-Ludora}

# The development certificate: self-signed, RSA, for code signing only. Two builds may sign at the
# same time, so one makes it under a lock while the other waits, and the files appear whole.
dev_certificate() {
  local dir=${LUDORA_SIGNING_DIR:-$HOME/.local/share/ludora/signing}
  mkdir -p "$dir"
  chmod 700 "$dir"
  exec 9>"$dir/.lock"
  flock 9
  if [ ! -s "$dir/cert.pem" ] || [ ! -s "$dir/key.pem" ]; then
    local work
    work=$(mktemp -d "$dir/new.XXXXXX")
    (umask 077 && openssl req -x509 -newkey rsa:3072 -sha256 -days 3650 -nodes \
      -subj "/CN=${LUDORA_SIGNING_SUBJECT:-Ludora Development}" \
      -addext "keyUsage=critical,digitalSignature" -addext "extendedKeyUsage=codeSigning" \
      -addext "basicConstraints=critical,CA:FALSE" \
      -keyout "$work/key.pem" -out "$work/cert.pem" 2>/dev/null)
    mv "$work/key.pem" "$dir/key.pem"
    mv "$work/cert.pem" "$dir/cert.pem"
    rmdir "$work"
  fi
  exec 9>&-
  signer=(-certs "$dir/cert.pem" -key "$dir/key.pem")
}

signer=()
if [ -n "${LUDORA_SIGNING_PKCS12:-}" ]; then
  signer=(-pkcs12 "$LUDORA_SIGNING_PKCS12")
  [ -z "${LUDORA_SIGNING_PASSWORD_FILE:-}" ] || signer+=(-readpass "$LUDORA_SIGNING_PASSWORD_FILE")
elif [ -n "${LUDORA_SIGNING_CERT:-}" ] || [ -n "${LUDORA_SIGNING_KEY:-}" ]; then
  signer=(-certs "${LUDORA_SIGNING_CERT:?needs LUDORA_SIGNING_KEY too}" -key "${LUDORA_SIGNING_KEY:?needs LUDORA_SIGNING_CERT too}")
  [ -z "${LUDORA_SIGNING_PASSWORD_FILE:-}" ] || signer+=(-readpass "$LUDORA_SIGNING_PASSWORD_FILE")
else
  dev_certificate
fi

# Signed into a new file beside FILE and moved over it, so that FILE is never left half signed.
work=$(mktemp -d "$(dirname "$file")/.signing.XXXXXX")
trap 'rm -rf "$work"' EXIT
osslsigncode sign "${signer[@]}" -h sha256 -n "$description" -in "$file" -out "$work/signed" >/dev/null
chmod --reference="$file" "$work/signed"
mv "$work/signed" "$file"
