#!/bin/sh
# Runs one fuzz target: run.sh TARGET [SECONDS] [BUILD_DIR] [libFuzzer flags...]
# New inputs go to a scratch corpus (first folder), the seeds are only read
# (second folder): those of the source tree, and for fuzz_page the release's
# pages that the build copies from the content generator's output. Crashes
# land in the scratch folder too.
set -eu
target=$1
seconds=${2:-600}
build=${3:-build/fuzz}
shift $(( $# < 3 ? $# : 3 ))
here=$(cd "$(dirname "$0")" && pwd)
case $target in
  fuzz_gif_decode) seeds=$here/corpus/gif ;;
  fuzz_picture_load) seeds=$here/corpus/picture ;;
  fuzz_area_coords) seeds=$here/corpus/area ;;
  fuzz_tokenizer) seeds=$here/corpus/tokenizer ;;
  fuzz_page) seeds=$build/fuzz/htmlview/seeds/page ;;
  *) echo "unknown target: $target" >&2; exit 2 ;;
esac
scratch=${FUZZ_SCRATCH:-/tmp/korvane-fuzz}/$target
mkdir -p "$scratch/corpus" "$scratch/artifacts"
# The targets set these themselves; the variables make a plain run of the
# binary behave the same.
export QT_QPA_PLATFORM=offscreen
export LSAN_OPTIONS="suppressions=$here/../../tests/lsan.supp:print_suppressions=0"
exec "$build/fuzz/htmlview/$target" "$scratch/corpus" "$seeds" \
  -max_total_time="$seconds" -rss_limit_mb=2048 -timeout=10 \
  -artifact_prefix="$scratch/artifacts/" -print_final_stats=1 "$@"
