#!/usr/bin/env bash
# Checks that every C++ source of the repository is laid out as .clang-format
# says (hand-laid tables stand between "clang-format off" and "on"). Prints
# the files that differ and exits 1; `clang-format -i FILE` lays one out.
# The files go to clang-format in batches, one batch per core at a time.
set -euo pipefail
cd "$(dirname "$0")/.."
command -v clang-format >/dev/null || { echo "format: clang-format is not installed (bash tools/setup.sh installs it)" >&2; exit 1; }
log=$(mktemp)
trap 'rm -f "$log"' EXIT
# xargs exits 123 when a clang-format run failed (a file differs); any other
# failure (clang-format missing or killed) is no verdict on the layout.
status=0
git ls-files -z '*.cpp' '*.h' |
  xargs -0 -n 16 -P "$(nproc)" clang-format --dry-run --Werror 2>"$log" >/dev/null || status=$?
if [ "$status" -ne 0 ] && [ "$status" -ne 123 ]; then
  echo "format: clang-format did not run to its end (xargs status $status):" >&2
  head -5 "$log" >&2
  exit 1
fi
# clang-format names each file that differs in lines "FILE:LINE:COL: error: ...".
bad=$(sed -n 's/^\([^:]*\):[0-9]*:[0-9]*: error:.*/\1/p' "$log" | sort -u)
if [ "$status" -eq 123 ] && [ -z "$bad" ]; then
  echo "format: clang-format failed without naming a file:" >&2
  head -5 "$log" >&2
  exit 1
fi
if [ -n "$bad" ]; then
  echo "format: $(wc -l <<<"$bad") files differ from .clang-format (clang-format -i FILE lays one out):" >&2
  sed 's/^/  /' <<<"$bad" >&2
  exit 1
fi
echo "format: every C++ source follows .clang-format"
