#!/usr/bin/env bash
# scripts/release-check.sh - the release's own checks; CI runs them after the tests.
#  1. release.sh twice, unsigned, from two checkouts at different paths: the installers, zips
#     and programs must be byte-identical (a time stamp differs on every signing);
#  2. release.sh once more in the first release tree, signed with a throwaway certificate whose
#     key is protected by a password in a file, and time-stamped by a local authority (tsa.py,
#     127.0.0.1 only): osslsigncode verify of every signature and its time stamp, and
#     WinVerifyTrust under Wine (signed 0, tampered 0x80096010);
#  3. silent install into a fresh Wine prefix: files, shortcuts, Uninstall entry, the settings
#     key's DACL; Torvane from the simulator folder under a standard user's token saves its
#     settings on OK, that user can neither create a subkey, change the DACL nor delete the key,
#     and without the installer's entry Torvane stays read-only;
#  4. silent uninstall: nothing installed is left, the settings stay;
#  5. install with /D=C:\Apps\VTL4410, reinstall without /D into the same folder, uninstall with
#     /REMOVESETTINGS: C:\Apps and a key an administrator added below the settings stay;
#  6. reinstall and uninstall with /REMOVESETTINGS: the settings are gone.
# Work folder: build/release-check. Needs the test build for vtl_installcheck.exe.
set -euo pipefail
. "$(dirname "${BASH_SOURCE[0]}")/setup.sh"
vtl_install
vtl_configure
# A display only: Wine runs here in a fresh prefix of its own (step 3), whose server must end by
# itself for wine_wait, and never in the build tree's prefix.
vtl_display
start=$(date +%s)
step() { vtl_log "release check: $* ($(($(date +%s) - start)) s)"; }
die() {
  vtl_log "release check FAILED: $*"
  exit 1
}

work=$VTL_BUILD/release-check
rm -rf "$work"
mkdir -p "$work"
cmake --build "$VTL_BUILD" -j"$(nproc)" --target vtl_installcheck >/dev/null
check=$VTL_BUILD/tools/vtl_installcheck.exe

# Both builds of step 1 take the same times, set here once.
vtl_source_date_epoch
unset VTL_SIGN_CERT VTL_SIGN_KEY VTL_SIGN_PASS VTL_SIGN_PASS_FILE VTL_SIGN_TIMESTAMP_URL

# 1. Reproducible: this tree, and a copy of it elsewhere with its own build tree.
step "release build A (unsigned)"
VTL_RELEASE_DIR=$work/a VTL_RELEASE_TREE=$work/tree-a bash "$VTL_ROOT/scripts/release.sh"
step "release build B from a copy at another path (unsigned)"
mkdir -p "$work/src-b"
(cd "$VTL_ROOT" && git ls-files -co --exclude-standard -z | tar --null -T - -cf -) |
  tar -xf - -C "$work/src-b"
VTL_BUILD=$work/build-b VTL_RELEASE_DIR=$work/b VTL_RELEASE_TREE=$work/tree-b \
  bash "$work/src-b/scripts/release.sh"
# same_trees WHAT A B: the two folders hold the same files with the same bytes.
same_trees() {
  diff -rq "$2" "$3" >"$work/diff.log" 2>&1 ||
    die "$1 differ between the two builds: $(head -3 "$work/diff.log")"
}
same_trees "the releases" "$work/a" "$work/b"
same_trees "the staged programs" "$work/tree-a/stage" "$work/tree-b/stage"
same=$(find "$work/a" -type f | wc -l)
(cd "$work/a" && sha256sum -c --quiet SHA256SUMS) || die "SHA256SUMS does not match"
step "reproducible: $same release files and every staged program byte-identical"

# 2. Signed and time-stamped. The signer's key is protected; its password is in a file only.
openssl rand -hex 16 >"$work/sign.pass"
chmod 600 "$work/sign.pass"
openssl req -x509 -newkey rsa:2048 -days 7 -subj "/CN=VTL4410 throwaway test signer" \
  -addext "keyUsage=critical,digitalSignature" -addext "extendedKeyUsage=codeSigning" \
  -passout "file:$work/sign.pass" -keyout "$work/sign.key" -out "$work/sign.pem" 2>/dev/null
