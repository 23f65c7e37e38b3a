#!/usr/bin/env bash
# Fuzzes the calculation pass for the given number of seconds (default 60), starting from the
# seed corpus in tests/fuzz/corpus. New inputs go to fuzz-out/corpus, crashes to fuzz-out/.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-60}"
flags="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer -g"
cmake -S . -B build-fuzz -DTICKORA_FUZZ=ON -DBUILD_TESTING=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_CXX_FLAGS="$flags" -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined"
cmake --build build-fuzz --target fuzz_calcpass -j "$(nproc 2>/dev/null || echo 2)"
mkdir -p fuzz-out/corpus
./build-fuzz/tests/fuzz/fuzz_calcpass -max_total_time="$seconds" -max_len=4096 -print_final_stats=1 \
  -artifact_prefix=fuzz-out/ fuzz-out/corpus tests/fuzz/corpus
