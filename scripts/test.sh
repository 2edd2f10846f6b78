#!/usr/bin/env bash
# Builds Navora with AddressSanitizer and UndefinedBehaviorSanitizer and runs every test,
# after running every fuzz target briefly (NAVORA_FUZZ_SECONDS each, default 20; 0 skips).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S . -B build-test -G Ninja -DCMAKE_BUILD_TYPE=Debug -DNAVORA_SANITIZE=ON -DNAVORA_BENCH=OFF \
  -DCMAKE_CXX_FLAGS="-O1" "${launcher[@]}" >/dev/null
cmake --build build-test

# The fuzz targets, seeded from the corpus: a reader that crashes on the seeds
# or their first mutations fails the run. Run before the tests so that the
# test summary is the last thing printed.
fuzz_status=0
fuzz_seconds=${NAVORA_FUZZ_SECONDS:-20}
if [ "$fuzz_seconds" != 0 ]; then
  scripts/fuzz.sh "$fuzz_seconds" || fuzz_status=$?
fi
export QT_QPA_PLATFORM=offscreen
export XDG_RUNTIME_DIR="${XDG_RUNTIME_DIR:-$(mktemp -d)}"
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
ctest --test-dir build-test --output-on-failure -j "$(nproc)"
if [ "$fuzz_status" -ne 0 ]; then
  echo "test.sh: a fuzz target failed (see above)" >&2
  exit "$fuzz_status"
fi
