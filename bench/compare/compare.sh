#!/bin/sh
# Times the statement benchmark's loops in Ostrel, Lua 5.4 and CPython side
# by side. Usage: bench/compare/compare.sh [build folder] [N]
# The build folder must hold a Release build with -DOSTREL_BENCH=ON.
set -e
here=$(cd "$(dirname "$0")" && pwd)
build=${1:-build/release}
n=${2:-100000}
lua=${LUA:-lua5.4}
python=${PYTHON:-/usr/bin/python3}

echo "== Ostrel ($build)"
"$build/bench/ostrel_bench" --benchmark_filter='ScalarLoop|NestedLoops|ArrayUpdates|FunctionCalls' \
  --benchmark_counters_tabular=true 2>/dev/null |
  awk '/^BM_/ { name = $1; sub(/^BM_/, "", name); sub(/\/.*/, "", name);
                for (i = 1; i <= NF; i++) if ($i ~ /\/s$/ || $(i+1) ~ /\/s$/) rate = $i;
                printf "%-16s %12s statements/s\n", name, rate }'
echo "== Lua ($("$lua" -v 2>&1 | head -1))"
"$lua" "$here/loops.lua" "$n"
echo "== Python ($("$python" --version 2>&1))"
"$python" "$here/loops.py" "$n"
