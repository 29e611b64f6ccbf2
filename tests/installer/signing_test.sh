#!/usr/bin/env bash
# Signs copies of the built DLL and packages with a throw-away certificate
# through scripts/sign.sh, as a release build does with the publisher's, and
# checks them with osslsigncode against the throw-away CA: each verifies,
# with a SHA-256 digest; unsigned ones and ones changed after signing do not.
# The signed copies stay in OUTDIR for installer_tests, which registers,
# loads and installs them under Wine.
#
#   signing_test.sh SOURCE_DIR OUTDIR DLL MSI...
set -euo pipefail
source_dir=$1
out=$2
shift 2
rm -rf "$out"
mkdir -p "$out"
password='test pass'
"$source_dir/tests/installer/make_test_certificate.sh" "$out/ca" "$password" >/dev/null

failures=0
fail() { echo "FAILED: $*"; failures=$((failures + 1)); }
verify() { osslsigncode verify -CAfile "$out/ca/ca.pem" -in "$1" >"$out/verify.log" 2>&1; }

for file in "$@"; do
  name=$(basename "$file")
  cp "$file" "$out/$name"
  verify "$out/$name" && fail "$name verifies before it is signed"
  SW_SIGN_PFX="$out/ca/signer.pfx" SW_SIGN_PASSWORD="$password" \
    "$source_dir/scripts/sign.sh" "$out/$name" >/dev/null
  if verify "$out/$name"; then
    grep -q "SHA256" "$out/verify.log" || fail "$name: no SHA-256 digest"
    grep -q "Tallpine Test Publisher" "$out/verify.log" || fail "$name: not signed by the publisher"
  else
    fail "$name does not verify after signing"; cat "$out/verify.log"
  fi

  # One byte changed after signing: a byte of code in the DLL, a property in
  # a package (any other byte of a package may only break its file format).
  tampered="$out/tampered-$name"
  cp "$out/$name" "$tampered"
  case $name in
    *.msi)
      msibuild "$tampered" -q "UPDATE \`Property\` SET \`Value\` = 'Tallpine Supporu' WHERE \`Property\` = 'ARPCONTACT'" ;;
    *)
      offset=$(( $(stat -c %s "$tampered") / 3 ))
      byte=$(od -An -tu1 -j "$offset" -N1 "$tampered" | tr -d ' ')
      printf "$(printf '\\%03o' $(( (byte + 1) % 256 )))" |
        dd of="$tampered" bs=1 seek="$offset" conv=notrunc status=none ;;
  esac
  cmp -s "$out/$name" "$tampered" && fail "$name: the copy was not changed"
  verify "$tampered" && fail "$name verifies after a change"
  rm -f "$tampered"
done

# Signing without a certificate is refused, not skipped in silence.
if "$source_dir/scripts/sign.sh" "$out/$(basename "$1")" >/dev/null 2>&1; then
  fail "sign.sh signs without a certificate"
fi

[ $failures -eq 0 ] && echo "signed and verified: $*"
exit $(( failures > 0 ))
