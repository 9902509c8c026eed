# Shared set-up for scripts/test, scripts/demo and scripts/bench: packages, locale, builds, Wine
# prefixes, X display. Sourced, not run. Every step is idempotent so a second run is quick.
#
# Two Windows targets are built from the same sources: build/win (the 32-bit product, i386) and
# build/win64 (x86-64). Some hosts cannot run 32-bit programs at all (every i386 program, Wine's
# 32-bit loader included, fails with "Exec format error"); there only the 64-bit target runs, under
# /usr/lib/wine/wine64 in a 64-bit prefix. VELM_WINE_ARCH=win64 takes that path on any host.

VELM_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
VELM_BUILD="$VELM_ROOT/build"
export WINEDEBUG=-all

# The demo server's port. A second checkout on the same machine picks another one before its first
# build, so the two test runs do not meet on one port.
export VELM_DEMO_PORT="${VELM_DEMO_PORT:-8731}"

velm_log() { printf '== %s\n' "$*" >&2; }

VELM_PACKAGES=(g++-mingw-w64-i686 g++-mingw-w64-x86-64 wine wine32 wine64 xvfb xauth cmake
    ninja-build googletest g++ imagemagick x11-apps fonts-wqy-microhei fonts-wine locales icoutils
    python3 clang-format clang libclang-rt-14-dev nsis python3-cryptography curl xdotool
    osslsigncode openssl ccache)

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

# Whether this host runs 32-bit programs, found out by running Wine's 32-bit loader. Sets
# VELM_I386 to 1 or 0 and says what it found.
velm_detect_i386() {
    if [ "${VELM_WINE_ARCH:-}" = win64 ]; then
        VELM_I386=0
        velm_log "VELM_WINE_ARCH=win64: only the 64-bit target runs under Wine"
    elif /usr/lib/wine/wine --version >/dev/null 2>&1; then
        VELM_I386=1
        velm_log "this host runs 32-bit programs: both targets run under Wine"
    else
        VELM_I386=0
        velm_log "this host cannot run 32-bit programs (/usr/lib/wine/wine does not start):" \
            "only the 64-bit target runs under Wine"
    fi
}

# The target whose programs run here for the demo and the benchmarks: win32 where it can, else
# win64.
velm_client_arch() {
    if [ "$VELM_I386" = 1 ]; then echo win32; else echo win64; fi
}

# The build tree of a Wine architecture.
velm_tree() {
    if [ "$1" = win64 ]; then echo win64; else echo win; fi
}

# Points the Wine commands at one architecture's prefix and loader: WINEPREFIX, WINEARCH,
# WINELOADER and VELM_WINE (the loader to call; Debian's `wine` wrapper always tries the 32-bit
# loader first, which cannot start on a 64-bit-only host).
velm_wine_use() {
    export WINEARCH=$1
    if [ "$1" = win64 ]; then
        export WINEPREFIX="$VELM_BUILD/wine64"
        VELM_WINE=/usr/lib/wine/wine64
    else
        export WINEPREFIX="$VELM_BUILD/wine"
        VELM_WINE=/usr/lib/wine/wine
    fi
    export WINELOADER=$VELM_WINE
}

# velm_build NAME [cmake args...]; VELM_TARGET, when set, builds only those targets.
velm_build() {
    local name=$1
    shift
    local dir="$VELM_BUILD/$name"
    if [ ! -f "$dir/build.ninja" ]; then
        cmake -S "$VELM_ROOT" -B "$dir" -G Ninja "$@" >/dev/null
    fi
    # shellcheck disable=SC2086 # VELM_TARGET is a list of target names
    cmake --build "$dir" ${VELM_TARGET:+--target $VELM_TARGET} -- -j"$(nproc)"
}

# Both Windows trees build the players' client (system browser engine, build/<tree>/player/) and
# its installer beside the tests' client. The 32-bit tree's tests are built only where they run.
velm_build_all() {
    velm_build host -DCMAKE_BUILD_TYPE=Debug
    velm_build fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_C_COMPILER=clang \
        -DCMAKE_CXX_COMPILER=clang++ -DVELM_FUZZ=ON
    local product=
    [ "$VELM_I386" = 1 ] || product="velm velm_player velm_installer velm_demo_release"
    VELM_TARGET=$product velm_build win -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_TOOLCHAIN_FILE="$VELM_ROOT/cmake/mingw-i686.cmake" \
        -DVELM_DEMO_PORT="$VELM_DEMO_PORT"
    velm_build win64 -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_TOOLCHAIN_FILE="$VELM_ROOT/cmake/mingw-x86_64.cmake" \
        -DVELM_DEMO_PORT="$VELM_DEMO_PORT"
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

# The wineserver of the current prefix is started persistent and with stdio detached, so later
# wine calls are fast and do not hold a caller's output pipe open.
velm_start_wine() {
    wineserver -p </dev/null >/dev/null 2>&1
    "$VELM_WINE" wineboot </dev/null >/dev/null 2>&1 || true
}

# Stops the wineservers of both prefixes (whichever are running).
velm_stop_wine() {
    local prefix
    for prefix in "$VELM_BUILD/wine" "$VELM_BUILD/wine64"; do
        [ -d "$prefix" ] || continue
        WINEPREFIX=$prefix wineserver -k </dev/null >/dev/null 2>&1 || true
        WINEPREFIX=$prefix wineserver -w </dev/null >/dev/null 2>&1 || true
    done
}

# Creates the current architecture's prefix (velm_wine_use) once: fonts, locale settings, desktop.
velm_prefix() {
    if [ -f "$WINEPREFIX/.velm-ready" ]; then
        return 0
    fi
    velm_log "creating the $WINEARCH Wine prefix in $WINEPREFIX"
    rm -rf "$WINEPREFIX"
    mkdir -p "$WINEPREFIX"
    WINEDLLOVERRIDES="mscoree,mshtml=" "$VELM_WINE" wineboot -i </dev/null >/dev/null 2>&1
    wineserver -w
    "$VELM_WINE" regsvr32 mshtml.dll </dev/null >/dev/null 2>&1 || true
    local fonts="$WINEPREFIX/drive_c/windows/Fonts"
    mkdir -p "$fonts"
    find /usr/share/wine/fonts -maxdepth 1 -type f ! -iname 'tahoma*' -exec cp {} "$fonts/" \;
    "$VELM_WINE" regedit /S "$("$VELM_WINE" winepath -w "$VELM_ROOT/scripts/lib/prefix.reg" \
        2>/dev/null)" </dev/null >/dev/null 2>&1
    wineserver -w
    touch "$WINEPREFIX/.velm-ready"
}
