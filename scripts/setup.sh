#!/usr/bin/env bash
# Installs, with apt-get, what building and testing Quillow needs and this
# machine lacks. Groups beyond the base are asked for by name:
#   scripts/setup.sh            compiler, CMake, Ninja, GoogleTest, snmpd, snmp, snmptrapd, iproute2
#   scripts/setup.sh fuzz       clang and its sanitizer runtimes
#   scripts/setup.sh bench      Google Benchmark, the reference SNMP library, gnuplot, jq, valgrind
#   scripts/setup.sh windows    the MinGW-w64 cross compiler, GoogleTest's sources and wine
#   scripts/setup.sh package    dpkg tools, pkg-config, make and the manual page formatters
set -euo pipefail

packages=(g++ cmake ninja-build libgtest-dev snmpd snmp snmptrapd iproute2 util-linux)
for group in "$@"; do
  case "$group" in
    fuzz) packages+=(clang libclang-rt-14-dev) ;;
    bench) packages+=(libbenchmark-dev libsnmp-dev pkg-config gnuplot-nox jq valgrind) ;;
    windows) packages+=(g++-mingw-w64-x86-64-posix googletest wine wine64) ;;
    package) packages+=(dpkg-dev file pkg-config make groff-base mandoc) ;;
    *) echo "setup.sh: unknown group '$group' (known: fuzz bench windows package)" >&2; exit 2 ;;
  esac
done

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -eq 0 ]; then
  as_root=()
elif command -v sudo >/dev/null 2>&1 && sudo -n true 2>/dev/null; then
  as_root=(sudo)
else
  echo "Quillow needs these Debian packages, which are not installed:" >&2
  echo "  ${missing[*]}" >&2
  echo "Install them as root, then run this again:" >&2
  echo "  apt-get update && apt-get install -y ${missing[*]}" >&2
  exit 1
fi

echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
"${as_root[@]}" apt-get update -qq
"${as_root[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
