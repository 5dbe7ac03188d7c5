#!/usr/bin/env bash
# Sets up the real SearXNG of the test kit for the live-engine integration tests.
#   searxng-kit.sh DEST
# The kit is found at $SITEGAUGE_SEARXNG_KIT, else at ../shared/searxng beside the repository
# (where CI's clone finds it). Its setup.sh installs SearXNG into DEST (the Debian packages it
# needs come from scripts/install-deps --test). On success DEST/kit holds the kit's folder;
# without a kit DEST/missing says why, and the tests say so in their output.
set -u
here=$(cd "$(dirname "$0")" && pwd)
dest=${1:?destination folder}
mkdir -p "$dest"
rm -f "$dest/kit" "$dest/missing"
kit=${SITEGAUGE_SEARXNG_KIT:-$here/../../../shared/searxng}
if [ ! -f "$kit/setup.sh" ] || [ ! -f "$kit/instance.py" ]; then
    echo "no SearXNG kit at $kit (set SITEGAUGE_SEARXNG_KIT): the real-SearXNG tests cannot run" |
        tee "$dest/missing"
    exit 0
fi
kit=$(cd "$kit" && pwd)
if ! bash "$kit/setup.sh" "$dest"; then
    echo "the SearXNG kit's setup.sh failed for $dest" | tee "$dest/missing"
    exit 1
fi
echo "$kit" > "$dest/kit"
