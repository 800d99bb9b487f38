#!/usr/bin/env bash
# Starts Packwatch against the virtual notebook. Until the program's windows exist this
# shows the virtual notebook's state instead.
set -euo pipefail
build=${1:-build}
if [ -x "$build/bin/packwatch" ]; then
  exec "$build/bin/packwatch"
elif [ -x "$build/bin/vnbctl" ]; then
  echo "The Packwatch window is not built yet; showing the virtual notebook instead:"
  exec "$build/bin/vnbctl" status
else
  echo "Nothing to run yet: neither packwatch nor vnbctl has been built." >&2
  exit 1
fi
