#!/usr/bin/env bash
# Builds the libFuzzer targets with clang in build-fuzz/ (every engine library
# instrumented) and runs each for SECONDS (default 60), seeded from the corpus
# files of its kind and from the seeds fuzz/make_seeds.sh writes. Prints
# executions, executions per second and coverage per target; exits 1 when a
# target crashed, leaked, hung or went over its memory limits (the input that
# did it is kept in build-fuzz/artifacts/).
#
#   scripts/fuzz.sh [SECONDS] [TARGET...]
#   scripts/fuzz.sh --total SECONDS [TARGET...]
#
# --total: the whole run takes about SECONDS (each target gets its share of
# the jobs' time, at least 5 s), as a time-boxed smoke run.
#
# Environment: NAVORA_CORPUS_DIR (default ../shared/corpus), NAVORA_FUZZ_BUILD
# (default build-fuzz), NAVORA_FUZZ_RUNS (stop each target after this many
# executions instead of after SECONDS), NAVORA_FUZZ_JOBS (targets run side by
# side; default: the number of cores), NAVORA_CLI (the navora-cli that
# make_seeds.sh runs; default: one of the usual build folders, else one is
# built in build-fuzz-cli/).
set -euo pipefail
cd "$(dirname "$0")/.."

total=
if [ "${1:-}" = --total ]; then
  total=$2
  shift 2
  seconds=0
else
  seconds=${1:-60}
  shift || true
fi
build=${NAVORA_FUZZ_BUILD:-build-fuzz}
corpus=${NAVORA_CORPUS_DIR:-../shared/corpus}
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)

manifest="$build/fuzz/targets.tsv"
# A build folder that already has the fuzz targets (scripts/test.sh's clang
# build carries them) is used as it is; any other is configured for them.
if [ ! -f "$manifest" ]; then
  CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DNAVORA_FUZZ=ON -DCMAKE_BUILD_TYPE=Debug \
    -DCMAKE_CXX_FLAGS="-O1" \
    -DCMAKE_CXX_FLAGS_DEBUG="-g1" "${launcher[@]}" >/dev/null