openssl x509 -in "$work/sign.pem" -outform DER -out "$work/sign.der"
openssl req -x509 -newkey rsa:2048 -nodes -days 7 -subj "/CN=VTL4410 throwaway time stamps" \
  -addext "keyUsage=critical,digitalSignature" -addext "extendedKeyUsage=critical,timeStamping" \
  -keyout "$work/tsa.key" -out "$work/tsa.pem" 2>/dev/null
echo 01 >"$work/tsa.serial"
cat >"$work/tsa.cnf" <<CONF
[ tsa ]
default_tsa = local
[ local ]
serial = $work/tsa.serial
crypto_device = builtin
signer_cert = $work/tsa.pem
signer_key = $work/tsa.key
signer_digest = sha256
default_policy = 1.3.6.1.4.1.4146.2.3
digests = sha1, sha256, sha384, sha512
accuracy = secs:1
ordering = no
tsa_name = no
ess_cert_id_chain = no
ess_cert_id_alg = sha256
CONF
tsa_pid=
stop_tsa() {
  [ -n "$tsa_pid" ] || return 0
  kill "$tsa_pid" 2>/dev/null || true
  wait "$tsa_pid" 2>/dev/null || true
  tsa_pid=
}
trap 'stop_tsa; vtl_stop_session' EXIT
python3 "$VTL_ROOT/scripts/tsa.py" "$work/tsa.cnf" "$work/tsa.port" 1200 &
tsa_pid=$!
vtl_wait_for '[ -s "$work/tsa.port" ]' 100 || die "the time-stamp authority did not start"
step "release build A again, signed and time-stamped"
VTL_SIGN_CERT=$work/sign.pem VTL_SIGN_KEY=$work/sign.key VTL_SIGN_PASS_FILE=$work/sign.pass \
  VTL_SIGN_TIMESTAMP_URL="http://127.0.0.1:$(cat "$work/tsa.port")" no_proxy=127.0.0.1 \
  VTL_RELEASE_DIR=$work/signed VTL_RELEASE_TREE=$work/tree-a bash "$VTL_ROOT/scripts/release.sh"
stop_tsa

