#!/usr/bin/env bash
# The main job on built-in sample data: build, then run what the programs do.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --workflow --preset build >/dev/null
out/fetch/volqfetch --help
out/build/volqbuild --help
