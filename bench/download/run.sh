#!/usr/bin/env bash
# Download benchmark: tessaly-fetch (one worker, headless) against `curl -o`, both fetching a 1 GiB
# file from a local nginx (sendfile on), one download alone and three in parallel; medians of a few
# runs. Prints "RESULT <case> curl <ours/curl throughput ratio>", the CPU time both used (a figure
# that a busy machine disturbs less than throughput) and our peak RSS, also for a small file, to
# show that memory does not grow with the file; last, how long closing takes with a worker stuck in
# a read (bench/download/shutdown.py).
#   bench/download/run.sh [BUILD_DIR]     (default: build; needs BUILD_DIR/bin/tessaly-fetch)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=${1:-build}
fetch=$(cd "$build" && pwd)/bin/tessaly-fetch
runs=${TESSALY_BENCH_RUNS:-3}
[ -x "$fetch" ] || { echo "no $fetch: build the tessaly-fetch target first" >&2; exit 1; }

work=$(mktemp -d)
nginx_pid=
cleanup() {
  [ -n "$nginx_pid" ] && kill "$nginx_pid" 2>/dev/null && wait "$nginx_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
chmod 755 "$work"
mkdir -p "$work/www" "$work/tmp" "$work/out"

# The large file is made once and kept for later runs.
cache=${TMPDIR:-/tmp}/tessaly-bench
mkdir -p "$cache"
if [ "$(stat -c %s "$cache/video.bin" 2>/dev/null || echo 0)" != 1073741824 ]; then
  echo "making a 1 GiB file of random bytes..."
  head -c 1073741824 /dev/urandom > "$cache/video.bin"
fi
ln "$cache/video.bin" "$work/www/video.flv" 2>/dev/null || cp "$cache/video.bin" "$work/www/video.flv"
head -c 67108864 "$cache/video.bin" > "$work/www/small.flv"
printf '<html><head><title>bench</title></head><body><a href="/x?a=1&video_id=bench&k=v&t=tok&">x</a></body></html>\n' \
  > "$work/www/watch.html"
chmod -R a+rX "$work/www"

port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])')
sed -e "s|@WORK@|$work|g" -e "s|@PORT@|$port|g" "$here/nginx.conf.in" > "$work/nginx.conf"
/usr/sbin/nginx -c "$work/nginx.conf" -p "$work" &
nginx_pid=$!
for _ in $(seq 50); do curl -sf -o /dev/null "http://127.0.0.1:$port/watch" && break; sleep 0.1; done

base="http://127.0.0.1:$port"
watch="$base/watch?v=bench"
stream="$base/get_video?video_id=bench&t=tok"

# One measured run: N copies at once of ours or curl's; prints "seconds peak_rss_kib".
run() {
  local who=$1 n=$2 cmds=()
  rm -rf "$work/out" && mkdir -p "$work/out"
  for i in $(seq "$n"); do
    if [ "$who" = ours ]; then
      cmds+=("$fetch '$watch' '$work/out/ours$i' > /dev/null")
    else
      cmds+=("curl -sf -o '$work/out/curl$i.flv' '$stream'")
    fi
  done
  python3 "$here/measure.py" "${cmds[@]}"
  if [ "$who" = ours ]; then cmp -s "$work/out/ours1/bench.flv" "$work/www/video.flv" || { echo "ours: wrong file" >&2; exit 1; }; fi
}

median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

for n in 1 3; do
  case=$([ "$n" = 1 ] && echo single || echo parallel3)
  : > "$work/ours.txt"; : > "$work/curl.txt"
  for _ in $(seq "$runs"); do
    run curl "$n" >> "$work/curl.txt"
    run ours "$n" >> "$work/ours.txt"
  done
  t_curl=$(cut -d' ' -f1 "$work/curl.txt" | median)
  t_ours=$(cut -d' ' -f1 "$work/ours.txt" | median)
  rss=$(cut -d' ' -f2 "$work/ours.txt" | sort -n | tail -1)
  cpu_curl=$(cut -d' ' -f3 "$work/curl.txt" | median)
  cpu_ours=$(cut -d' ' -f3 "$work/ours.txt" | median)
  mib() { awk -v n="$n" -v t="$1" 'BEGIN { printf "%.0f", n * 1024 / t }'; }
  echo "$case: curl $(mib "$t_curl") MiB/s, ours $(mib "$t_ours") MiB/s (medians of $runs);" \
    "CPU seconds curl $cpu_curl, ours $cpu_ours; our peak RSS ${rss} KiB"
  echo "RESULT $case curl $(awk -v c="$t_curl" -v o="$t_ours" 'BEGIN { printf "%.3f", c / o }')"
done

# Peak RSS with a 64 MiB stream, to compare with the 1 GiB one above.
printf '<html><head><title>small</title></head><body><a href="/x?a=1&video_id=small&k=v&t=tok&">x</a></body></html>\n' \
  > "$work/www/watch.html"
sed -i 's|try_files /video.flv =404; }|try_files /small.flv =404; }|' "$work/nginx.conf"
kill -HUP "$nginx_pid"; sleep 0.5
rm -rf "$work/out" && mkdir -p "$work/out"
small=$(python3 "$here/measure.py" "$fetch '$watch' '$work/out/small' > /dev/null")
echo "our peak RSS with a 64 MiB stream: $(echo "$small" | cut -d' ' -f2) KiB"

# Closing while a worker waits in a stalled read (30 s receive time-out): how long until it has ended.
python3 "$here/shutdown.py" "$build"
