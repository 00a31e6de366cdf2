#!/usr/bin/env bash
# The optimised build of brevaro and brevaro-pgn: Release with link-time
# optimisation, and profile-guided in two passes. The first pass builds the
# companion so that it records where it spends its time, and runs it on the
# generated test games (reading, counting, listing, sorting, searching); the
# second builds both programs again from that record.
#
#   scripts/build-release.sh [BUILD_DIR]     (default build-release)
set -euo pipefail
cd "$(dirname "$0")/.."
dir=${1:-build-release}
jobs=${JOBS:-2}
mkdir -p "$dir"
pgo="$(cd "$dir" && pwd)/pgo"

cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBREVARO_BUILD_TESTS=OFF \
  -DBREVARO_PGO=generate -DBREVARO_PGO_DIR="$pgo" >/dev/null
cmake --build "$dir" -j "$jobs" --target brevaro-pgn
rm -rf "$pgo"

# The training games: every sample and test game file, the generated ones
# several times over so that the counts are not dominated by start-up.
training="$dir/training.pgn"
: >"$training"
for i in 1 2 3 4 5 6 7 8; do
  cat tests/data/game_synthetic_lf.pgn tests/data/game_synthetic_crlf.pgn >>"$training"
done
cat samples/*.pgn tests/data/game_import_forms.pgn >>"$training"
pgn="$dir/tools/brevaro-pgn/brevaro-pgn"
"$pgn" count "$training" >/dev/null
"$pgn" replay "$training" --threads 1 >/dev/null
"$pgn" replay "$training" >/dev/null
"$pgn" list "$training" --sort white >/dev/null
"$pgn" list "$training" --reaches "rnbqkbnr/pppp1ppp/8/4p3/4P3/8/PPPP1PPP/RNBQKBNR w" >/dev/null
"$pgn" list "$training" --reaches "8/8/8/8/8/8/8/8 w" --variations >/dev/null
rm -f "$training"
if ! ls "$pgo"/*.gcda >/dev/null 2>&1; then
  echo "The training run recorded nothing in $pgo" >&2
  exit 1
fi

cmake -S . -B "$dir" -DBREVARO_PGO=use >/dev/null
cmake --build "$dir" -j "$jobs" --target brevaro brevaro-pgn
echo "Built $dir/src/brevaro and $dir/tools/brevaro-pgn/brevaro-pgn"
