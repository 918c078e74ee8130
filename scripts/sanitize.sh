#!/usr/bin/env bash
# The sanitizer run, after the ordinary tests (.ci/run calls it; anyone can):
#   1. AddressSanitizer + UndefinedBehaviorSanitizer: every test program that
#      needs no display, the 50-rounds quit test among them;
#   2. ThreadSanitizer: the walking pool and the engines that walk on it;
#   3. the fuzz targets, each for a bounded time from its seed corpus.
# Each build has a folder of its own (build-asan, build-tsan). Any report
# fails the run. Prints how long each part took.
#   QUILLMOOR_FUZZ_SECONDS  time per fuzz target (default 20)
set -euo pipefail

cd "$(dirname "$0")/.."
ROOT=$(pwd)
FUZZ_SECONDS=${QUILLMOOR_FUZZ_SECONDS:-20}
JOBS=$(nproc)

# clang: its AddressSanitizer, ThreadSanitizer and libFuzzer share one
# runtime package; llvm gives the symbolizer that names the lines in a report.
PACKAGES=(clang libclang-rt-14-dev llvm)
missing=()
for pkg in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed" || missing+=("$pkg")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo=()
  [ "$(id -u)" -ne 0 ] && sudo=(sudo)
  "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${missing[@]}"
fi

# The test programs that need no display (the UI tests render QML and the
# launch test starts the window: Qt's GPU and font stacks are not ours).
ASAN_TESTS=(
  fs_test shell_test fmt_test safe_delete_test trash_test processes_test settings_pieces_test
  lang_test l_test source_texts_test profiles_test space_test monitor_test
  sweeper_test removal_test large_files_test apps_test maintenance_test linux_junk_test
  linux_startup_test linux_apps_test uninstall_test
  cli_test junk_cli_test large_cli_test app_cli_test space_cli_test startup_cli_test
  app_state_test space_model_test quit_test admin_test admin_helper_test linux_system_junk_test
  duplicates_test dupes_cli_test lint_test
)
# ThreadSanitizer sees only what is built with it: Qt's own locks (QMutex on
# futexes, QThreadPool) are invisible to it, so every hand-over through them
# would read as a race. These programs walk on ParallelWalk's plain threads.
# Tests that start a process stay out: ThreadSanitizer's fork handling aborts
# inside Qt's process start and reports the child's half-copied state.
TSAN_TESTS=(fs_test large_files_test sweeper_test linux_junk_test duplicates_test)
TSAN_SKIP='FSAccess.SettingsAddressAndRelaunchCommand'

export QT_QPA_PLATFORM=offscreen LANGUAGE= LC_ALL=C.UTF-8
export ASAN_OPTIONS="detect_leaks=1:halt_on_error=1:detect_stack_use_after_return=1:strict_init_order=1"
export LSAN_OPTIONS="suppressions=$ROOT/scripts/lsan-suppressions.txt:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export TSAN_OPTIONS="halt_on_error=1:second_deadlock_stack=1"
export ASAN_SYMBOLIZER_PATH=$(command -v llvm-symbolizer || command -v llvm-symbolizer-14 || true)

configure() {  # folder, sanitizer flags, extra cmake options
  local dir=$1 flags=$2
  shift 2
  cmake -S "$ROOT" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_COMPILER=clang++ \
    -DCMAKE_CXX_FLAGS_DEBUG="-O1 -g" -DCMAKE_CXX_FLAGS="$flags -fno-omit-frame-pointer" \
    -DQUILLMOOR_BENCH=OFF -DQUILLMOOR_QML_CACHEGEN=OFF "$@" >/dev/null
}

# Runs each test program whole, as ctest would set it up, and stops at the first failure.
run_tests() {  # folder, gtest filter, programs...
  local dir=$1 filter=$2
  shift 2
  for name in "$@"; do
    local program
    program=$(find "$dir/tests" -type f -name "$name" -perm -u+x | head -n 1)
    echo "-- $name"
    "$program" --gtest_brief=1 --gtest_filter="$filter"
  done
}

report() { printf '== %-40s %4d s\n' "$1" "$2"; }
TIMES=()

start=$SECONDS
configure "$ROOT/build-asan" "-fsanitize=address,undefined -fno-sanitize-recover=undefined -fsanitize=fuzzer-no-link" \
  -DQUILLMOOR_FUZZ=ON
fuzzers=$(ninja -C "$ROOT/build-asan" -t targets all | grep -oE '^fuzz_[a-z_]+' | sort -u)
cmake --build "$ROOT/build-asan" -j"$JOBS" --target "${ASAN_TESTS[@]}" quillmoor-cli $fuzzers
TIMES+=("$(report "address+undefined build" $((SECONDS - start)))")

start=$SECONDS
run_tests "$ROOT/build-asan" '*' "${ASAN_TESTS[@]}"
TIMES+=("$(report "address+undefined tests" $((SECONDS - start)))")

start=$SECONDS
configure "$ROOT/build-tsan" "-fsanitize=thread"
cmake --build "$ROOT/build-tsan" -j"$JOBS" --target "${TSAN_TESTS[@]}"
run_tests "$ROOT/build-tsan" "-$TSAN_SKIP" "${TSAN_TESTS[@]}"
TIMES+=("$(report "thread build and tests" $((SECONDS - start)))")

start=$SECONDS
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
for fuzzer in $fuzzers; do
  echo "-- $fuzzer (${FUZZ_SECONDS} s)"
  mkdir -p "$scratch/$fuzzer"
  if ! (cd "$scratch" && "$ROOT/build-asan/tests/fuzz/$fuzzer" -max_total_time="$FUZZ_SECONDS" -timeout=10 \
      -rss_limit_mb=2048 -print_final_stats=1 "$scratch/$fuzzer" "$ROOT/tests/fuzz/corpus/$fuzzer" \
      >"$scratch/$fuzzer.log" 2>&1); then
    tail -n 60 "$scratch/$fuzzer.log"
    echo "fuzzer $fuzzer found a fault (the input is in the lines above)"
    exit 1
  fi
  grep -E '^stat::number_of_executed_units|^#[0-9]+ +DONE' "$scratch/$fuzzer.log" || true
done
TIMES+=("$(report "fuzzing" $((SECONDS - start)))")

echo "sanitizers: no reports"
printf '%s\n' "${TIMES[@]}"
