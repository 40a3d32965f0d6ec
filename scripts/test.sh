#!/usr/bin/env bash
# Builds Tessel twice (plain, and with AddressSanitizer + UndefinedBehaviorSanitizer)
# and runs the whole test suite headless in both builds, then runs every fuzz
# harness briefly (TESSEL_FUZZ_SECONDS each, default 20).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
export QT_QPA_PLATFORM=offscreen

bash scripts/build.sh build -DTESSEL_WERROR=ON
(cd build && ctest --output-on-failure)

bash scripts/build.sh build-asan -DTESSEL_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug
(cd build-asan && ctest --output-on-failure)

bash scripts/fuzz.sh "${TESSEL_FUZZ_SECONDS:-20}"
