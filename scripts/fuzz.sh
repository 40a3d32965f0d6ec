#!/usr/bin/env bash
# Builds the libFuzzer harnesses of fuzz/ with clang 14 (AddressSanitizer and
# UndefinedBehaviorSanitizer) into build-fuzz and runs each for a bounded time.
# Usage: scripts/fuzz.sh [seconds per harness, default 20] [harness ...]
# Fails on the first finding; the input that caused it is left in build-fuzz/findings/.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-20}
shift || true

bash scripts/deps.sh
missing=()
for p in clang-14 libclang-rt-14-dev; do
  dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  export DEBIAN_FRONTEND=noninteractive
  apt-get update
  apt-get install -y --no-install-recommends "${missing[@]}"
fi

cmake -S . -B build-fuzz -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14 \
  -DTESSEL_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build-fuzz -j"$(nproc)" --target fuzzers >/dev/null

if [ $# -gt 0 ]; then
  harnesses=("$@")
else
  harnesses=()
  for source in fuzz/fuzz_*.cpp; do
    harnesses+=("$(basename "$source" .cpp)")
  done
fi

export QT_QPA_PLATFORM=offscreen
export LSAN_OPTIONS=suppressions=$PWD/fuzz/lsan.supp
mkdir -p build-fuzz/findings
for h in "${harnesses[@]}"; do
  # New inputs go to the build's own corpus; the seeds in the repository stay as they are.
  work=build-fuzz/corpus/$h
  mkdir -p "$work"
  log=build-fuzz/findings/$h.log
  if ! "build-fuzz/fuzz/$h" "$work" "fuzz/corpus/$h" -max_total_time="$seconds" -timeout=10 \
      -rss_limit_mb=4096 -print_final_stats=1 -artifact_prefix="build-fuzz/findings/$h-" \
      >"$log" 2>&1; then
    tail -n 60 "$log"
    echo "fuzz: $h found a fault; its input is build-fuzz/findings/$h-*" >&2
    exit 1
  fi
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
  echo "fuzz: $h ran ${runs:-?} inputs in ${seconds} s, no finding"
done
echo "fuzz: ${#harnesses[@]} passed, 0 failed"
