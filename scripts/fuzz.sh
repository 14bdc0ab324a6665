#!/usr/bin/env bash
# Builds the fuzz targets (clang, libFuzzer, AddressSanitizer, UndefinedBehaviorSanitizer) and runs
# each one for a bounded time, starting from its seed corpus.
#
#   scripts/fuzz.sh [seconds-per-target] [target...]
#
# The build tree is $LORVEX_FUZZ_BUILD (default build-fuzz). Inputs found during the run go to a
# scratch corpus inside it, never into fuzz/corpus. An input that crashes, hangs or breaks an
# invariant is kept as <build>/artifacts/<target>-crash-..., and the script fails.
set -euo pipefail
cd "$(dirname "$0")/.."
source_dir=$(pwd)
seconds=${1:-60}
shift || true
build=${LORVEX_FUZZ_BUILD:-$source_dir/build-fuzz}
jobs=${LORVEX_JOBS:-2}

for tool in clang clang++; do
  command -v "$tool" >/dev/null || { echo "fuzz: $tool is missing (scripts/install-deps.sh installs it)" >&2; exit 1; }
done

started=$SECONDS
mkdir -p "$build"
CC=clang CXX=clang++ cmake -S "$source_dir" -B "$build" -DLORVEX_FUZZ=ON -DLORVEX_RELIABILITY_STAGES=OFF -DLORVEX_WINDOWS=OFF \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo >"$build/configure.log" 2>&1 || { cat "$build/configure.log" >&2; exit 1; }
cmake --build "$build" --target fuzzers -j"$jobs" >"$build/build.log" 2>&1 || { cat "$build/build.log" >&2; exit 1; }
echo "fuzz: built in $((SECONDS - started)) s"

if [ "$#" -gt 0 ]; then
  targets=("$@")
else
  targets=()
  for src in fuzz/*_fuzz.cc; do targets+=("$(basename "$src" .cc)"); done
fi

mkdir -p "$build/artifacts"
# Runs one target; its summary line goes to <build>/<target>.result.
run_target() {
  local target=$1 name seeds scratch log runs
  name=${target%_fuzz}
  seeds=$source_dir/fuzz/corpus/$name
  scratch=$build/corpus/$name
  mkdir -p "$scratch"
  [ -d "$seeds" ] || seeds=""
  log=$build/$target.log
  # -close_fd_mask=3 silences what the code under test writes (message boxes go to stderr);
  # sanitizer and invariant reports still reach the log.
  if "$build/fuzz/$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=4096 \
      -close_fd_mask=3 -print_final_stats=1 -artifact_prefix="$build/artifacts/$target-" \
      "$scratch" $seeds >"$log" 2>&1; then
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
    echo "fuzz: $target: ${runs:-?} inputs, no failure" >"$build/$target.result"
  else
    {
      echo "fuzz: $target FAILED; log $log"
      grep -E 'ERROR|SUMMARY|invariant|Test unit written' "$log" || tail -20 "$log"
    } >"$build/$target.result"
    return 1
  fi
}

# Targets run side by side, $LORVEX_FUZZ_JOBS at a time (default: the build's job count); each
# is bounded by time, so this shortens the stage rather than the fuzzing of each target.
parallel=${LORVEX_FUZZ_JOBS:-$jobs}
for target in "${targets[@]}"; do
  rm -f "$build/$target.result"
  while [ "$(jobs -rp | wc -l)" -ge "$parallel" ]; do wait -n || true; done
  run_target "$target" &
done
wait || true
failed=()
for target in "${targets[@]}"; do
  if grep -q "no failure" "$build/$target.result" 2>/dev/null; then
    cat "$build/$target.result"
  else
    cat "$build/$target.result" >&2 2>/dev/null || echo "fuzz: $target gave no result" >&2
    failed+=("$target")
  fi
done
echo "fuzz: finished in $((SECONDS - started)) s"
if [ "${#failed[@]}" -gt 0 ]; then
  echo "fuzz: failing targets: ${failed[*]}" >&2
  exit 1
fi
