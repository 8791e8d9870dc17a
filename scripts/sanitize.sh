#!/usr/bin/env bash
# Builds the non-GUI suites under AddressSanitizer + UndefinedBehaviorSanitizer and under
# ThreadSanitizer, and the GUI suite under ThreadSanitizer, and runs them. Any finding fails the run.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=${JOBS:-$(nproc)}

configure_and_build() {
  local dir=$1 sanitize=$2
  cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQ310_GUI=OFF -DQ310_SANITIZE="$sanitize" >/dev/null
  cmake --build "$dir" -j "$jobs"
}

configure_and_build build/asan address,undefined
configure_and_build build/tsan thread

# The GUI suite under ThreadSanitizer as well: the main dialog is where the command worker,
# the I/O threads and the UI thread meet. GTK and GLib are not instrumented; their own
# threads are silenced by scripts/tsan-gtk.supp and nothing else is.
cmake -S . -B build/tsan-gui -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQ310_GUI=ON -DQ310_SANITIZE=thread >/dev/null
cmake --build build/tsan-gui -j "$jobs" --target app_tests

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1

status=0
(cd build/asan && ctest --output-on-failure -j "$jobs") || status=1
# ThreadSanitizer needs the classic address-space layout on kernels with high mmap entropy.
(cd build/tsan && setarch "$(uname -m)" -R ctest --output-on-failure -j "$jobs") || status=1
(cd build/tsan-gui && TSAN_OPTIONS="$TSAN_OPTIONS:suppressions=$PWD/../../scripts/tsan-gtk.supp" \
   setarch "$(uname -m)" -R ctest --output-on-failure -j "$jobs" -L app) || status=1
exit $status
