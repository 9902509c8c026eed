# Shared set-up for scripts/test and scripts/demo: packages, locale, builds, Wine prefix, X display.
# Sourced, not run. Every step is idempotent so a second run is quick.

VELM_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
VELM_BUILD="$VELM_ROOT/build"
export WINEPREFIX="$VELM_BUILD/wine"
export WINEARCH=win32
export WINEDEBUG=-all

# The demo server's port. A second checkout on the same machine picks another one before its first
# build, so the two test runs do not meet on one port.
export VELM_DEMO_PORT="${VELM_DEMO_PORT:-8731}"

velm_log() { printf '== %s\n' "$*" >&2; }

VELM_PACKAGES=(g++-mingw-w64-i686 wine wine32 xvfb xauth cmake ninja-build googletest g++
    imagemagick x11-apps fonts-wqy-microhei fonts-wine locales icoutils python3 clang-format
    clang libclang-rt-14-dev nsis python3-cryptography curl)

velm_install_packages() {
    local missing=()
    local p
    for p in "${VELM_PACKAGES[@]}"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' ||
            missing+=("$p")
    done
    if ! dpkg --print-foreign-architectures | grep -qx i386; then
        velm_log "adding the i386 architecture"
        dpkg --add-architecture i386
        missing+=(wine32)
    fi
    if [ ${#missing[@]} -gt 0 ]; then
        velm_log "installing: ${missing[*]}"
        if [ "$(id -u)" -ne 0 ]; then
            echo "missing packages (${missing[*]}) and not root: install them first" >&2
            return 1
        fi
        DEBIAN_FRONTEND=noninteractive apt-get update -q >/dev/null
        DEBIAN_FRONTEND=noninteractive apt-get install -y -q "${missing[@]}" >/dev/null
    fi
    if ! locale -a 2>/dev/null | grep -qi '^zh_CN.utf8$'; then
        velm_log "generating the zh_CN.UTF-8 locale"
        sed -i 's/^# *zh_CN.UTF-8 UTF-8/zh_CN.UTF-8 UTF-8/' /etc/locale.gen
        grep -q '^zh_CN.UTF-8 UTF-8' /etc/locale.gen || echo 'zh_CN.UTF-8 UTF-8' >>/etc/locale.gen
        locale-gen >/dev/null
    fi
}

# Wine runs with the Chinese locale, so the ANSI code page is 936. Call after the install step.
velm_locale_env() {
    export LANG=zh_CN.UTF-8
    export LC_ALL=zh_CN.UTF-8
}

# velm_build NAME [cmake args...]; VELM_TARGET, when set, builds only that target.
velm_build() {
    local name=$1
    shift
    local dir="$VELM_BUILD/$name"
    if [ ! -f "$dir/build.ninja" ]; then
        cmake -S "$VELM_ROOT" -B "$dir" -G Ninja "$@" >/dev/null
    fi
    cmake --build "$dir" ${VELM_TARGET:+--target "$VELM_TARGET"} -- -j"$(nproc)"
}

velm_build_all() {
    velm_build host -DCMAKE_BUILD_TYPE=Debug
    velm_build fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_C_COMPILER=clang \
        -DCMAKE_CXX_COMPILER=clang++ -DVELM_FUZZ=ON
    velm_build win -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_TOOLCHAIN_FILE="$VELM_ROOT/cmake/mingw-i686.cmake" \
        -DVELM_DEMO_PORT="$VELM_DEMO_PORT"
    # The release configuration (the system browser engine) is built, not run, so it never rots.
    VELM_TARGET=velm velm_build release -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_TOOLCHAIN_FILE="$VELM_ROOT/cmake/mingw-i686.cmake" \
        -DVELM_DEMO_PORT="$VELM_DEMO_PORT" -DVELM_BROWSER_ENGINE=system
}

# Starts a private Xvfb and exports DISPLAY. VELM_XVFB_PID holds its pid.
velm_start_xvfb() {
    local fdfile
    fdfile=$(mktemp)
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$fdfile" </dev/null \
        >/dev/null 2>&1 &
    VELM_XVFB_PID=$!
    local i
    for i in $(seq 1 100); do
        [ -s "$fdfile" ] && break
        sleep 0.1
    done
    export DISPLAY=":$(head -n1 "$fdfile")"
    rm -f "$fdfile"
    velm_log "Xvfb on $DISPLAY"
}

velm_stop_xvfb() {
    if [ -n "${VELM_XVFB_PID:-}" ]; then
        kill "$VELM_XVFB_PID" 2>/dev/null || true
        wait "$VELM_XVFB_PID" 2>/dev/null || true
        VELM_XVFB_PID=
    fi
}

# The wineserver is started persistent and with stdio detached, so later wine calls are fast and
# do not hold a caller's output pipe open.
velm_start_wine() {
    wineserver -p </dev/null >/dev/null 2>&1
    wine wineboot </dev/null >/dev/null 2>&1 || true
}

velm_stop_wine() {
    wineserver -k </dev/null >/dev/null 2>&1 || true
    wineserver -w </dev/null >/dev/null 2>&1 || true
}

velm_prefix() {
    if [ -f "$WINEPREFIX/.velm-ready" ]; then
        return 0
    fi
    velm_log "creating the Wine prefix in $WINEPREFIX"
    rm -rf "$WINEPREFIX"
    mkdir -p "$WINEPREFIX"
    WINEDLLOVERRIDES="mscoree,mshtml=" wine wineboot -i </dev/null >/dev/null 2>&1
    wineserver -w
    wine regsvr32 mshtml.dll </dev/null >/dev/null 2>&1 || true
    local fonts="$WINEPREFIX/drive_c/windows/Fonts"
    mkdir -p "$fonts"
    find /usr/share/wine/fonts -maxdepth 1 -type f ! -iname 'tahoma*' -exec cp {} "$fonts/" \;
    wine regedit /S "$(winepath -w "$VELM_ROOT/scripts/lib/prefix.reg" 2>/dev/null)" \
        </dev/null >/dev/null 2>&1
    wineserver -w
    touch "$WINEPREFIX/.velm-ready"
}