fi
targets=()
if [ $# -gt 0 ]; then
  targets=("$@")
else
  while IFS=$'\t' read -r name _; do targets+=("$name"); done <"$manifest"
fi
if ! cmake --build "$build" --target "${targets[@]}" >"$build/build.log" 2>&1; then
  cat "$build/build.log" >&2
  exit 1
fi

jobs=${NAVORA_FUZZ_JOBS:-$(nproc)}
if [ -n "$total" ]; then
  seconds=$(( total * jobs / ${#targets[@]} ))
  [ "$seconds" -ge 5 ] || seconds=5
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Seeds for the kinds the corpus lacks, made by navora-cli (fuzz/make_seeds.sh).
cli=${NAVORA_CLI:-}
for c in build-test/src/cli/navora-cli build/src/cli/navora-cli build-release/src/cli/navora-cli; do
  [ -n "$cli" ] && break
  [ -x "$c" ] && cli=$c
done
if [ -z "$cli" ]; then
  cmake -S . -B build-fuzz-cli -G Ninja -DCMAKE_BUILD_TYPE=Release -DNAVORA_GUI=OFF -DNAVORA_TESTS=OFF \
    -DNAVORA_BENCH=OFF "${launcher[@]}" >/dev/null
  cmake --build build-fuzz-cli --target navora-cli >"$build/build-cli.log" 2>&1 || cat "$build/build-cli.log" >&2
  cli=build-fuzz-cli/src/cli/navora-cli
fi
made="$work/made"
if ! fuzz/make_seeds.sh "$cli" "$made" "$corpus" >"$work/make_seeds.log" 2>&1; then
  echo "fuzz.sh: fuzz/make_seeds.sh failed; those targets start with fewer seeds:" >&2
  cat "$work/make_seeds.log" >&2
fi
artifacts="$build/artifacts"
mkdir -p "$artifacts"
[ -d "$corpus" ] || echo "fuzz.sh: no corpus at $corpus: the targets start without seeds" >&2

limit=(-max_total_time="$seconds")
[ -n "${NAVORA_FUZZ_RUNS:-}" ] && limit=(-runs="$NAVORA_FUZZ_RUNS")
[ -n "$total" ] && echo "fuzz.sh: ${#targets[@]} targets, $seconds s each, $jobs side by side"

# Runs one target; its table row goes to $work/<name>.row, its status to $work/<name>.status.
run_target() {
  local name=$1
  local patterns maxlen seeds found n log status execs rate last cov ft units result
  patterns=$(awk -F'\t' -v n="$name" '$1 == n { print $2 }' "$manifest")
  maxlen=$(awk -F'\t' -v n="$name" '$1 == n { print $3 }' "$manifest")
  seeds="$work/$name/seeds"
  found="$work/$name/found"
  mkdir -p "$seeds" "$found"
  n=0
  if [ -d "$corpus" ]; then
    for pattern in $patterns; do
      while IFS= read -r -d '' f; do
        n=$((n + 1))
        cp "$f" "$seeds/$n-$(basename "$f")"
      done < <(find "$corpus" -type f -name "$pattern" -print0)
    done
  fi
  if [ -d "$made/${name%_fuzz}" ]; then
    for f in "$made/${name%_fuzz}"/*; do
      n=$((n + 1))
      cp "$f" "$seeds/$n-$(basename "$f")"
    done
  fi
  log="$work/$name.log"
  # Any single allocation above 16 MB is a fault: database files are capped
  # at 16 MB and fuzz inputs are far smaller.
  status=0
  "$build/fuzz/$name" "${limit[@]}" -max_len="${maxlen:-0}" -print_final_stats=1 -rss_limit_mb=2048 -malloc_limit_mb=16 -timeout=10 \
    -artifact_prefix="$artifacts/$name-" "$found" "$seeds" >"$log" 2>&1 || status=$?
  execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -1)
  last=$(grep -E '^#[0-9]+.*cov: ' "$log" | tail -1 || true)
  cov=$(sed -n 's/.* cov: \([0-9]*\).*/\1/p' <<<"$last")
  ft=$(sed -n 's/.* ft: \([0-9]*\).*/\1/p' <<<"$last")
  units=$(sed -n 's/.* corp: \([0-9]*\).*/\1/p' <<<"$last")
  result=ok
  [ "$status" -ne 0 ] && result="FAILED (exit $status)"
  printf '%-18s %6s %13s %8s %9s %9s %7s  %s\n' "$name" "$n" "${execs:--}" "${rate:--}" "${cov:--}" "${ft:--}" \
    "${units:--}" "$result" >"$work/$name.row"
  echo "$status" >"$work/$name.status"
}

# Each target is one process on one core: as many run side by side as there
# are cores (NAVORA_FUZZ_JOBS), so that the figures per target stay comparable
# while the whole run takes a fraction of the time.
running=0
for name in "${targets[@]}"; do
  run_target "$name" &
  running=$((running + 1))
  if [ "$running" -ge "$jobs" ]; then
    wait -n || true
    running=$((running - 1))
  fi
done
wait || true

printf '%-18s %6s %13s %8s %9s %9s %7s  %s\n' target seeds executions exec/s coverage features corpus result
failed=0
for name in "${targets[@]}"; do
  cat "$work/$name.row" 2>/dev/null || echo "$name: no result"
  if [ "$(cat "$work/$name.status" 2>/dev/null || echo 1)" -ne 0 ]; then
    failed=1
    grep -E 'ERROR|SUMMARY|==[0-9]+==|Test unit written|runtime error' "$work/$name.log" | head -20 >&2 ||
      tail -20 "$work/$name.log" >&2
  fi
done
exit "$failed"
