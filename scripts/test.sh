#!/usr/bin/env bash
# Installs what is missing, then builds and runs every test twice: the normal
# build in build/ and an address and undefined-behaviour sanitizer build in
# build-asan/. The GUI tests run on a private X server (xvfb-run).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
jobs="$(nproc)"

"$root/scripts/install-deps.sh"

# No accessibility bus on the private X server; without this GTK warns on every start.
export NO_AT_BRIDGE=1

summaries=()
failed=0

run_tests() {
    local dir="$1"
    shift
    echo "=== $dir: build"
    cmake -S "$root" -B "$root/$dir" -DQUILLON_WERROR=ON "$@"
    cmake --build "$root/$dir" -j"$jobs"
    echo "=== $dir: tests"
    local log="$root/$dir/ctest.log"
    local status=0
    (cd "$root/$dir" && xvfb-run -a -s "-screen 0 1280x1024x24" \
        ctest --output-on-failure --timeout 300 -j"$jobs") 2>&1 | tee "$log" || status=$?
    local summary
    summary="$(grep -E 'tests passed|tests failed' "$log" | tail -n 1 || true)"
    summaries+=("$dir: ${summary:-no test summary (ctest did not finish)}")
    if [ "$status" -ne 0 ]; then
        failed=1
    fi
}

run_tests build -DCMAKE_BUILD_TYPE=RelWithDebInfo
run_tests build-asan -DCMAKE_BUILD_TYPE=Debug -DQUILLON_SANITIZE=ON -DQUILLON_BENCH=OFF

echo
for line in "${summaries[@]}"; do
    echo "$line"
done
exit "$failed"
