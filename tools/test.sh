#!/usr/bin/env bash
# Builds everything and runs every test, installing what a fresh machine lacks:
# first the normal build (out/), then the same tests built under
# AddressSanitizer and UndefinedBehaviorSanitizer (out-asan/), where a memory
# error, an undefined conversion or a division by zero ends the test. Both
# builds treat warnings as errors; last, the layout of every C++ source is
# checked against .clang-format, and no include may climb out of its folder
# with '..' past the layers' include trees.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/setup.sh
cmake --workflow --preset test
cmake --workflow --preset test-asan
bash tools/format-check.sh
bash tools/include-check.sh
