#!/bin/sh
# Times the loop shapes of bench/compare/shapes in Ostrel, CPython and Lua
# 5.4 side by side, each as a whole process (start, compile and run), the
# median of five runs taken in turns (RUNS=n for another odd number); then
# the compile speed of generated scripts of 20,000 lines with 100 and with
# 10,000 names.
# Usage: [RUNS=n] bench/compare/compare.sh [build folder] [N] [shape ...]
# The build folder holds a Release build of the program (app/ostrel).
set -e
here=$(cd "$(dirname "$0")" && pwd)
build=${1:-build/release}
n=${2:-1000000}
shift 2 2>/dev/null || shift $#
lua=${LUA:-lua5.4}
python=${PYTHON:-/usr/bin/python3}
ostrel="$(cd "$build" && pwd)/app/ostrel"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# (Every side runs in the work folder: some shapes write files.)
cd "$work"

# Milliseconds of one run of the command.
ms() {
  t0=$(date +%s%N)
  "$@" >/dev/null 2>&1
  t1=$(date +%s%N)
  echo $(( (t1 - t0) / 1000000 ))
}
runs=${RUNS:-5}
median() { sort -n | sed -n "$(( (runs + 1) / 2 ))p"; }

shapes=${*:-$(cd "$here/shapes" && ls *.ost | sed 's/\.ost$//')}
echo "N = $n; $("$python" --version 2>&1), $("$lua" -v 2>&1 | cut -d' ' -f1-2)"
printf '%-10s %10s %10s %10s %9s %9s\n' shape "Ostrel ms" "CPython ms" "Lua ms" "/CPython" "/Lua"
for s in $shapes; do
  { echo "N = $n"; cat "$here/shapes/$s.ost"; } > "$work/$s.ost"
  : > "$work/o"; : > "$work/p"; : > "$work/l"
  for r in $(seq "$runs"); do
    ms "$ostrel" "RUN=$work/$s.ost" >> "$work/o"
    ms "$python" "$here/shapes/$s.py" "$n" >> "$work/p"
    ms "$lua" "$here/shapes/$s.lua" "$n" >> "$work/l"
  done
  o=$(median < "$work/o"); p=$(median < "$work/p"); l=$(median < "$work/l")
  printf '%-10s %10s %10s %10s %9s %9s\n' "$s" "$o" "$p" "$l" \
    "$(echo "$o $p" | awk '{ printf "%.2f", $1 / ($2 > 0 ? $2 : 1) }')" \
    "$(echo "$o $l" | awk '{ printf "%.2f", $1 / ($2 > 0 ? $2 : 1) }')"
done

# Compile speed: lines per second of a 20,000-line script, less the time of
# an empty one.
echo "END" > "$work/empty.ost"
: > "$work/e"
for r in $(seq "$runs"); do ms "$ostrel" "RUN=$work/empty.ost" >> "$work/e"; done
e=$(median < "$work/e")
for names in 100 10000; do
  "$python" "$here/gencompile.py" 20000 "$names" > "$work/gen.ost"
  : > "$work/c"
  for r in $(seq "$runs"); do ms "$ostrel" "RUN=$work/gen.ost" >> "$work/c"; done
  c=$(median < "$work/c")
  rate=$(echo "$c $e" | awk '{ d = $1 - $2; printf "%.0f", (d > 0 ? 20000000 / d : 0) }')
  echo "compile 20000 lines, $names names: $c ms ($e ms without): $rate lines/s"
done
