#!/usr/bin/env bash
# Builds the fuzz targets with clang, libFuzzer and the address and
# undefined-behaviour sanitizers into build-fuzz/, and runs them in parallel:
#   scripts/fuzz.sh [seconds] [target...]
# Each target runs for the seconds given (default 60) over a copy of its seed
# corpus. Without names, the targets listed in fuzz/open-faults.txt (a known
# fault whose mending is under way) are left out, and said so. A crash, leak
# or sanitizer report fails the run; its input is kept under
# fuzz/crashes/<target>/ with the target's log beside it. FUZZ_JOBS sets how
# many targets run at once (default 4); FUZZ_FLAGS adds libFuzzer flags.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=60
if [ $# -gt 0 ] && [[ "$1" =~ ^[0-9]+$ ]]; then
  seconds=$1
  shift
fi
all=(config alert_criteria view lines catalogue eruptions places segments png jpeg bmp http addresses link_frames
     web_update overlay borders view_list email_addresses smtp welcome_text alert_view_name)
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  # Without names: every target but those whose known fault is still open.
  for t in "${all[@]}"; do
    if grep -q "^$t:" fuzz/open-faults.txt 2>/dev/null; then
      echo "$t: skipped, its fault is open: $(grep -m1 "^$t:" fuzz/open-faults.txt | cut -d: -f2-)"
    else
      targets+=("$t")
    fi
  done
fi
for t in "${targets[@]}"; do
  if [ ! -d "fuzz/corpus/$t" ]; then
    echo "no such fuzz target: $t (targets: ${all[*]})" >&2
    exit 2
  fi
done
jobs=${FUZZ_JOBS:-4}

CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DKESTRUNE_FUZZ=ON -DKESTRUNE_BENCH=OFF >/dev/null
build_targets=()
for t in "${targets[@]}"; do build_targets+=("fuzz_$t"); done
cmake --build build-fuzz -j"$(nproc)" --target "${build_targets[@]}"

# Absolute: the targets work in folders of their own.
out="$PWD/build-fuzz/fuzz-runs"
mkdir -p "$out"
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1:symbolize=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$PWD/fuzz/lsan.supp:print_suppressions=0}
export TZ=UTC
# The readers replace files safely, flushing each to disk: a memory file system keeps that cheap.
if [ -z "${TMPDIR:-}" ] && [ -d /dev/shm ] && [ -w /dev/shm ]; then export TMPDIR=/dev/shm; fi

run_one() {
  local t=$1
  local work="$out/$t"
  rm -rf "$work"
  mkdir -p "$work/corpus" "$work/artifacts"
  cp "fuzz/corpus/$t/"* "$work/corpus/"
  local dict=()
  if [ -f "fuzz/dict/$t.dict" ]; then dict=(-dict="$PWD/fuzz/dict/$t.dict"); fi
  if "$PWD/build-fuzz/fuzz/fuzz_$t" "$work/corpus" "${dict[@]}" -max_total_time="$seconds" -timeout=20 -rss_limit_mb=2048 \
      -max_len=65536 -print_final_stats=1 ${FUZZ_FLAGS:-} -artifact_prefix="$work/artifacts/" >"$work/log" 2>&1; then
    echo "$t: $(grep -m1 -o 'stat::number_of_executed_units: [0-9]*' "$work/log" | awk '{print $2}') runs, nothing found"
    return 0
  fi
  mkdir -p "fuzz/crashes/$t"
  local kept=0
  for a in "$work/artifacts/"*; do
    [ -e "$a" ] || continue
    cp "$a" "fuzz/crashes/$t/"
    cp "$work/log" "fuzz/crashes/$t/$(basename "$a").log"
    kept=1
  done
  if [ $kept -eq 0 ]; then cp "$work/log" "fuzz/crashes/$t/run-$(date +%s).log"; fi
  echo "$t: FOUND a fault, kept in fuzz/crashes/$t/ (log: $work/log)"
  grep -m3 -E 'ERROR: |runtime error|contract broken' "$work/log" | sed 's/^/    /' || true
  return 1
}

failed=0
running=0
pids=()
names=()
for t in "${targets[@]}"; do
  run_one "$t" &
  pids+=($!)
  names+=("$t")
  running=$((running + 1))
  if [ $running -ge "$jobs" ]; then
    wait "${pids[0]}" || failed=1
    pids=("${pids[@]:1}")
    running=$((running - 1))
  fi
done
for p in "${pids[@]}"; do wait "$p" || failed=1; done
exit $failed