# verify_signed FILE: signed by the throwaway signer, with a valid time stamp.
verify_signed() {
  osslsigncode verify -CAfile "$work/sign.pem" -TSA-CAfile "$work/tsa.pem" -in "$1" \
    >"$work/verify.log" 2>&1 || die "osslsigncode verify $1: $(tail -3 "$work/verify.log")"
  grep -q '^Timestamp Server Signature verification: ok' "$work/verify.log" ||
    die "$1 carries no valid time stamp"
}
# The tampered copy differs in one byte of its code or data.
setup=$(cd "$work/signed" && ls VTL4410-Tools-*-setup.exe)
signed=("$work/signed/$setup")
for f in "$work"/tree-a/stage/{tools,helper,simulator}/*; do
  case $f in *.exe | *.dll) signed+=("$f") ;; esac
done
for f in "${signed[@]}"; do verify_signed "$f"; done
tampered=$work/tampered-$setup
cp "$work/signed/$setup" "$tampered"
size=$(stat -c %s "$tampered")
printf '\x5a' | dd of="$tampered" bs=1 seek=$((size / 3)) conv=notrunc 2>/dev/null
cmp -s "$tampered" "$work/signed/$setup" && printf '\xa5' | dd of="$tampered" bs=1 seek=$((size / 3)) conv=notrunc 2>/dev/null
osslsigncode verify -CAfile "$work/sign.pem" -TSA-CAfile "$work/tsa.pem" -in "$tampered" >/dev/null 2>&1 &&
  die "osslsigncode accepts the tampered installer"
step "osslsigncode: ${#signed[@]} signed and time-stamped files verified, the tampered installer refused"

# 3. A fresh prefix of its own (and its own wineserver), without the build's simulator on the path.
export WINEPREFIX=$work/prefix
vtl_prefix >/dev/null
export WINEPATH='C:\windows\system32'
cleanup_prefix() {
  WINEPREFIX=$work/prefix "$VTL_WINESERVER" -k 2>/dev/null || true
  vtl_stop_session
}
trap cleanup_prefix EXIT
wine_wait() { timeout 120 "$VTL_WINESERVER" -w || die "Wine processes did not end"; }
# wine_limited WHAT PROGRAM ARGS...: runs an installer or uninstaller for at most 300 s.
wine_limited() {
  local what=$1 rc=0
  shift
  timeout 300 "$WINE" "$@" || rc=$?
  [ "$rc" -ne 124 ] || die "$what did not end within 300 s"
  [ "$rc" -eq 0 ] || die "$what failed (exit code $rc)"
}
"$WINE" "$check" trust "$(vtl_winpath "$work/sign.der")" || die "cannot trust the signer"
wvt=$("$WINE" "$check" verify "$(vtl_winpath "$work/signed/$setup")" "$(vtl_winpath "$tampered")" \
  "$(vtl_winpath "$work/tree-a/stage/tools/Torvane.exe")" | tr -d '\r')
echo "$wvt" | sed 's/^/  WinVerifyTrust /'
[ "$(echo "$wvt" | sed -n 1p | cut -d' ' -f1)" = 0x00000000 ] || die "WinVerifyTrust: signed installer"
[ "$(echo "$wvt" | sed -n 2p | cut -d' ' -f1)" = 0x80096010 ] || die "WinVerifyTrust: tampered installer"
[ "$(echo "$wvt" | sed -n 3p | cut -d' ' -f1)" = 0x00000000 ] || die "WinVerifyTrust: signed Torvane"
step "WinVerifyTrust: signed 0, tampered 0x80096010"

installcheck() { "$WINE" "$check" --gtest_brief=1 --gtest_filter="$1" || die "installed state: $1"; }
program_files=$WINEPREFIX/drive_c/'Program Files/Veltrane/VTL4410 Tools'

# Wine keeps a key's security only while its server runs: one process holds the server from
# the install until the key has been checked.
mkfifo "$work/hold"
"$WINE" "$check" hold <"$work/hold" &
hold_pid=$!
exec 6>"$work/hold"
wine_limited "the silent install" "$work/signed/$setup" /S /SIMULATOR
installcheck 'Installed.*'
installcheck 'StandardUser.*'
[ "$("$WINE" "$check" verify 'C:\Program Files\Veltrane\VTL4410 Tools\Uninstall.exe' | cut -d' ' -f1)" = 0x00000000 ] ||
  die "WinVerifyTrust: the installed uninstaller"
verify_signed "$program_files/Uninstall.exe"
exec 6>&-
wait "$hold_pid" || die "the holding process failed"
wine_wait
step "installed silently: files, shortcuts, Uninstall entry, settings key; a standard user saves on OK, cannot take the key, and is read-only without the installer's entry"

wine_limited "the silent uninstall" "$program_files/Uninstall.exe" /S
wine_wait
installcheck 'Uninstalled.*'
step "uninstalled silently: nothing left, settings kept"

# 5. A folder of the user's choice below a folder of their own.
apps=$WINEPREFIX/drive_c/Apps
mkdir -p "$apps"
wine_limited "the install into C:\\Apps\\VTL4410" "$work/signed/$setup" /S '/D=C:\Apps\VTL4410'
wine_wait
wine_limited "the reinstall without /D" "$work/signed/$setup" /S
wine_wait
[ -f "$apps/VTL4410/Torvane.exe" ] && [ ! -e "$program_files" ] ||
  die "the reinstall did not go into the earlier folder"
"$WINE" reg add 'HKLM\SOFTWARE\Veltrane\VTL4410\settings\planted' /v Kept /d yes /f >/dev/null ||
  die "cannot add a key below the settings"
wine_limited "the uninstall from C:\\Apps\\VTL4410" "$apps/VTL4410/Uninstall.exe" /S /REMOVESETTINGS
wine_wait
installcheck 'Elsewhere.*'
"$WINE" reg delete 'HKLM\SOFTWARE\Veltrane\VTL4410\settings\planted' /f >/dev/null ||
  die "cannot remove the key below the settings"
wine_wait
step "installed into C:\\Apps\\VTL4410 and reinstalled there; uninstalled: C:\\Apps and a key below the settings stay"

wine_limited "the silent reinstall" "$work/signed/$setup" /S
wine_wait
[ -f "$program_files/Torvane.exe" ] || die "reinstall"
wine_limited "the second uninstall" "$program_files/Uninstall.exe" /S /REMOVESETTINGS
wine_wait
installcheck 'Uninstalled.NothingInstalledIsLeft:Purged.*'
step "reinstalled and uninstalled with /REMOVESETTINGS: settings gone"
echo "[release-check] passed in $(($(date +%s) - start)) s"
