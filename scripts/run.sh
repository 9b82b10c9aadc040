#!/usr/bin/env bash
# scripts/run.sh [torvane|ostrel] - starts a tool against the board simulator.
# With a usable $DISPLAY the tool's window opens there. Without one the tool runs on a
# virtual display, is worked through its main job, and screenshots are saved as PNG.
# scripts/run.sh torvane-cli|ostrel-cli|vtl-station ARGS... runs a console program in the current
# folder instead and exits with its code.
# The simulator reads VTLSIM_CONFIG / VTLSIM_JOURNAL when set (simulator/README.md).
set -euo pipefail
tool=${1:-torvane}
console=
case $tool in
  torvane) target=Torvane ;;
  ostrel) target=Ostrel ;;
  torvane-cli|ostrel-cli|vtl-station) target=$tool; console=1; shift ;;
  *) echo "usage: $0 [torvane|ostrel] | torvane-cli|ostrel-cli|vtl-station ARGS..." >&2; exit 2 ;;
esac
. "$(dirname "${BASH_SOURCE[0]}")/setup.sh"
interactive=
vtl_display_usable && interactive=1
vtl_install
vtl_configure

# Build only what this run needs, and only the targets that exist in this tree.
available=$(cmake --build "$VTL_BUILD" --target help | sed -n 's/^\.\.\. \([^ ]*\).*/\1/p')
targets=()
wanted=("$target" VtlDrvUsb)
[ -z "$console" ] && wanted+=(vtldrive)
for t in "${wanted[@]}"; do
  grep -qx "$t" <<<"$available" && targets+=("$t")
done
# A companion's stdout belongs to its results: the build talks on stderr.
[ ${#targets[@]} -gt 0 ] && cmake --build "$VTL_BUILD" -j"$(nproc)" --target "${targets[@]}" >&2
exe="$VTL_BUILD/bin/$target.exe"
[ -f "$exe" ] || { echo "$target.exe is not built in $VTL_BUILD/bin yet" >&2; exit 1; }

# The simulator runs inside Wine: hand it Windows paths.
for v in VTLSIM_CONFIG VTLSIM_JOURNAL; do
  val=${!v:-}
  if [[ $val == /* ]]; then export "$v=$(vtl_winpath "$val")"; fi
done

vtl_session
if [ -n "$console" ]; then
  rc=0
  "$VTL_ROOT/scripts/wine-run.sh" "$exe" "$@" || rc=$?
  exit $rc
fi
if [ -n "$interactive" ]; then
  echo "starting $target.exe on $DISPLAY"
  exec_rc=0
  "$VTL_ROOT/scripts/wine-run.sh" "$exe" || exec_rc=$?
  exit $exec_rc
fi

shots="$VTL_BUILD/screenshots/$tool-$(date +%Y%m%d-%H%M%S)"
mkdir -p "$shots"
# shot NAME [X Y W H]: the screen, or the rectangle of the tool's window (small palette PNG).
shot() {
  local crop=()
  [ $# -eq 5 ] && crop=(-crop "${4}x${5}+${2}+${3}" +repage)
  import -display "$DISPLAY" -window root "${crop[@]}" -strip "PNG8:$shots/$1.png"
  echo "  screenshot $shots/$1.png"
}

drive="$VTL_BUILD/tools/vtldrive.exe"
rc=0
if [ -f "$drive" ]; then
  # Two FIFOs rather than a coprocess: Wine's helper processes inherit the driver's
  # output and keep it open, so the loop ends on the driver's exit, not on end of file.
  fifo=$(mktemp -d)
  mkfifo "$fifo/out" "$fifo/in"
  # The tour works in the prefix's C: drive, so the pictures show plain Windows paths.
  tour="$WINEPREFIX/drive_c/VTL4410"
  rm -rf "$tour/$tool"
  mkdir -p "$tour/samples" "$tour/$tool"
  cp "$VTL_BUILD/bin/samples/"* "$tour/samples/"
  "$VTL_ROOT/scripts/wine-run.sh" "$drive" "$tool" 'C:\VTL4410\samples' "C:\\VTL4410\\$tool" \
    <"$fifo/in" >"$fifo/out" 2>&1 &
  drv_pid=$!
  exec 4>"$fifo/in" 3<"$fifo/out"
  while :; do
    if IFS= read -r -t 1 line <&3; then
      line=${line%$'\r'}
      case $line in
        "@shot "*) read -ra args <<<"${line#@shot }"; shot "${args[@]}"; echo ok >&4 ;;
        *) echo "  $line" ;;
      esac
    elif ! kill -0 "$drv_pid" 2>/dev/null; then
      while IFS= read -r -t 0.2 line <&3; do echo "  ${line%$'\r'}"; done
      break
    fi
  done
  wait "$drv_pid" || rc=$?
  exec 3<&- 4>&-
  rm -rf "$fifo"
else
  # Without the driver: show the tool for a moment and take one picture.
  "$VTL_ROOT/scripts/wine-run.sh" "$exe" &
  pid=$!
  sleep 8
  shot "$tool"
  kill "$pid" 2>/dev/null || true
fi
echo "screenshots of $target are in $shots"
exit $rc
