#!/bin/sh
# Installs the Debian packages named on the command line that are missing.
# Used by `make`; runs apt-get through sudo when not root.
set -eu
missing=""
for package in "$@"; do
  status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
  case "$status" in
    *"install ok installed"*) ;;
    *) missing="$missing $package" ;;
  esac
done
[ -z "$missing" ] && exit 0
echo "Installing:$missing"
if [ "$(id -u)" -eq 0 ]; then sudo=""; else sudo="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
# shellcheck disable=SC2086
$sudo apt-get install -y -qq --no-install-recommends $missing
