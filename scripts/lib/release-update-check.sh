#!/usr/bin/env bash
# scripts/release's update check under Wine, in a prefix and on an X display of its own:
#   release-update-check.sh ARCH PREFIX CHECKER FOLDER VERSION PROXY
# ARCH win32 or win64; CHECKER the release_update_check program; FOLDER holds the previous
# velm.exe; PROXY the address every HTTP request of the clients goes through (Wine's WinINet takes
# it from http_proxy). Prints the checker's report (Wine's own messages go to FOLDER/wine.log);
# exits with its status.
set -euo pipefail
source "$(dirname "$0")/common.sh"
arch=$1 prefix=$2 checker=$3 folder=$4 version=$5 proxy=$6

velm_locale_env
velm_wine_use "$arch"
export WINEPREFIX=$prefix
velm_start_xvfb
trap 'wineserver -k </dev/null >/dev/null 2>&1 || true; velm_stop_xvfb' EXIT
velm_prefix >/dev/null 2>&1
velm_start_wine
mkdir -p "$folder/tmp"
report=$folder/report.txt
status=0
http_proxy=$proxy HTTP_PROXY=$proxy no_proxy= NO_PROXY= \
    "$VELM_WINE" "$checker" "$("$VELM_WINE" winepath -w "$folder" 2>/dev/null)" "$version" \
    </dev/null >"$report" 2>"$folder/wine.log" || status=$?
tr -d '\r' <"$report"
exit "$status"
