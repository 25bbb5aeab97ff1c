#!/usr/bin/env bash
# Fuzzes the data readers (BMP, TGA, .vxm, height map, geographic reference):
# builds one libFuzzer target per reader with clang in build/fuzz (coverage,
# AddressSanitizer, UndefinedBehaviorSanitizer), seeds each from
# tests/fuzz/seeds.txt and its regression inputs, and runs
# it for SECONDS (default 30). Prints the executions of every target; exits 1
# when any input broke a reader and leaves that input in
# build/fuzz/findings/READER/, to be added to tests/fuzz/regressions/READER/.
#
#   scripts/fuzz.sh [SECONDS] [READER...]      e.g. scripts/fuzz.sh 600 dib_image
#
# Each target's corpus (build/fuzz/corpus/READER/) is kept between runs.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"

seconds=${1:-30}
shift || true
readers=("$@")
[[ ${#readers[@]} -gt 0 ]] || readers=(dib_image tga_image mesh_model height_map geo_reference)
[[ "$seconds" =~ ^[0-9]+$ ]] || { echo "usage: scripts/fuzz.sh [SECONDS] [READER...]" >&2; exit 2; }

./scripts/setup.sh
out=build/fuzz
cmake -S tests/fuzz -B "$out" -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DLUMORA_FUZZ=ON >/dev/null
cmake --build "$out" -j"$(nproc)" --target "${readers[@]/#/fuzz_}" >/dev/null

# The landscape seeds are generated, never shipped: take the generator of an
# existing build, or build it in the run script's configuration.
generator=""
for build in build/test build/release; do
  [[ -x "$build/bin/lumora-landscape" ]] && { generator="$build/bin/lumora-landscape"; break; }
done
if [[ -z "$generator" ]]; then
  cmake -S . -B build/release -DCMAKE_BUILD_TYPE=Release >/dev/null
  cmake --build build/release -j"$(nproc)" --target lumora-landscape >/dev/null
  generator=build/release/bin/lumora-landscape
fi
rm -rf "$out/landscape" "$out/seeds"
"$generator" "$out/landscape" >/dev/null

# Copies the seeds of one line of seeds.txt into $out/seeds/READER/.
add_seeds() {
  local reader=$1 folder=$2 entry name bytes file
  shift 2
  case "$folder" in
    corpora) folder="$top/tests/corpora" ;;
    landscape) folder="$out/landscape" ;;
    *) echo "fuzz: unknown seed folder '$folder'" >&2; exit 2 ;;
  esac
  mkdir -p "$out/seeds/$reader"
  for entry in "$@"; do
    name=${entry%%:*} bytes=""
    [[ "$entry" == *:* ]] && bytes=${entry##*:}
    for file in "$folder"/$name; do
      [[ -f "$file" ]] || { echo "fuzz: no seed $file" >&2; exit 2; }
      local flat; flat=$(echo "${file#"$folder"/}" | tr / _)
      if [[ -n "$bytes" ]]; then
        head -c "$bytes" "$file" >"$out/seeds/$reader/$flat.$bytes"
      else
        cp "$file" "$out/seeds/$reader/$flat"
      fi
    done
  done
}
while read -r reader folder files; do
  [[ -z "$reader" || "$reader" == \#* ]] && continue
  # shellcheck disable=SC2086 # the file list is split on purpose
  add_seeds "$reader" "$folder" $files
done <tests/fuzz/seeds.txt

# The largest input each target is given: a little more than its largest seed
# that matters, so that fields and lengths can grow past it.
max_len() {
  case "$1" in
    dib_image) echo 262144 ;;
    tga_image) echo 131072 ;;
    mesh_model) echo 262144 ;;
    height_map) echo 70000 ;;
    geo_reference) echo 32768 ;;
  esac
}

failed=0
printf '%-13s %7s %12s %9s  %s\n' reader seeds executions "per s" result
for reader in "${readers[@]}"; do
  corpus="$out/corpus/$reader" findings="$out/findings/$reader"
  mkdir -p "$corpus" "$findings" "$out/seeds/$reader"
  log="$out/$reader.log"
  status=0
  "$out/fuzz_$reader" -max_total_time="$seconds" -rss_limit_mb=2048 -malloc_limit_mb=1024 -timeout=10 \
    -max_len="$(max_len "$reader")" -print_final_stats=1 -artifact_prefix="$findings/" \
    "$corpus" "$out/seeds/$reader" "tests/fuzz/regressions/$reader" >"$log" 2>&1 || status=$?
  seeds=$(find "$out/seeds/$reader" "tests/fuzz/regressions/$reader" -type f | wc -l)
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
  rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log")
  if [[ $status == 0 ]]; then
    result=clean
  else
    failed=1
    result="FINDING: $(ls -t "$findings" | head -1) (log $log)"
  fi
  printf '%-13s %7s %12s %9s  %s\n' "$reader" "$seeds" "${runs:-?}" "${rate:-?}" "$result"
done
if [[ $failed == 1 ]]; then
  echo "fuzz: a reader broke; the offending inputs are in $out/findings/"
  exit 1
fi
