#!/usr/bin/env bash
# Fails when a source file includes from a layer above its own. The layers, lowest first:
# base, store, domain, cli, forms; main.cpp sits on top of them all.
set -euo pipefail
src=${1:?usage: check_layers.sh SRC_DIR}
rank() {
    case $1 in
    base) echo 0 ;; store) echo 1 ;; domain) echo 2 ;; cli) echo 3 ;; forms) echo 3 ;; *) echo 9 ;;
    esac
}
bad=0
cd "$src"
while IFS= read -r file; do
    layer=${file%%/*}
    own=$(rank "$layer")
    while IFS= read -r included; do
        target=${included%%/*}
        [ -f "$included" ] || continue
        theirs=$(rank "$target")
        # cli and forms share a rank but never include each other.
        if [ "$theirs" -gt "$own" ] || { [ "$theirs" -eq "$own" ] && [ "$target" != "$layer" ]; }; then
            echo "$file includes $included (layer $target is above $layer)"
            bad=1
        fi
    done < <(sed -n 's/^#include "\([^"]*\)".*/\1/p' "$file")
done < <(find base store domain cli forms -name '*.h' -o -name '*.cpp' | sort)
exit $bad
