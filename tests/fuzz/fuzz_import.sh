#!/usr/bin/env bash
# Builds the export readers' libFuzzer targets with clang and runs each of them.
#   tests/fuzz/fuzz_import.sh [SECONDS] [WORK_DIR] [fixed|delimited]...
#   (default: 300 seconds each, in /tmp/volmera-fuzz-import, both targets)
# Needs clang with its libFuzzer runtime (Debian: apt-get install -y clang).
set -euo pipefail
repo=$(cd "$(dirname "$0")/../.." && pwd)
seconds=${1:-300}
work=${2:-/tmp/volmera-fuzz-import}
shift $(($# < 2 ? $# : 2))
if [ $# -gt 0 ]; then targets=("$@"); else targets=(fixed delimited); fi
mkdir -p "$work/obj"

# The readers and what they stand on: the base, the store and the entry rules, built once with
# the same sanitizers.
flags=(-std=c++20 -g -O1 -fPIC -fno-sanitize-recover=all -DQT_NO_KEYWORDS -I"$repo/src"
    $(pkg-config --cflags Qt6Core))
objects=()
entry="$repo/src/domain/entry"
for source in "$repo"/src/base/*.cpp "$repo"/src/store/*.cpp "$entry/DateCheck.cpp" \
    "$entry/EntryFormat.cpp" "$entry/FieldTable.cpp" "$repo"/src/domain/import/*.cpp; do
    object="$work/obj/$(basename "$(dirname "$source")")_$(basename "$source" .cpp).o"
    if [ ! -f "$object" ] || [ "$source" -nt "$object" ]; then
        clang++ "${flags[@]}" -fsanitize=fuzzer-no-link,address,undefined -c "$source" \
            -o "$object"
    fi
    objects+=("$object")
done

for target in "${targets[@]}"; do
    mkdir -p "$work/$target/corpus" "$work/$target/findings"
    cp "$repo/tests/fuzz/corpus/import_$target/"* "$work/$target/corpus/"
    clang++ "${flags[@]}" -fsanitize=fuzzer,address,undefined \
        "$repo/tests/fuzz/fuzz_import_$target.cpp" "${objects[@]}" \
        $(pkg-config --libs Qt6Core) -lsqlite3 \
        -o "$work/fuzz_import_$target"
    # Qt keeps caches for the life of the process, which the leak check would take for leaks.
    "$work/fuzz_import_$target" -max_total_time="$seconds" -max_len=16384 -timeout=10 \
        -rss_limit_mb=2048 -detect_leaks=0 -artifact_prefix="$work/$target/findings/" \
        -print_final_stats=1 "$work/$target/corpus"
done
