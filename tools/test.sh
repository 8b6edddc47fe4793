#!/usr/bin/env bash
# Builds everything and runs every test, installing what a fresh machine lacks,
# in four phases that it names as each begins: the normal build and its tests
# (out/); the same tests built under AddressSanitizer and
# UndefinedBehaviorSanitizer (out-asan/), where a memory error, an undefined
# conversion or a division by zero ends the test; the layout of every C++
# source against .clang-format; no include climbing out of its folder with
# '..' past the layers' include trees. Both builds treat warnings as errors.
# The last line is the verdict: every phase passed, or the one that failed.
set -euo pipefail
cd "$(dirname "$0")/.."

phases=("the normal build and its tests (out/)"
  "the sanitizer build and its tests (out-asan/, the longer phase)"
  "the layout check (.clang-format)"
  "the include check")
phase=0
start=$SECONDS
elapsed() { printf '%d min %02d s' $(((SECONDS - start) / 60)) $(((SECONDS - start) % 60)); }
trap 'status=$?; if [ "$status" -ne 0 ]; then
  if [ "$phase" -eq 0 ]; then echo "== tests FAILED: the set-up did not complete (its messages above)" >&2
  else echo "== tests FAILED in phase $phase of ${#phases[@]}, ${phases[phase - 1]}, after $(elapsed): its messages above" >&2; fi
fi' EXIT
begin() {
  phase=$1
  echo "== phase $phase of ${#phases[@]}: ${phases[phase - 1]} (at $(elapsed))"
}

bash tools/setup.sh
begin 1
cmake --workflow --preset test
begin 2
cmake --workflow --preset test-asan
begin 3
bash tools/format-check.sh
begin 4
bash tools/include-check.sh
echo "== tests passed: all four phases (both builds' tests, layout, includes) in $(elapsed)"
