#!/bin/sh
# Stands in for the system's web browser: records the address it was asked to open.
printf '%s\n' "$*" >>"${VELM_BROWSER_LOG:-/tmp/velm-browser.log}"
