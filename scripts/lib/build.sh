# Configures and builds the Windows build (build/win32) and the native build (build). Sourced.
# MOSSGATE_WIN32_CMAKE_ARGS adds cache settings to the Windows build, for example
#   MOSSGATE_WIN32_CMAKE_ARGS="-DMOSSGATE_ADB_TOOLKIT_DIR=/path/to/platform-tools"
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

build_win32() {
    log "building the Windows program in $WIN32_BUILD"
    # shellcheck disable=SC2086
    cmake -S "$ROOT" -B "$WIN32_BUILD" -G Ninja -Wno-dev \
        -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-i686.cmake" -DCMAKE_BUILD_TYPE=Release \
        -DMOSSGATE_THIRD_PARTY_CACHE="$THIRD_PARTY_CACHE" ${MOSSGATE_WIN32_CMAKE_ARGS:-} >/dev/null
    cmake --build "$WIN32_BUILD" "$@"
}

build_native() {
    log "building the native tests in $BUILD"
    cmake -S "$ROOT" -B "$BUILD" -G Ninja -Wno-dev -DCMAKE_BUILD_TYPE=Debug -DMOSSGATE_WIN32_DIR="$WIN32_BUILD" >/dev/null
    cmake --build "$BUILD" "$@"
}
