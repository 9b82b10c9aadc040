#!/usr/bin/env bash
# scripts/bench.sh [runs] - one table from one run on this machine:
#   start-up of each tool to its ready main dialog next to a bare Win32 dialog program built
#   here (median and lower quartile of [runs] starts, default 25, taken in turn; the ratios are
#   to the bare dialog's figure of the same kind), and next to the same bare dialog taking the
#   tools' splash steps first, which shows what the splash costs; executable sizes, the progress
#   figures of torvane_bench, and the cost of one guarded driver call (guard_bench's last output
#   line is the row), the station's SHA-256 of a 64 MiB image (hash_bench's median), and
#   vtl-station against plug scripts (station_bench: its time per board beyond the driver's and
#   its detection over 20 boards, then the growth of its memory and handles over 1000 boards).
# Everything is built as the release is (-O2, stripped) in build/bench-build.
set -euo pipefail
runs=${1:-25}
. "$(dirname "${BASH_SOURCE[0]}")/setup.sh"
vtl_install
tree=$VTL_BUILD/bench-build
# The bench's programs load the simulator DLL of the bench tree, not the test build's.
WINEPATH=$(vtl_winpath "$tree/bin")
export WINEPATH
vtl_session
cmake -S "$VTL_ROOT" -B "$tree" -DCMAKE_TOOLCHAIN_FILE="$VTL_ROOT/cmake/mingw-w64-x86_64.cmake" \
  -DCMAKE_BUILD_TYPE=Release >/dev/null
targets=(startup_bench torvane_bench guard_bench hash_bench station_bench Torvane Ostrel torvane-cli
  ostrel-cli vtl-station VtlDrvUsb)
vtl_log "building ${targets[*]} in $tree"
cmake --build "$tree" -j"$(nproc)" --target "${targets[@]}" >/dev/null

load_before=$(cut -d' ' -f1-3 /proc/loadavg)
vtl_log "start-up: $runs runs of each program"
startup=$("$WINE" "$tree/tools/startup_bench.exe" "$runs" | tr -d '\r')
vtl_log "progress and GUI ping"
progress=$("$WINE" "$tree/tools/torvane_bench.exe" | tr -d '\r')
guard_row=$("$WINE" "$tree/tools/guard_bench.exe" | tr -d '\r' | sed -n '$p')
hash_rate=$("$WINE" "$tree/tools/hash_bench.exe" | tr -d '\r' | sed -n 's/^hash 64 MiB image: \([0-9]*\) MB\/s median.*/\1/p' || true)
vtl_log "station: 20 boards, then 1000 (about 9 minutes)"
station=$("$WINE" "$tree/tools/station_bench.exe" | tr -d '\r' || true)
load_after=$(cut -d' ' -f1-3 /proc/loadavg)

# startup NAME: "median p25 min max runs" of one program
figures() { sed -n "s/^startup $1 median \([0-9.]*\) p25 \([0-9.]*\) min \([0-9.]*\) max \([0-9.]*\) runs \([0-9]*\)$/\1 \2 \3 \4 \5/p" <<<"$startup"; }
read -r bare bare_q bare_min bare_max bare_n <<<"$(figures bare)"
read -r splash splash_q splash_min splash_max splash_n <<<"$(figures 'bare+splash')"
row() { printf '| %-48s | %-58s |\n' "$1" "$2"; }
startup_row() {
  local m q mn mx n
  read -r m q mn mx n <<<"$(figures "$1")"
  [ -n "$m" ] && [ -n "$bare" ] || { row "start-up, $1" "failed"; return; }
  row "start-up to the ready dialog, $1" "$(awk -v m="$m" -v q="$q" -v b="$bare" -v bq="$bare_q" \
    -v lo="$mn" -v hi="$mx" -v n="$n" 'BEGIN { printf "%.0f ms = %.2fx; p25 %.0f ms = %.2fx (%.0f-%.0f, n=%s)", m, m / b, q, q / bq, lo, hi, n }')"
}
splash_ratio_row() {
  local m q mn mx n
  read -r m q mn mx n <<<"$(figures "$1")"
  [ -n "$m" ] && [ -n "$splash" ] || { row "start-up, $1 next to the bare dialog+splash" "failed"; return; }
  row "start-up, $1 next to the bare dialog+splash" "$(awk -v m="$m" -v q="$q" -v b="$splash" \
    -v bq="$splash_q" 'BEGIN { printf "%.2fx; p25 %.2fx", m / b, q / bq }')"
}
per_report() { sed -n "s/^$1: .* = \([0-9.]*\) per report$/\1/p" <<<"$progress"; }
ping=$(sed -n 's/^ping during erase .*: p50 \([0-9.]*\) ms, p99 \([0-9.]*\) ms.*/p50 \1 ms, p99 \2 ms/p' <<<"$progress")

echo
echo "VTL4410 tools bench, $(date -u '+%Y-%m-%d %H:%M UTC')"
echo "machine: $(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo | head -1), $(nproc) cores;" \
  "$("$WINE" --version 2>/dev/null); load average $load_before before, $load_after after"
echo
row "what" "figure"
row "------------------------------------------------" "----------------------------------------------------------"
row "start-up to the ready dialog, bare dialog" "$(printf '%.0f ms; p25 %.0f ms (%.0f-%.0f, n=%s)' "$bare" "$bare_q" "$bare_min" "$bare_max" "$bare_n")"
if [ -n "$splash" ]; then
  row "start-up, bare dialog with the splash steps" "$(awk -v m="$splash" -v q="$splash_q" -v b="$bare" \
    -v bq="$bare_q" -v lo="$splash_min" -v hi="$splash_max" -v n="$splash_n" \
    'BEGIN { printf "%.0f ms = %.2fx; p25 %.0f ms = %.2fx (%.0f-%.0f, n=%s)", m, m / b, q, q / bq, lo, hi, n }')"
fi
startup_row Torvane
startup_row Ostrel
splash_ratio_row Torvane
splash_ratio_row Ostrel
for exe in Torvane.exe Ostrel.exe torvane-cli.exe ostrel-cli.exe bare_dialog.exe VtlDrvUsb.dll; do
  row "size, $exe" "$(stat -c %s "$tree/bin/$exe" | awk '{printf "%d bytes (%.0f KiB)", $1, $1 / 1024}')"
done
row "progress: messages per report, texts unchanged" "$(per_report 'unchanged texts')"
row "progress: messages per report, both texts change" "$(per_report 'both texts change')"
row "GUI ping during a command" "$ping"
row "guarded driver call" "$guard_row"
row "hash 64 MiB image" "${hash_rate:-failed} MB/s (goal >= 200)"
station_row() {
  local figure
  figure=$(sed -n "s/^$2: //p" <<<"$station")
  row "$1" "${figure:-failed}"
}
station_row "station overhead per board" "station overhead per board"
station_row "station detection" "station detection"
station_row "station endurance, 1000 boards" "station endurance, [0-9]* boards"
