#!/usr/bin/env bash
# scripts/release.sh - builds the Windows release into build/release/ (or $VTL_RELEASE_DIR):
#   VTL4410-Tools-<version>-setup.exe      installer (x64, silent with /S)
#   VTL4410-Tools-<version>-win64.zip      the tools, portable
#   VTL4410-Simulator-<version>-win64.zip  try without a board: simulator, its own tools, samples
#   SHA256SUMS
# Every program and the installer are signed when VTL_SIGN_CERT and VTL_SIGN_KEY name a PEM
# certificate and key (scripts/sign.sh; VTL_SIGN_PASS_FILE, VTL_SIGN_TIMESTAMP_URL). The same
# commit gives the same bytes unsigned: times come from SOURCE_DATE_EPOCH, by default the
# commit's time; a time stamp differs on every signing. The release tree is $VTL_RELEASE_TREE, by
# default build/release-build.
set -euo pipefail
. "$(dirname "${BASH_SOURCE[0]}")/setup.sh"
vtl_install

version=1.2.0.0
tree=${VTL_RELEASE_TREE:-$VTL_BUILD/release-build}
out=${VTL_RELEASE_DIR:-$VTL_BUILD/release}
vtl_source_date_epoch
sign=
if [ -n "${VTL_SIGN_CERT:-}" ] && [ -n "${VTL_SIGN_KEY:-}" ]; then
  sign=1
fi

vtl_log "release $version: building in $tree"
cmake -S "$VTL_ROOT" -B "$tree" -DCMAKE_TOOLCHAIN_FILE="$VTL_ROOT/cmake/mingw-w64-x86_64.cmake" \
  -DCMAKE_BUILD_TYPE=Release -DVTL_TESTS=OFF >/dev/null
cmake --build "$tree" -j"$(nproc)" >/dev/null

bin=$tree/bin
tools=(Torvane.exe Ostrel.exe torvane-cli.exe ostrel-cli.exe vtl-station.exe)
programs=("${tools[@]}" VtlSettingsAccess.exe vtlsim.exe VtlDrvUsb.dll)

# Small, and nothing of this machine inside: no path of the source or build tree.
fail=
for p in "${programs[@]}"; do
  size=$(stat -c %s "$bin/$p")
  if [[ $p == *.exe ]] && [ "$size" -ge 1048576 ]; then
    vtl_log "$p is $size bytes: over 1 MB"
    fail=1
  fi
  if grep -aqF -e "$VTL_ROOT" -e "$tree" "$bin/$p" ||
    grep -aqE '/(home|root|tmp|work|build|usr|opt|var)/[[:alnum:]_.-]+/' "$bin/$p"; then
    vtl_log "$p holds a path of the build machine"
    fail=1
  fi
done
[ -z "$fail" ] || exit 1

stage=$tree/stage
rm -rf "$stage"
mkdir -p "$stage/tools" "$stage/helper" "$stage/simulator/samples"
for p in "${tools[@]}"; do cp "$bin/$p" "$stage/tools/"; done
cp "$bin/VtlSettingsAccess.exe" "$stage/helper/"
cp "$bin/VtlDrvUsb.dll" "$bin/vtlsim.exe" "$stage/simulator/"
if [ -n "$sign" ]; then
  vtl_log "signing the programs"
  "$VTL_ROOT/scripts/sign.sh" "$stage"/tools/* "$stage"/helper/* "$stage"/simulator/*.{exe,dll}
fi
for p in "${tools[@]}"; do cp "$stage/tools/$p" "$stage/simulator/"; done
cp "$VTL_ROOT"/simulator/samples/{sample.bit,sample.app,sample.iic,sample_c2.iic} "$stage/simulator/samples/"
cp "$VTL_ROOT/simulator/samples/two-boards.ini" "$stage/simulator/"
cp "$VTL_ROOT/installer/README-simulator.txt" "$stage/simulator/README.txt"
cp "$VTL_ROOT/installer/README-tools.txt" "$stage/tools/README.txt"
# Fixed modes and times: zip and the installer store both.
find "$stage" -type d -exec chmod 755 {} +
find "$stage" -type f -exec chmod 644 {} +
find "$stage" -exec touch -h -d "@$SOURCE_DATE_EPOCH" {} +

mkdir -p "$out"
setup=VTL4410-Tools-$version-setup.exe
zip_tools=VTL4410-Tools-$version-win64.zip
zip_sim=VTL4410-Simulator-$version-win64.zip
rm -f "$out/$setup" "$out/$zip_tools" "$out/$zip_sim" "$out/SHA256SUMS"

# zip DIR AS ZIPFILE: DIR's files under the folder AS, in byte order, without owner or extra times.
zip_folder() {
  local link
  link=$(mktemp -d)
  ln -s "$1" "$link/$2"
  (cd "$link" && find -L "$2" -type f | LC_ALL=C sort | TZ=UTC zip -X -D -q -@ "$3")
  rm -rf "$link"
}
zip_folder "$stage/tools" "VTL4410-Tools-$version" "$out/$zip_tools"
zip_folder "$stage/simulator" "VTL4410-Simulator-$version" "$out/$zip_sim"

vtl_log "building the installer"
nsis=(-V2 -DVERSION="$version" -DSTAGE="$stage" -DOUTFILE="$out/$setup")
[ -n "$sign" ] && nsis+=(-DSIGN_SCRIPT="$VTL_ROOT/scripts/sign.sh")
makensis "${nsis[@]}" "$VTL_ROOT/installer/VTL4410.nsi" >/dev/null
[ -n "$sign" ] && "$VTL_ROOT/scripts/sign.sh" "$out/$setup"

(cd "$out" && sha256sum "$setup" "$zip_tools" "$zip_sim" >SHA256SUMS)
vtl_log "release in $out${sign:+ (signed)}:"
(cd "$out" && ls -l "$setup" "$zip_tools" "$zip_sim" SHA256SUMS) >&2
