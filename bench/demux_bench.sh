#!/usr/bin/env bash
# One-PID export at the speed of the disk: whole-process timing, side by side
# and from the page cache, of
#   navora-cli demux STREAM --pid PID -o OUT
#   cat STREAM > /dev/null
#   ffmpeg -i STREAM -map 0:i:0xPID -c copy -f FORMAT OUT
# on a stream of at least 1 GiB made by repeating a corpus stream (the
# repetition keeps every source packet as it is: packet boundaries, PIDs and
# PES packets are all the demultiplexer looks at).
#
# Run it by hand; ctest never does:
#   bench/demux_bench.sh [--busy] [--readers] [STREAM [PID [FORMAT]]]
# Defaults: the MPEG-2/DTS/AC-3 corpus clip, its AC-3 PID 1101, format ac3.
# --busy: after the quiet runs, the same runs again with a CPU-bound process
# beside them (as on a desktop where another program keeps a core busy), and
# both tables. --readers: also the ways of reading the file that the
# demultiplexer could use (bench/demux_readers.cpp, built with c++ -O2), each
# with the same scan.
# Environment: NAVORA_OPTS (more options for navora-cli demux, e.g. --sup),
# NAVORA_CLI (default build-release/src/cli/navora-cli, built
# as a Release build when missing), RUNS (default 5), SIZE_MIB (default 1024),
# TMPDIR (where the stream is made; it is deleted afterwards).
set -euo pipefail
cd "$(dirname "$0")/.."

busy=0
readers=0
while [ $# -gt 0 ]; do
  case $1 in
    --busy) busy=1; shift ;;
    --readers) readers=1; shift ;;
    *) break ;;
  esac
done
corpus="${NAVORA_CORPUS_DIR:-$PWD/../shared/corpus}"
stream_in="${1:-$corpus/tsmuxer/tsm07_mpeg2_1080i_dts/BDMV/STREAM/00000.m2ts}"
pid="${2:-1101}"
format="${3:-ac3}"
runs="${RUNS:-5}"
size_mib="${SIZE_MIB:-1024}"
cli="${NAVORA_CLI:-build-release/src/cli/navora-cli}"

for tool in ffmpeg /usr/bin/time; do
  command -v "$tool" >/dev/null || { echo "demux_bench: $tool is needed" >&2; exit 1; }
done
[ -f "$stream_in" ] || { echo "demux_bench: no stream $stream_in" >&2; exit 1; }
if [ ! -x "$cli" ]; then
  echo "Building a Release navora-cli in build-release ..."
  cmake -S . -B build-release -G Ninja -DCMAKE_BUILD_TYPE=Release -DNAVORA_GUI=OFF -DNAVORA_TESTS=OFF \
    -DNAVORA_BENCH=OFF >/dev/null
  cmake --build build-release --target navora-cli >/dev/null
  cli=build-release/src/cli/navora-cli
fi
cli="$(cd "$(dirname "$cli")" && pwd)/$(basename "$cli")"

work="$(mktemp -d "${TMPDIR:-/tmp}/navora-demux-bench.XXXXXX")"
burner=
stop_burner() {
  if [ -n "$burner" ]; then
    kill "$burner" 2>/dev/null || true
    wait "$burner" 2>/dev/null || true
    burner=
  fi
}
trap 'stop_burner; rm -rf "$work"' EXIT
if [ "$readers" = 1 ]; then
  c++ -O2 -std=c++20 -pthread -o "$work/demux_readers" bench/demux_readers.cpp
fi
big="$work/stream.m2ts"

# Repeat the corpus stream until the file holds at least SIZE_MIB MiB.
in_size=$(stat -c %s "$stream_in")
copies=$(( (size_mib * 1048576 + in_size - 1) / in_size ))
chunk="$work/chunk.m2ts"
for _ in $(seq 1 64); do cat "$stream_in"; done >"$chunk"
for _ in $(seq 1 $(( (copies + 63) / 64 ))); do cat "$chunk"; done >"$big"
rm -f "$chunk"
size=$(stat -c %s "$big")
packets=$(( size / 192 ))

# From the page cache: read it through twice before timing.
cat "$big" >/dev/null
cat "$big" >/dev/null

