#!/usr/bin/env bash
# Builds the libFuzzer targets with clang under ASan and UBSan and runs each one for
# FUZZ_SECONDS seconds, starting from its seed corpus. A crash, leak or hang fails the run;
# the input that caused it is left in build/fuzz/artifacts/. RapidJSON's checks are on in this
# release-type build too (they never depend on NDEBUG), so a check that fails where nothing
# catches it aborts like any other crash.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${FUZZ_SECONDS:-60}
jobs=${JOBS:-$(nproc)}

CC=clang CXX=clang++ cmake -S . -B build/fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DQ310_GUI=OFF -DQ310_TESTS=OFF -DQ310_FUZZ=ON -DQ310_SANITIZE=address,undefined >/dev/null
cmake --build build/fuzz -j "$jobs"

mkdir -p build/fuzz/artifacts
status=0
for fuzzer in build/fuzz/tests/*_fuzz; do
  [ -x "$fuzzer" ] || continue
  name=$(basename "$fuzzer")
  seeds=tests/fuzz/corpus/$name
  work=build/fuzz/corpus/$name
  mkdir -p "$work"
  echo "== $name for ${seconds}s"
  "$fuzzer" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
    -artifact_prefix=build/fuzz/artifacts/ "$work" $( [ -d "$seeds" ] && echo "$seeds" ) \
    2>build/fuzz/$name.log || { status=1; tail -n 50 build/fuzz/$name.log; }
  grep -E '^(Done|#[0-9]+ *DONE)' build/fuzz/$name.log || true
done
exit $status
