#!/usr/bin/env bash
# Runs the whole test suite of a build ROUNDS times while two processes keep both cores busy, as
# on a loaded machine, and lists every failure with its round and its test's name; the output of
# a round that failed is kept in BUILD_DIR/stress-round-N.log.
#   scripts/stress-suite.sh ROUNDS [BUILD_DIR [CTEST_ARGS...]]
# Exits with 1 when any test failed, 0 otherwise. The build must be made first (./test makes
# build/).
set -uo pipefail
rounds=${1:?usage: $0 ROUNDS [BUILD_DIR [CTEST_ARGS...]]}
build=${2:-build}
shift $(($# < 2 ? $# : 2))
[ -f "$build/CTestTestfile.cmake" ] || { echo "error: no test suite in $build" >&2; exit 2; }

burners=()
end_burners() {
  [ ${#burners[@]} -eq 0 ] || kill "${burners[@]}" 2>/dev/null
  wait 2>/dev/null
}
trap end_burners EXIT
trap 'exit 130' INT TERM
for _ in 1 2; do
  yes > /dev/null &
  burners+=($!)
done

failures=0
for round in $(seq "$rounds"); do
  log=$(mktemp)
  start=$SECONDS
  ctest --test-dir "$build" -j "$(nproc)" --output-on-failure "$@" > "$log" 2>&1
  status=$?
  failed=$(sed -n 's/^[[:space:]]*[0-9]* - \(.*\) (\(Failed\|Timeout\|SEGFAULT\|.*\))$/\1 (\2)/p' "$log")
  summary=$(grep -E '^[0-9]+% tests passed' "$log")
  echo "round $round of $rounds: ${summary:-no summary (ctest status $status)} in $((SECONDS - start)) s"
  if [ -n "$failed" ]; then
    sed "s/^/  round $round: /" <<< "$failed"
    failures=$((failures + $(wc -l <<< "$failed")))
  elif [ "$status" -ne 0 ]; then
    tail -20 "$log" | sed "s/^/  round $round: /"
    failures=$((failures + 1))
  fi
  if [ "$status" -ne 0 ]; then  # the failing tests' output, kept for a reader
    cp "$log" "$build/stress-round-$round.log"
    echo "  round $round: the output is in $build/stress-round-$round.log"
  fi
  rm -f "$log"
done
echo "$failures failure(s) in $rounds round(s)"
[ "$failures" -eq 0 ]
