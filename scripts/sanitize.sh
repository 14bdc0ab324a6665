#!/usr/bin/env bash
# Builds the whole project a second time with AddressSanitizer (LeakSanitizer included) and
# UndefinedBehaviorSanitizer, and runs the unit and integration tests in that tree. Any report
# fails the test that caused it: undefined behaviour is not recovered from.
#
#   scripts/sanitize.sh [ctest arguments...]
#
# The build tree is $LORVEX_SANITIZE_BUILD (default build-sanitize). The Windows cross-build is
# left out: it runs under Wine, which the sanitizers do not reach.
set -euo pipefail
cd "$(dirname "$0")/.."
source_dir=$(pwd)
build=${LORVEX_SANITIZE_BUILD:-$source_dir/build-sanitize}
jobs=${LORVEX_JOBS:-2}

started=$SECONDS
mkdir -p "$build"
cmake -S "$source_dir" -B "$build" -DLORVEX_SANITIZE=ON -DLORVEX_RELIABILITY_STAGES=OFF -DLORVEX_WINDOWS=OFF \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo >"$build/configure.log" 2>&1 || { cat "$build/configure.log" >&2; exit 1; }
cmake --build "$build" -j"$jobs" >"$build/build.log" 2>&1 || { cat "$build/build.log" >&2; exit 1; }
echo "sanitize: built in $((SECONDS - started)) s"

# The integration tests of this tree get a test domain of their own (namespace and directory), so
# they may run while the ordinary tree's integration tests use theirs.
# A domain already provisioned for the ordinary tree is copied rather than provisioned again.
ordinary_domain=${LORVEX_TESTDOMAIN_DIR:-/var/tmp/lorvex-testdomain}
export LORVEX_TESTDOMAIN_NS=${LORVEX_SANITIZE_TESTDOMAIN_NS:-lorvex-sanitize}
export LORVEX_TESTDOMAIN_DIR=${LORVEX_SANITIZE_TESTDOMAIN_DIR:-/var/tmp/lorvex-testdomain-sanitize}
if [ ! -f "$LORVEX_TESTDOMAIN_DIR/cache/stamp" ] && [ -f "$ordinary_domain/cache/stamp" ]; then
  mkdir -p "$LORVEX_TESTDOMAIN_DIR/cache"
  cp -p "$ordinary_domain"/cache/*.tar "$LORVEX_TESTDOMAIN_DIR/cache/" 2>/dev/null || true
  cp -p "$ordinary_domain"/cache/*stamp "$LORVEX_TESTDOMAIN_DIR/cache/" 2>/dev/null || true
fi
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1:strict_string_checks=1:detect_stack_use_after_return=1}
# Leaks of the libraries lorvex calls, not of lorvex, are listed (with why) in the suppressions.
export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$source_dir/scripts/lsan.supp:print_suppressions=0}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
# Only the tests of the project itself: the fuzz and sanitizer stages are not registered in this
# tree, and the labels keep it that way should that change.
status=0
ctest --test-dir "$build" --output-on-failure -j"$jobs" -L 'unit|integration' "$@" || status=$?

# Leak runs: the all-restrictions report over groups (nested, and a big one read in ranges),
# sorted and per-controller runs, each of which must end without any sanitizer report.
testdomain=$source_dir/scripts/testdomain.sh
if [ "$#" -eq 0 ] && "$testdomain" start >"$build/leak-runs.log" 2>&1; then
  ccache=KRB5CCNAME=FILE:$LORVEX_TESTDOMAIN_DIR/ccache-alice
  leak_run() {
    local rc=0
    "$testdomain" exec env "$ccache" "$build/lorvex" "$@" >"$build/leak-run.out" 2>"$build/leak-run.err" \
      </dev/null || rc=$?
    cat "$build/leak-run.err" >>"$build/leak-runs.log"
    if [ "$rc" -gt 1 ] || grep -qE 'Sanitizer|runtime error' "$build/leak-run.err"; then
      echo "sanitize: leak run FAILED (exit $rc): lorvex $*" >&2
      cat "$build/leak-run.err" >&2
      status=1
    else
      echo "sanitize: leak run clean: lorvex $*"
    fi
  }
  leak_run Staff /g
  leak_run "Big Group"
  leak_run Staff lld lt tod /s=v
  leak_run 'c*' /x /s
  "$testdomain" stop >>"$build/leak-runs.log" 2>&1 || true
elif [ "$#" -eq 0 ]; then
  echo "sanitize: leak runs skipped (no test domain here; see $build/leak-runs.log)"
fi
echo "sanitize: finished in $((SECONDS - started)) s"
exit "$status"
