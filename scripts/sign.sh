#!/usr/bin/env bash
# Signs a built file in place with Authenticode (SHA-256) through
# osslsigncode: Spamwarden.dll before it is packaged, then each package.
#
#   sign.sh FILE
#
# The publisher's certificate comes from the environment, one of:
#   SW_SIGN_PFX=cert.pfx          a PKCS#12 file with the key and the chain,
#   SW_SIGN_PASSWORD=...          its password (or SW_SIGN_PASSWORD_FILE=path);
#   SW_SIGN_PKCS11_MODULE=lib.so  a PKCS#11 token (smart card, HSM), with
#   SW_SIGN_PKCS11_KEY=pkcs11:... the key's URI and
#   SW_SIGN_CERT=cert.pem         the certificate chain in PEM.
# SW_SIGN_TIMESTAMP_URL, when set, names an RFC 3161 time-stamping server, so
# that the signature outlives the certificate. The password is handed over
# through a pipe, never on a command line.
set -euo pipefail
file=$1
[ -f "$file" ] || { echo "sign.sh: no such file: $file" >&2; exit 2; }

args=(sign -h sha256 -n "Spamwarden" -i "https://www.tallpine.example/spamwarden")
if [ -n "${SW_SIGN_PFX:-}" ]; then
  args+=(-pkcs12 "$SW_SIGN_PFX")
elif [ -n "${SW_SIGN_PKCS11_MODULE:-}" ]; then
  : "${SW_SIGN_PKCS11_KEY:?SW_SIGN_PKCS11_KEY names the key on the token}"
  : "${SW_SIGN_CERT:?SW_SIGN_CERT names the certificate chain of the token key}"
  args+=(-pkcs11module "$SW_SIGN_PKCS11_MODULE" -key "$SW_SIGN_PKCS11_KEY" -certs "$SW_SIGN_CERT")
else
  echo "sign.sh: no certificate: set SW_SIGN_PFX or SW_SIGN_PKCS11_MODULE" >&2
  exit 2
fi
if [ -n "${SW_SIGN_TIMESTAMP_URL:-}" ]; then
  args+=(-ts "$SW_SIGN_TIMESTAMP_URL")
fi

signed=$(mktemp "$file.signing.XXXXXX")
trap 'rm -f "$signed"' EXIT
if [ -n "${SW_SIGN_PASSWORD_FILE:-}" ]; then
  args+=(-readpass "$SW_SIGN_PASSWORD_FILE")
elif [ -n "${SW_SIGN_PASSWORD:-}" ]; then
  args+=(-readpass /dev/stdin)
fi
rm -f "$signed"
printf '%s' "${SW_SIGN_PASSWORD:-}" | osslsigncode "${args[@]}" -in "$file" -out "$signed" >/dev/null
mv "$signed" "$file"
echo "Signed $file"
