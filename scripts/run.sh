#!/usr/bin/env bash
# Installs what is missing, builds Quillon into build/ and starts it.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

"$root/scripts/install-deps.sh"
cmake -S "$root" -B "$root/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUILLON_WERROR=ON
cmake --build "$root/build" -j"$(nproc)" --target quillon
exec "$root/build/app/quillon"
