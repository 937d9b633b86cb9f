#!/usr/bin/env bash
# Runs a built decoder fuzzer for a number of seconds, starting from the baked picture records.
#   tests/fuzz/run.sh FUZZER SECONDS [SEED_DIRECTORY]
# The seeds default to the records linked beside the fuzzer by the build. New inputs the fuzzer
# finds go to a temporary corpus, so the seeds stay as baked. Set FUZZ_JOBS to run several
# fuzzing processes at once.
set -euo pipefail

if [ $# -lt 2 ] || [ $# -gt 3 ]; then
  echo "usage: $0 FUZZER SECONDS [SEED_DIRECTORY]" >&2
  exit 2
fi
fuzzer=$1
seconds=$2
seeds=${3:-$(dirname "$fuzzer")/decode_fuzz_seeds}
jobs=${FUZZ_JOBS:-1}

[ -x "$fuzzer" ] || { echo "error: no fuzzer at $fuzzer" >&2; exit 1; }
ls "$seeds"/*.rec >/dev/null 2>&1 || { echo "error: no picture records in $seeds" >&2; exit 1; }

corpus=$(mktemp -d)
trap 'rm -rf "$corpus"' EXIT
cp "$seeds"/*.rec "$corpus"/

options=(-max_total_time="$seconds" -print_final_stats=1)
if [ "$jobs" -gt 1 ]; then
  options+=(-fork="$jobs")
fi
"$fuzzer" "${options[@]}" "$corpus"
