#!/usr/bin/env bash
# Makes a throw-away code-signing CA and a code-signing certificate issued by
# it, for the signing tests; nothing of it is trusted anywhere else.
#
#   make_test_certificate.sh DIR PASSWORD
#
# Writes DIR/ca.pem (the CA certificate to verify against), DIR/signer.pfx
# (key, certificate and CA, protected by PASSWORD) and DIR/signer.pem.
set -euo pipefail
dir=$1
password=$2
mkdir -p "$dir"
cd "$dir"
cat > ca.cnf <<'CNF'
[req]
distinguished_name = dn
prompt = no
[dn]
CN = Spamwarden Test Signing CA
[ca]
basicConstraints = critical, CA:true
keyUsage = critical, keyCertSign, cRLSign
subjectKeyIdentifier = hash
[signer]
basicConstraints = critical, CA:false
keyUsage = critical, digitalSignature
extendedKeyUsage = codeSigning
subjectKeyIdentifier = hash
authorityKeyIdentifier = keyid
CNF
openssl req -x509 -new -newkey rsa:2048 -nodes -keyout ca.key -out ca.pem -days 2 \
  -config ca.cnf -extensions ca 2>/dev/null
openssl req -new -newkey rsa:2048 -nodes -keyout signer.key -out signer.csr \
  -subj "/CN=Tallpine Test Publisher/O=Tallpine" 2>/dev/null
openssl x509 -req -in signer.csr -CA ca.pem -CAkey ca.key -CAcreateserial -out signer.pem -days 2 \
  -extfile ca.cnf -extensions signer 2>/dev/null
openssl pkcs12 -export -inkey signer.key -in signer.pem -certfile ca.pem -out signer.pfx \
  -passout "pass:$password" 2>/dev/null
rm -f ca.key signer.key signer.csr ca.srl
