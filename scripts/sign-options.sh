# Sourced by demo.sh and test.sh: the CMake options that switch signing on
# for this run only. A certificate or token given now reaches a tree
# configured earlier, and one configured for signing is switched back off
# when none is given, so that nothing asks for a password no one gave. The
# token's key, certificate and time-stamp server matter only when signing,
# and are given only then, so that CMake has no unused variable to warn of.
sign_options=("-DSW_SIGN_PFX=${SW_SIGN_PFX:-}" "-DSW_SIGN_PKCS11_MODULE=${SW_SIGN_PKCS11_MODULE:-}")
if [ -n "${SW_SIGN_PFX:-}${SW_SIGN_PKCS11_MODULE:-}" ]; then
  for var in SW_SIGN_PKCS11_KEY SW_SIGN_CERT SW_SIGN_TIMESTAMP_URL; do
    sign_options+=("-D$var=${!var:-}")
  done
fi
