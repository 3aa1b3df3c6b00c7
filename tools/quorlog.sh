#!/usr/bin/env bash
# Set-up, build and run (or test) Quorlog on Debian 12.
#   tools/quorlog.sh run    install what is missing, build, start the program
#   tools/quorlog.sh test   install what is missing, build, run every test
set -euo pipefail
action=${1:-run}
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${QUORLOG_BUILD_DIR:-$root/build}

packages=(
  cmake g++ make ccache pkg-config
  qtbase5-dev qtbase5-private-dev qtbase5-dev-tools libqt5sql5-sqlite libqt5svg5-dev qttools5-dev qttools5-dev-tools
  qttranslations5-l10n libqt5opengl5-dev
  libcurl4-openssl-dev libssl-dev zlib1g-dev libsqlite3-dev
  python3 python3-pyftpdlib python3-openssl openssl proftpd-core proftpd-mod-crypto
  poppler-utils gnupg fonts-dejavu-core valgrind fonts-dejavu-extra fonts-symbola sqlite3
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  sudo_cmd=()
  [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
  "${sudo_cmd[@]}" apt-get update -q
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
  # ProFTPD serves only the tests, which start their own on port 21: a system
  # daemon started by the package would take that port.
  if [[ " ${missing[*]} " == *" proftpd-core "* ]]; then
    "${sudo_cmd[@]}" sh -c 'service proftpd stop; update-rc.d proftpd disable' >/dev/null 2>&1 || true
  fi
fi

jobs=$(nproc)
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j "$jobs"

case "$action" in
  run)
    # Started in the caller's folder, where its file dialogs then open; it
    # finds its translations beside itself.
    exec "$build/bin/quorlog"
    ;;
  test)
    cd "$build"
    ctest -j "$jobs" --output-on-failure
    # Once more with the thread pool ending idle threads after 5 ms instead
    # of 30 s: a session's worker threads then end between its steps.
    echo "Once more, with worker threads that end when idle for 5 ms:"
    QUORLOG_TEST_POOL_EXPIRY_MS=5 exec ctest -j "$jobs" --output-on-failure -E '^tst_layers|valgrind'
    ;;
  *)
    echo "usage: $0 run|test" >&2
    exit 2
    ;;
esac
