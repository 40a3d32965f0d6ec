#!/usr/bin/env bash
# Builds Tessel twice (plain, and with AddressSanitizer + UndefinedBehaviorSanitizer)
# and runs the whole test suite headless in both builds, then runs every fuzz
# harness briefly (TESSEL_FUZZ_SECONDS each, default 20). Many tests wait on the
# simulated device rather than compute, so more jobs than cores pay off.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
export QT_QPA_PLATFORM=offscreen

bash scripts/build.sh build -DTESSEL_WERROR=ON
(cd build && ctest -j6 --output-on-failure)

bash scripts/build.sh build-asan -DTESSEL_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug
(cd build-asan && ctest -j6 --output-on-failure)

bash scripts/fuzz.sh "${TESSEL_FUZZ_SECONDS:-20}"
