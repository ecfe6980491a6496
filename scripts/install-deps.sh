#!/usr/bin/env bash
# Installs every Debian package that building, running and testing Veldrix needs.
# Safe to run again: packages already present are left as they are.
set -euo pipefail

# wx3.2-i18n holds the GUI library's own Polish texts (stock buttons, dialogs).
# openbox is the window manager the placement tests run under (Xvfb alone has none,
# so a window could not be misplaced); xprop (x11-utils) tells when it has started.
packages=(
  build-essential cmake ninja-build pkg-config ccache git
  libwxgtk3.2-dev libwxsqlite3-3.2-dev wx3.2-i18n
  libsqlite3-dev freetds-dev libmariadb-dev libpq-dev libpq5
  libssl-dev openssl libcurl4-openssl-dev nlohmann-json3-dev libicu-dev
  libgtest-dev libgmock-dev libbenchmark-dev sqlite3
  xvfb openbox x11-utils locales python3
  postgresql mariadb-server
)

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ "${#missing[@]}" -gt 0 ]; then
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update
  $SUDO apt-get install -y --no-install-recommends "${missing[@]}"
fi

# The tests run number and date helpers under the Polish locale too.
if ! locale -a 2>/dev/null | grep -qi '^pl_PL\.utf-\?8$'; then
  if [ -f /etc/locale.gen ]; then
    $SUDO sed -i 's/^# *pl_PL.UTF-8 UTF-8/pl_PL.UTF-8 UTF-8/' /etc/locale.gen
    grep -q '^pl_PL.UTF-8 UTF-8' /etc/locale.gen || echo 'pl_PL.UTF-8 UTF-8' | $SUDO tee -a /etc/locale.gen >/dev/null
    $SUDO locale-gen
  else
    $SUDO localedef -i pl_PL -f UTF-8 pl_PL.UTF-8
  fi
fi
