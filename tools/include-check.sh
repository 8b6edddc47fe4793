#!/usr/bin/env bash
# Checks that no C++ source includes a file by a path with a ".." segment
# ("../build/step/step_frame.h", "common/../build/step/step_frame.h"). Each
# library sees only its own folder and those of the layers below it through
# its include tree (cmake/volq.cmake); a path that climbs out of a folder
# reaches every file of the repository and goes round that rule. Prints each
# such include and exits 1; name the file from its folder instead
# ("build/step/step_frame.h"), which compiles only where the layers allow it.
set -euo pipefail
cd "$(dirname "$0")/.."
# Tracked sources and new ones not yet added (git's ignored files left out).
bad=$(git ls-files -z --cached --others --exclude-standard '*.cpp' '*.h' |
  xargs -0 grep -nE '^[[:space:]]*#[[:space:]]*include[[:space:]]*[<"]([^">]*/)?\.\.(/|[">])' || true)
if [ -n "$bad" ]; then
  echo "include: $(wc -l <<<"$bad") includes climb out of their folder with '..' (name the file from its folder, e.g. \"build/step/step_frame.h\"):" >&2
  sed 's/^/  /' <<<"$bad" >&2
  exit 1
fi
echo "include: no source includes a path with '..'"
