#!/usr/bin/env bash
# Builds in release mode and measures, on loopback against tessel-sim, what an
# operator waits for; writes the table to bench/results.md for the README.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
bash scripts/build.sh build-release -DCMAKE_BUILD_TYPE=Release
build-release/bench/tessel_bench --markdown bench/results.md
