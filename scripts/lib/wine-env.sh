# Environment of the project's private Wine: its own prefix and home under the build folder
# (never the user's), the Chinese locale so the ANSI code page is 936. Sourced, never run.
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
export WINEPREFIX=$BUILD/wine/prefix
export WINEARCH=win32
export HOME=$BUILD/wine/home
export LANG=zh_CN.UTF-8 LC_ALL=zh_CN.UTF-8
export WINEDEBUG=${WINEDEBUG:--all}
# No Mono or Gecko installer prompts in a fresh prefix.
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
RIG_DIR=$BUILD/rig
mkdir -p "$HOME"
if [ -z "${DISPLAY:-}" ] && [ -f "$RIG_DIR/display" ]; then
    export DISPLAY=$(cat "$RIG_DIR/display")
fi
