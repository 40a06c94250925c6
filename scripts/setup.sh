# Shared by scripts/run and scripts/test: installs the Debian packages the build needs when any
# is missing, then configures and builds (incrementally) into build/.
# shellcheck shell=bash
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
packages=(cmake ninja-build g++ pkg-config qt6-base-dev qt6-svg-dev libgl-dev libsqlite3-dev libcups2-dev libxlsxwriter-dev libsodium-dev sqlite3 fonts-dejavu-core fonts-dejavu-extra fonts-liberation)

install_missing() {
    local missing=()
    for p in "${packages[@]}"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
    done
    if [ ${#missing[@]} -gt 0 ]; then
        echo "Installing: ${missing[*]}"
        local sudo=""
        [ "$(id -u)" -ne 0 ] && sudo=sudo
        $sudo apt-get update -q
        DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q "${missing[@]}"
    fi
}

build() {
    cmake -S "$repo" -B "$repo/build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVOLMERA_WERROR=ON >/dev/null
    cmake --build "$repo/build" -j "$(nproc)"
}

# The checked build: clang with AddressSanitizer and UndefinedBehaviorSanitizer, and the fuzz
# targets, in build-asan/ (scripts/test-sanitizers, scripts/fuzz).
sanitizer_packages=(clang libclang-rt-14-dev llvm)

build_sanitized() {
    cmake -S "$repo" -B "$repo/build-asan" -G Ninja -DCMAKE_CXX_COMPILER=clang++ \
        -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-g -O1" -DVOLMERA_FUZZ=ON \
        -DVOLMERA_WERROR=ON >/dev/null
    cmake --build "$repo/build-asan" -j "$(nproc)"
}

# Any sanitizer report ends the run with a failure. Leaks are checked too, with no suppression:
# the tests and fuzz targets free everything, and Qt's own process-long caches are not reported.
sanitizer_env() {
    export ASAN_OPTIONS=detect_leaks=1:halt_on_error=1:strict_string_checks=1:detect_stack_use_after_return=1
    export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
    if command -v llvm-symbolizer >/dev/null; then
        ASAN_SYMBOLIZER_PATH=$(command -v llvm-symbolizer)
        export ASAN_SYMBOLIZER_PATH
    fi
}
