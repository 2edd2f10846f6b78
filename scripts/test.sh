#!/usr/bin/env bash
# Builds Navora with AddressSanitizer and UndefinedBehaviorSanitizer and runs every test,
# after running every fuzz target briefly: NAVORA_FUZZ_SECONDS for them all (default 120,
# shared out among the targets, one per core side by side; 0 skips).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
# ccache caches the files that use the precompiled headers only with these.
export CCACHE_SLOPPINESS="${CCACHE_SLOPPINESS:-pch_defines,time_macros,include_file_mtime,include_file_ctime}"
# clang: it compiles this code base in about half the time g++ takes, and its
# sanitizer build carries the fuzz targets too (the engine is built once).
# -g1: line tables are all the sanitizer reports need, and the build is a
# quarter quicker than with full debug information.
cmake -S . -B build-test -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=Debug -DNAVORA_SANITIZE=ON -DNAVORA_FUZZ=OFF \
  -DNAVORA_BENCH=OFF -DCMAKE_CXX_FLAGS="-O1" -DCMAKE_CXX_FLAGS_DEBUG="-g1" "${launcher[@]}" >/dev/null
cmake --build build-test

# The fuzz targets, seeded from the corpus: a reader that crashes on the seeds
# or their first mutations fails the run. Run before the tests so that the
# test summary is the last thing printed.
fuzz_status=0
fuzz_seconds=${NAVORA_FUZZ_SECONDS:-120}
if [ "$fuzz_seconds" != 0 ]; then
  NAVORA_FUZZ_BUILD=build-test scripts/fuzz.sh --total "$fuzz_seconds" || fuzz_status=$?
fi
export QT_QPA_PLATFORM=offscreen
export XDG_RUNTIME_DIR="${XDG_RUNTIME_DIR:-$(mktemp -d)}"
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"

# A private PulseAudio server with a null sink, so that the wave player tests
# play sound for real. It lives in its own folder (socket, pid file, cookie),
# so that runs side by side do not meet, and is stopped by its pid on exit.
pulse_dir="$(mktemp -d)"
stop_pulse() {
  if [ -f "$pulse_dir/pulse/pid" ]; then
    kill "$(cat "$pulse_dir/pulse/pid")" 2>/dev/null || true
  fi
  rm -rf "$pulse_dir"
}
trap stop_pulse EXIT
XDG_RUNTIME_DIR="$pulse_dir" HOME="$pulse_dir" pulseaudio --daemonize=yes -n --exit-idle-time=-1 \
  --log-target="file:$pulse_dir/pulse.log" \
  --load="module-null-sink sink_name=navora_null" \
  --load="module-native-protocol-unix auth-anonymous=1 socket=$pulse_dir/native" 2>>"$pulse_dir/start.log" || true
for _ in $(seq 50); do
  [ -S "$pulse_dir/native" ] && break
  sleep 0.1
done
if [ ! -S "$pulse_dir/native" ]; then
  echo "The PulseAudio server for the playback tests did not start:" >&2
  cat "$pulse_dir/start.log" "$pulse_dir/pulse.log" >&2 2>/dev/null || true
  exit 1
fi
export PULSE_SERVER="unix:$pulse_dir/native"
export NAVORA_REQUIRE_AUDIO=1

ctest --test-dir build-test --output-on-failure -j "$(nproc)"
if [ "$fuzz_status" -ne 0 ]; then
  echo "test.sh: a fuzz target failed (see above)" >&2
  exit "$fuzz_status"
fi
