# Shared settings of the project's scripts; sourced, never run.
# MOSSGATE_BUILD_DIR moves the whole build (and its private Wine prefix) elsewhere.
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
BUILD=${MOSSGATE_BUILD_DIR:-$ROOT/build}
mkdir -p "$BUILD"
BUILD=$(cd "$BUILD" && pwd)
WIN32_BUILD=$BUILD/win32
THIRD_PARTY_CACHE=$BUILD/third_party

as_root() {
    if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

log() { printf '== %s\n' "$*" >&2; }
