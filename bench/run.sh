#!/usr/bin/env bash
# Builds in release mode and measures, on loopback against a tessel-sim process
# paced to 115200 baud, what an operator waits for, in both timing modes;
# writes the tables to bench/results.md for the README. Arguments go to the
# benchmark (--mode fast|full|both, --runs N).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
bash scripts/build.sh build-release -DCMAKE_BUILD_TYPE=Release
build-release/bench/tessel_bench --markdown bench/results.md "$@"