# Runs one command; prints "elapsed_s cpu_s maxrss_kb".
measure() {
  local t0 t1 user sys rss
  t0=$EPOCHREALTIME
  /usr/bin/time -o "$work/time" -f "%U %S %M" "$@" >/dev/null 2>&1
  t1=$EPOCHREALTIME
  read -r user sys rss <"$work/time"
  awk -v a="$t0" -v b="$t1" -v u="$user" -v s="$sys" -v r="$rss" 'BEGIN { printf "%.4f %.3f %d\n", b - a, u + s, r }'
}

median() { tr ' ' '\n' <<<"$1" | sed '/^$/d' | sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

names=(navora cat ffmpeg)
if [ "$readers" = 1 ]; then
  names+=(read:256 read:1024 read:4096 mmap:6 mmap:64 populate:6 populate:64 uring:1024:4 copy:512:1 copy:512:2)
fi

# Runs every tool RUNS times, interleaved, and prints the table of medians.
bench_round() {
  local title=$1 i name m e c r
  declare -A elapsed=() cpu=() rss=()
  for ((i = 1; i <= runs; i++)); do
    for name in "${names[@]}"; do
      # Each run writes a new file, as an export normally does: replacing an
      # existing one costs ext4 an early write-back of the old file's successor.
      rm -f "$work/$name.out"
      case $name in
        navora) m=$(measure "$cli" demux "$big" --pid "$pid" ${NAVORA_OPTS:-} -o "$work/navora.out") ;;
        cat) m=$(measure sh -c 'cat "$1" >/dev/null' sh "$big") ;;
        ffmpeg) m=$(measure ffmpeg -nostdin -v quiet -y -i "$big" -map "0:i:0x$pid" -c copy -f "$format" \
                    "$work/ffmpeg.out") ;;
        *) m=$(measure "$work/demux_readers" "$big" "$pid" "$work/$name.out" "$name") ;;
      esac
      read -r e c r <<<"$m"
      elapsed[$name]+="$e "
      cpu[$name]+="$c "
      rss[$name]=$r
    done
  done
  echo "$title: median of $runs runs, page cache warm (load average before: $load_before):"
  printf "  %-13s %10s %10s %10s %12s\n" tool "elapsed s" "GB/s" "CPU s" "max RSS MB"
  for name in "${names[@]}"; do
    e=$(median "${elapsed[$name]}")
    c=$(median "${cpu[$name]}")
    awk -v n="$name" -v e="$e" -v c="$c" -v s="$size" -v r="${rss[$name]}" \
      'BEGIN { printf "  %-13s %10.3f %10.2f %10.3f %12.1f\n", n, e, s / e / 1e9, c, r / 1024 }'
  done
  local en ec ef cn cc cf
  en=$(median "${elapsed[navora]}"); ec=$(median "${elapsed[cat]}"); ef=$(median "${elapsed[ffmpeg]}")
  cn=$(median "${cpu[navora]}"); cc=$(median "${cpu[cat]}"); cf=$(median "${cpu[ffmpeg]}")
  awk -v en="$en" -v ec="$ec" -v ef="$ef" -v cn="$cn" -v cc="$cc" -v cf="$cf" 'BEGIN {
    printf "  navora vs cat:    %.2fx the speed (elapsed), %.2fx (CPU time); target >= 1\n", ec / en, cc / cn
    printf "  navora vs ffmpeg: %.2fx the speed (elapsed), %.2fx (CPU time); target >= 2\n", ef / en, cf / cn
  }'
}

load_before=$(cut -d' ' -f1-3 /proc/loadavg)
bench_round "Quiet"
echo "Stream: $(basename "$(dirname "$(dirname "$(dirname "$stream_in")")")")/$(basename "$stream_in") repeated to" \
  "$size bytes ($packets source packets), PID $pid -> $(stat -c %s "$work/navora.out") bytes"
if cmp -s "$work/navora.out" "$work/ffmpeg.out"; then
  echo "Output: navora's elementary stream and ffmpeg's -f $format output are byte-identical"
else
  echo "Output: navora's and ffmpeg's outputs differ (expected where ffmpeg's format is not the raw stream)"
fi
if [ "$busy" = 1 ]; then
  # A CPU-bound process beside the runs: one shell loop, at normal priority.
  sh -c 'while :; do :; done' &
  burner=$!
  sleep 1
  load_before=$(cut -d' ' -f1-3 /proc/loadavg)
  bench_round "Busy (one CPU-bound process beside)"
  stop_burner
fi
