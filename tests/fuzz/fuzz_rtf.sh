#!/usr/bin/env bash
# Builds the rich-text reader's libFuzzer target with clang and runs it.
#   tests/fuzz/fuzz_rtf.sh [SECONDS] [WORK_DIR]   (default: 300 seconds in /tmp/volmera-fuzz)
# Needs clang with its libFuzzer runtime (Debian: apt-get install -y clang).
set -euo pipefail
repo=$(cd "$(dirname "$0")/../.." && pwd)
seconds=${1:-300}
work=${2:-/tmp/volmera-fuzz}
mkdir -p "$work/corpus" "$work/findings"

# Seeds: the shipped help document and a few small documents.
cp "$repo/resources/ZEL_HLP.RTF" "$work/corpus/"
printf '{\\rtf1 a{\\b b\\i c}\\par\\fs28 d\\u8364?\\'"'"'e9}' >"$work/corpus/formats.rtf"
printf '{\\rtf1{\\fonttbl{\\f0 Courier;}}{\\*\\g x}S01^\\par k\\par E01^}' >"$work/corpus/tags.rtf"

qt=$(pkg-config --cflags --libs Qt6Core Qt6Gui)
clang++ -std=c++20 -g -O1 -fPIC -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all \
    -DQT_NO_KEYWORDS -I"$repo/src" \
    "$repo/tests/fuzz/fuzz_rtf.cpp" "$repo/src/domain/help/RtfReader.cpp" \
    "$repo/src/forms/RtfTextDocument.cpp" "$repo/src/domain/help/HelpSection.cpp" \
    "$repo/src/base/Cp1252.cpp" "$repo/src/base/PathMapping.cpp" \
    $qt -o "$work/fuzz_rtf"

# Qt keeps caches for the life of the process, which the leak check would take for leaks.
"$work/fuzz_rtf" -max_total_time="$seconds" -max_len=65536 -timeout=10 -rss_limit_mb=2048 \
    -detect_leaks=0 -dict="$repo/tests/fuzz/rtf.dict" -artifact_prefix="$work/findings/" \
    -print_final_stats=1 "$work/corpus"
