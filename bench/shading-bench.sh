#!/usr/bin/env bash
# The shaded display rebuild of crop mode against a plain copy of the same bitmap, for a 12 and a 24
# megapixel picture. Usage: bench/shading-bench.sh [BUILD]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build/native}
"$build/bench/shading_bench" 4000 3000 ${ROUNDS:-20}
"$build/bench/shading_bench" 6000 4000 ${ROUNDS:-20}
