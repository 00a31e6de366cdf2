#!/usr/bin/env bash
# The plain layers under AddressSanitizer and UndefinedBehaviorSanitizer
# (clang): builds them, their tests and the fuzz targets, runs the tests, then
# runs every fuzz target from its seeds for FUZZ_SECONDS seconds (default 60),
# two at a time. Fails on any test failure or fuzzer finding; a finding's input
# is kept in $BUILD/fuzz-findings.
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD=${BUILD:-build-sanitize}
FUZZ_SECONDS=${FUZZ_SECONDS:-60}
JOBS=${JOBS:-2}

scripts/install-deps.sh sanitize
CXX=clang++ CC=clang cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DBREVARO_QT=OFF -DBREVARO_SANITIZE=ON -DBREVARO_FUZZ=ON -DBREVARO_WERROR=ON >/dev/null
cmake --build "$BUILD" -j "$JOBS"
(cd "$BUILD" && ctest --output-on-failure -j "$JOBS")

export ASAN_OPTIONS=detect_leaks=1
export UBSAN_OPTIONS=print_stacktrace=1
work="$BUILD/fuzz-work"
findings="$BUILD/fuzz-findings"
rm -rf "$work"
mkdir -p "$work" "$findings"
targets=$(cd tools/fuzz && ls fuzz_*.cpp | sed 's/^fuzz_//; s/\.cpp$//')
# Targets with findings still open are built but not run here (FUZZ_ALL=1 runs them).
open_findings=""
if [ "${FUZZ_ALL:-0}" != 1 ]; then
  for name in $open_findings; do targets=$(echo "$targets" | grep -vx "$name"); done
fi

run_one() {
  local name=$1
  mkdir -p "$work/$name"
  local dict=()
  case $name in
    game_text | index_scan | round_trip) dict=(-dict=tools/fuzz/pgn.dict) ;;
  esac
  if "$BUILD/tools/fuzz/fuzz_$name" "${dict[@]}" -max_total_time="$FUZZ_SECONDS" \
       -timeout=10 -rss_limit_mb=2048 -artifact_prefix="$findings/$name-" -print_final_stats=1 \
       "$work/$name" "tools/fuzz/seeds/$name" >"$work/$name.log" 2>&1; then
    echo "fuzz $name: $(grep -E '^stat::number_of_executed_units' "$work/$name.log" | awk '{print $2}') runs, no finding"
  else
    echo "fuzz $name: FINDING"
    tail -n 40 "$work/$name.log"
    return 1
  fi
}

failed=0
set -- $targets
while [ $# -gt 0 ]; do
  pids=()
  for name in "$1" "${2:-}"; do
    [ -n "$name" ] || continue
    run_one "$name" & pids+=($!)
  done
  for pid in "${pids[@]}"; do wait "$pid" || failed=1; done
  shift; [ $# -gt 0 ] && shift
done
if [ "$failed" -ne 0 ]; then
  echo "sanitize: fuzz findings in $findings"
  exit 1
fi
echo "sanitize: tests and fuzz targets clean"
