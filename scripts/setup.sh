# Shared by scripts/run and scripts/test: installs the Debian packages the build needs when any
# is missing, then configures and builds (incrementally) into build/.
# shellcheck shell=bash
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
packages=(cmake ninja-build g++ qt6-base-dev libgl-dev libsqlite3-dev libpq-dev libcups2-dev sqlite3 fonts-dejavu-core fonts-dejavu-extra fonts-liberation)

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
    cmake -S "$repo" -B "$repo/build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
    cmake --build "$repo/build" -j "$(nproc)"
}
