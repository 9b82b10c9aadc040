#!/usr/bin/env bash
# Set-up shared by run.sh and test.sh; run alone it only prepares the machine and the build tree.
#   vtl_install  - installs the Debian packages a fresh machine lacks (apt only when needed)
#   vtl_display  - gives this shell a display (Xvfb when none answers) and Wine's settings;
#                  what it starts stops again when the calling script exits
#   vtl_session  - vtl_display, the build tree's prefix and a persistent wineserver on it,
#                  started only when missing and stopped again when the calling script exits
#   vtl_prefix   - creates the private Wine prefix under the build tree, once
#   vtl_configure- configures the build tree with the cross toolchain, once
#   vtl_winpath  - the path a Wine program sees for a Linux path
#   vtl_source_date_epoch - exports SOURCE_DATE_EPOCH, by default the commit's time
VTL_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
VTL_BUILD=${VTL_BUILD:-$VTL_ROOT/build}
export VTL_ROOT VTL_BUILD

VTL_PACKAGES=(g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix cmake wine64 wine xvfb xauth
  fonts-wine googletest imagemagick nsis osslsigncode zip openssl)

vtl_log() { printf '[vtl] %s\n' "$*" >&2; }

vtl_winpath() { printf 'Z:%s' "${1//\//\\}"; }

# The release's times; a copy of the tree without its history falls back to 1980-01-01.
vtl_source_date_epoch() {
  if [ -z "${SOURCE_DATE_EPOCH:-}" ]; then
    SOURCE_DATE_EPOCH=$(git -C "$VTL_ROOT" log -1 --format=%ct 2>/dev/null || echo 315532800)
  fi
  export SOURCE_DATE_EPOCH
}

vtl_install() {
  local missing=() p
  for p in "${VTL_PACKAGES[@]}"; do
    dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  local sudo=()
  if [ "$(id -u)" -ne 0 ]; then
    command -v sudo >/dev/null || { vtl_log "missing packages (${missing[*]}) and no sudo"; return 1; }
    sudo=(sudo)
  fi
  vtl_log "installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  "${sudo[@]}" apt-get update -q </dev/null >/dev/null
  "${sudo[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}" </dev/null >/dev/null
}

# True when $DISPLAY names an X server that answers (local socket or a remote display).
vtl_display_usable() {
  [ -n "${DISPLAY:-}" ] || return 1
  local n=${DISPLAY#*:}
  n=${n%%.*}
  case $DISPLAY in
    :*|unix:*) [ -S "/tmp/.X11-unix/X$n" ] ;;
    *) return 0 ;;
  esac
}

# Waits up to $2 tenths of a second for command $1 to succeed.
vtl_wait_for() {
  local i
  for ((i = 0; i < $2; i++)); do
    eval "$1" && return 0
    sleep 0.1
  done
  return 1
}

VTL_STARTED_XVFB=
VTL_STARTED_WINESERVER=

vtl_stop_session() {
  if [ -n "$VTL_STARTED_WINESERVER" ]; then
    "$VTL_WINESERVER" -k 2>/dev/null || true
    VTL_STARTED_WINESERVER=
  fi
  if [ -n "$VTL_STARTED_XVFB" ]; then
    kill "$VTL_STARTED_XVFB" 2>/dev/null || true
    wait "$VTL_STARTED_XVFB" 2>/dev/null || true
    VTL_STARTED_XVFB=
  fi
}

vtl_display() {
  # shellcheck source=wine-env.sh
  . "$VTL_ROOT/scripts/wine-env.sh"
  VTL_WINESERVER=$(command -v wineserver || echo /usr/lib/wine/wineserver64)
  trap vtl_stop_session EXIT
  trap 'exit 130' INT TERM
  vtl_display_usable && return 0
  local n
  for n in $(seq 90 140); do
    [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] || break
  done
  Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
  VTL_STARTED_XVFB=$!
  export DISPLAY=":$n"
  vtl_wait_for '[ -S /tmp/.X11-unix/X$n ]' 100 || { vtl_log "Xvfb did not start"; return 1; }
  vtl_log "virtual display $DISPLAY"
}

vtl_session() {
  vtl_display || return 1
  vtl_prefix || return 1
  # The server's socket directory differs between Wine builds, so ask the server itself:
  # -p refuses when one already runs for the prefix (persistent or a program's own), and
  # that one serves this session and is not ours to stop.
  if "$VTL_WINESERVER" -p 2>/dev/null; then
    VTL_STARTED_WINESERVER=1
  fi
  # Start Wine's own services and desktop now, away from any pipe: started by the first
  # test they would inherit its output and keep ctest waiting for it to close.
  "$WINE" sc query </dev/null >/dev/null 2>&1 || true
}

# Wine draws the caption buttons with Marlett, which this Wine does not find by itself.
vtl_prefix_fonts() {
  local fonts="$WINEPREFIX/drive_c/windows/Fonts"
  [ -d "$fonts" ] && [ ! -f "$fonts/marlett.ttf" ] && [ -f /usr/share/wine/fonts/marlett.ttf ] &&
    cp /usr/share/wine/fonts/marlett.ttf "$fonts/"
  return 0
}

vtl_prefix() {
  . "$VTL_ROOT/scripts/wine-env.sh"
  [ -f "$WINEPREFIX/.vtl-ready" ] && { vtl_prefix_fonts; return 0; }
  vtl_log "creating Wine prefix $WINEPREFIX"
  mkdir -p "$WINEPREFIX"
  local ws
  ws=$(command -v wineserver || echo /usr/lib/wine/wineserver64)
  "$WINE" wineboot -i >/dev/null 2>&1 || true
  "$ws" -w
  "$WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
  "$WINE" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
  "$ws" -w
  [ -f "$WINEPREFIX/system.reg" ] || { vtl_log "wineboot failed"; return 1; }
  vtl_prefix_fonts
  touch "$WINEPREFIX/.vtl-ready"
}

vtl_configure() {
  [ -f "$VTL_BUILD/CMakeCache.txt" ] && return 0
  cmake -S "$VTL_ROOT" -B "$VTL_BUILD" -DCMAKE_TOOLCHAIN_FILE="$VTL_ROOT/cmake/mingw-w64-x86_64.cmake" >/dev/null
}

if [ "${BASH_SOURCE[0]}" = "$0" ]; then
  set -euo pipefail
  vtl_install
  vtl_configure
  vtl_session
  vtl_log "ready: build tree $VTL_BUILD"
fi
