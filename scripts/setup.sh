#!/bin/sh
# Installs every Debian package that building, testing and running Tavlin need,
# but only when something is missing, so repeated runs cost nothing.
set -e
# fonts-wqy-microhei and fonts-symbola are small faces the canvas falls back to for CJK,
# symbols and emoji that the Liberation faces lack.
PACKAGES="g++ cmake ninja-build pkg-config qt6-base-dev libqt6opengl6-dev libjpeg62-turbo-dev fonts-liberation fontconfig \
fonts-wqy-microhei fonts-symbola \
libgtest-dev libgmock-dev libbenchmark-dev clang libclang-rt-14-dev libxml2-dev libgif-dev xvfb xauth \
desktop-file-utils man-db dpkg-dev file libsimdjson-dev libsqlite3-dev poppler-utils"
missing=""
for p in $PACKAGES; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing="$missing $p"
    fi
done
if [ -n "$missing" ]; then
    echo "Installing:$missing"
    SUDO=""
    if [ "$(id -u)" != 0 ]; then SUDO=sudo; fi
    export DEBIAN_FRONTEND=noninteractive
    $SUDO apt-get update
    $SUDO apt-get install -y --no-install-recommends $missing
fi
