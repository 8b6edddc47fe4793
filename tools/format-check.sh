#!/usr/bin/env bash
# Checks that every C++ source of the repository is laid out as .clang-format
# says (hand-laid tables stand between "clang-format off" and "on"). Prints
# the files that differ and exits 1; `clang-format -i FILE` lays one out.
# The files go to clang-format in batches, one batch per core at a time.
set -euo pipefail
cd "$(dirname "$0")/.."
# clang-format names each file that differs in lines "FILE:LINE:COL: error: ...".
bad=$(git ls-files -z '*.cpp' '*.h' |
  xargs -0 -n 16 -P "$(nproc)" clang-format --dry-run --Werror 2>&1 >/dev/null |
  sed -n 's/^\([^:]*\):[0-9]*:[0-9]*: error:.*/\1/p' | sort -u || true)
if [ -n "$bad" ]; then
  echo "format: $(wc -l <<<"$bad") files differ from .clang-format (clang-format -i FILE lays one out):" >&2
  sed 's/^/  /' <<<"$bad" >&2
  exit 1
fi
echo "format: every C++ source follows .clang-format"
