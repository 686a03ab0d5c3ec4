#!/usr/bin/env bash
# Builds the benchmarks optimised into build-bench/ and runs them on a private X
# server. Arguments go to every benchmark (for example --benchmark_filter=Print).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

"$root/scripts/install-deps.sh"
cmake -S "$root" -B "$root/build-bench" -DCMAKE_BUILD_TYPE=Release -DQUILLON_BENCH=ON
cmake --build "$root/build-bench" -j"$(nproc)"
export NO_AT_BRIDGE=1
for bench in "$root"/build-bench/tests/bench/*_bench; do
    echo "=== $(basename "$bench")"
    xvfb-run -a -s "-screen 0 1280x1024x24" "$bench" "$@"
done
