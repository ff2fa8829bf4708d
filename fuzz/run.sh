#!/usr/bin/env bash
# Runs the fuzz targets of a SUMORAN_FUZZ build tree, each from a scratch copy of its seed corpus
# so the repository is never written to; a crash, leak or sanitizer report fails the script.
#
#   fuzz/run.sh BUILD_DIR [LIBFUZZER OPTIONS...]   e.g. fuzz/run.sh build-fuzz -runs=20000
#
# The targets run in parallel. Without options each makes 20000 runs from a fixed seed, so the
# test command fuzzes the same inputs every time. FUZZ_TARGETS picks targets
# (default: all four); FUZZ_WORK_DIR keeps the corpora and artifacts (default: a new directory
# under ${TMPDIR:-/tmp}, kept only when a target fails).
set -euo pipefail
cd "$(dirname "$0")/.."
build=$1
shift
options=("$@")
if ((${#options[@]} == 0)); then options=(-runs=20000 -seed=1); fi

targets=(${FUZZ_TARGETS:-fuzz_analysis fuzz_settings fuzz_utf8 fuzz_maintext})
work=${FUZZ_WORK_DIR:-$(mktemp -d "${TMPDIR:-/tmp}/sumoran-fuzz.XXXXXX")}
mkdir -p "$work"

# The longest input each target is given: a page, a settings file, a stretch of text.
max_len() {
  case $1 in
    fuzz_analysis | fuzz_maintext) echo 65536 ;;
    fuzz_settings) echo 8192 ;;
    *) echo 16384 ;;
  esac
}

# Runs one target from a fresh copy of its seeds (fuzz/corpus/<target>), with fuzz/<target>.dict
# when there is one; its output goes to $work/<target>/log.
run_target() {
  local target=$1 corpus="$work/$1/corpus" dict=()
  mkdir -p "$corpus"
  cp fuzz/corpus/"$target"/* "$corpus"/
  # The main text's fixture pages seed its target too.
  if [ "$target" = fuzz_maintext ]; then cp maintext/testdata/*.html "$corpus"/; fi
  if [ -f "fuzz/$target.dict" ]; then dict=(-dict="fuzz/$target.dict"); fi
  ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    "$build/bin/$target" -max_len="$(max_len "$target")" -print_final_stats=1 \
    -artifact_prefix="$work/$target/" "${dict[@]}" "${options[@]}" "$corpus" >"$work/$target/log" 2>&1
}

# The targets run side by side, one process each.
pids=()
for target in "${targets[@]}"; do
  run_target "$target" &
  pids+=($!)
done
failed=0
for i in "${!targets[@]}"; do
  target=${targets[$i]}
  echo "== $target"
  if ! wait "${pids[$i]}"; then
    tail -n 60 "$work/$target/log"
    echo "FAILED: $target; its log and the input that failed are in $work/$target/" >&2
    failed=$((failed + 1))
    continue
  fi
  grep -E '^(Done|stat::number_of_executed_units|stat::peak_rss_mb)|cov: .*(DONE|INITED)' "$work/$target/log" || true
done

if ((failed)); then
  echo "fuzz: $((${#targets[@]} - failed)) passed, $failed failed"
  exit 1
fi
if [ -z "${FUZZ_WORK_DIR:-}" ]; then rm -rf "$work"; fi
echo "fuzz: ${#targets[@]} passed, 0 failed"
