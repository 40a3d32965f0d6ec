#!/bin/sh
# The share of tests in the code: non-blank lines of the .cpp and .h files of
# tests/ and fuzz/ against those of src/ and sim/. Target: at most 38 %.
set -eu
cd "$(dirname "$0")/.."
lines() {
    find "$@" -type f \( -name '*.cpp' -o -name '*.h' \) -exec cat {} + | grep -cv '^[[:space:]]*$'
}
tests=$(lines tests fuzz)
code=$(lines src sim)
echo "tests and fuzz harnesses: $tests lines; src and sim: $code lines; share: $((100 * tests / code)).$((1000 * tests / code % 10)) %"
