#!/bin/sh
# Instructions per loop pass of each shape under callgrind, in Ostrel, in
# CPython and in Lua 5.4: (count with N = 10001 - count with N = 1) / 10000
# (N = 1, not 0, since some shapes divide by N).
# Usage: bench/compare/perpass.sh [build folder] [shape ...]
set -e
here=$(cd "$(dirname "$0")" && pwd)
build=${1:-build/release}
shift 2>/dev/null || true
python=${PYTHON:-/usr/bin/python3}
lua=${LUA:-lua5.4}
build=$(cd "$build" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# (Every side runs in the work folder: some shapes write files.)
cd "$work"
count() {
  valgrind --tool=callgrind --callgrind-out-file="$work/cg" "$@" >/dev/null 2>"$work/err"
  grep 'refs:' "$work/err" | tr -d ',' | awk '{ print $NF }'
}
shapes=${*:-$(cd "$here/shapes" && ls *.ost | sed 's/\.ost$//' | grep -v longtext)}
printf '%-10s %14s %14s %14s\n' shape "Ostrel /pass" "CPython /pass" "Lua /pass"
for s in $shapes; do
  for n in 1 10001; do
    { echo "N = $n"; cat "$here/shapes/$s.ost"; } > "$work/$s.$n.ost"
  done
  o0=$(count "$build/app/ostrel" "RUN=$work/$s.1.ost")
  o1=$(count "$build/app/ostrel" "RUN=$work/$s.10001.ost")
  p0=$(count "$python" "$here/shapes/$s.py" 1)
  p1=$(count "$python" "$here/shapes/$s.py" 10001)
  l0=$(count "$lua" "$here/shapes/$s.lua" 1)
  l1=$(count "$lua" "$here/shapes/$s.lua" 10001)
  printf '%-10s %14d %14d %14d\n' "$s" $(( (o1 - o0) / 10000 )) $(( (p1 - p0) / 10000 )) \
    $(( (l1 - l0) / 10000 ))
done
