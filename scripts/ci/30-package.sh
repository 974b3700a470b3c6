#!/usr/bin/env bash
# step: install into temporary prefixes (static and shared library), build examples/consumer against each with find_package and with pkg-config and run it, lint the manual page, build the Debian package and install it into a throwaway root
set -euo pipefail
cd "$(dirname "$0")/../.."
bash scripts/setup.sh package
src=$PWD
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# An installed tool must find its shared library by itself.
unset LD_LIBRARY_PATH

fail() { echo "package check: $*" >&2; exit 1; }
# run_expect STATUS EXPECTED_OUTPUT_FILE COMMAND...: the command must exit
# with STATUS and print exactly what the file holds.
run_expect() {
  local want=$1 expected=$2 status=0
  shift 2
  "$@" >"$work/out" 2>"$work/err" || status=$?
  if [ "$status" != "$want" ] || ! cmp -s "$expected" "$work/out"; then
    echo "package check: '$*' exited with $status (expected $want) and printed:" >&2
    cat "$work/out" "$work/err" >&2
    echo "--- expected:" >&2
    cat "$expected" >&2
    exit 1
  fi
}

version=$(sed -n 's/^project(Quillow VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
major=${version%%.*}
minor=${version#*.}
minor=${minor%%.*}
[ -n "$version" ] || fail "no project version in CMakeLists.txt"

# The consumer's request (community "harbour", request-id 4242, the system
# description) as its bytes go on the wire, and what it reads back from them.
cat >"$work/consumer.expected" <<'EOF'
request: 30 28 02 01 00 04 07 68 61 72 62 6F 75 72 A0 1A 02 02 10 92 02 01 00 02 01 00 30 0E 30 0C 06 08 2B 06 01 02 01 01 01 00 05 00
decoded: version 0, community harbour, pdu 0xA0, request-id 4242, 1 binding(s)
binding 1: 1.3.6.1.2.1.1.1.0 Opaque ""
EOF
# The same, then the agent's answer.
sysdescr="Quillow package check agent $$"
cp "$work/consumer.expected" "$work/consumer-agent.expected"
cat >>"$work/consumer-agent.expected" <<EOF
reply: pdu 0xA2, request-id 4242, error-status 0
binding 1: 1.3.6.1.2.1.1.1.0 String "$sysdescr"
EOF
printf '%s' "$sysdescr" >"$work/sysdescr.expected"
with_agent() { QUILLOW_SYSDESCR="$sysdescr" bash "$src/scripts/with-agent.sh" "$@"; }

# The tool as a user finds it after an install: the usage text with the
# project's version on the banner, and a value from a real agent.
check_tool() {
  local tool=$1 status=0
  "$tool" >"$work/usage" 2>&1 || status=$?
  [ "$status" = 1 ] || fail "$tool without arguments exited with $status, not 1"
  grep -q "^Quillow v$major\.$minor " "$work/usage" || fail "$tool shows no 'Quillow v$major.$minor' banner"
  run_expect 0 "$work/sysdescr.expected" with_agent "$tool" 127.0.0.1 harbour 1.3.6.1.2.1.1.1.0
}

echo "-- manual page"
groff -ww -man -z docs/quillow.1 2>"$work/groff.log"
[ ! -s "$work/groff.log" ] || { cat "$work/groff.log" >&2; fail "groff warns about docs/quillow.1"; }
mandoc -Tlint -W warning docs/quillow.1 || fail "mandoc warns about docs/quillow.1"
# Every outcome text that the tool holds stands in the page, whole, on a line
# of its own.
bash scripts/build.sh build
groff -man -Tascii -P-cbou docs/quillow.1 2>/dev/null | sed 's/^ *//' >"$work/page.txt"
strings -n 16 build/quillow | grep '^ERROR' >"$work/outcomes.txt" || true
[ "$(wc -l <"$work/outcomes.txt")" = 3 ] || { cat "$work/outcomes.txt" >&2; fail "expected three ERROR texts in build/quillow"; }
while IFS= read -r text; do
  grep -Fxq -- "$text" "$work/page.txt" || fail "the manual page lacks the outcome text: $text"
done <"$work/outcomes.txt"

# install_into BUILD_DIR NAME: installs, then moves the prefix elsewhere, so
# that whatever still points at the first place shows up.
install_into() {
  cmake --install "$1" --prefix "$work/staging/$2" >/dev/null
  mv "$work/staging/$2" "$work/$2"
}

# check_prefix NAME: the installed layout, the headers, the tool and the
# consumer built both ways.
check_prefix() {
  local name=$1 prefix=$work/$1
  for f in bin/quillow share/man/man1/quillow.1 include/quillow/message/message.h \
           lib/cmake/Quillow/QuillowConfig.cmake lib/cmake/Quillow/QuillowConfigVersion.cmake \
           lib/pkgconfig/quillow.pc; do
    [ -f "$prefix/$f" ] || fail "$name: $f is not installed"
  done
  if [ "$name" = static ]; then
    [ -f "$prefix/lib/libquillow-snmp.a" ] || fail "static: no libquillow-snmp.a"
    ! ls "$prefix"/lib/libquillow-snmp.so* >/dev/null 2>&1 || fail "static: a shared library was installed"
  else
    [ -f "$prefix/lib/libquillow-snmp.so.$version" ] && [ -L "$prefix/lib/libquillow-snmp.so.$major" ] \
      && [ -L "$prefix/lib/libquillow-snmp.so" ] || fail "shared: the library or its links are missing"
    readelf -d "$prefix/lib/libquillow-snmp.so.$version" | grep -q "SONAME.*\[libquillow-snmp\.so\.$major\]" \
      || fail "shared: the library's soname is not libquillow-snmp.so.$major"
  fi

  # Each installed header compiles on its own under the one include prefix.
  (cd "$prefix/include" && find quillow -name '*.h' | sort) >"$work/headers"
  [ -s "$work/headers" ] || fail "$name: no headers under include/quillow"
  while IFS= read -r header; do
    echo "#include <$header>" | c++ -std=c++17 -fsyntax-only -Wall -Wextra -Wpedantic -Wconversion -Werror \
      -I"$prefix/include" -x c++ - || fail "$name: <$header> does not compile on its own"
  done <"$work/headers"

  [ "$(PKG_CONFIG_PATH="$prefix/lib/pkgconfig" pkg-config --modversion quillow)" = "$version" ] \
    || fail "$name: pkg-config does not give version $version"

  check_tool "$prefix/bin/quillow"

  # find_package(Quillow) and the target Quillow::snmp.
  cp -r "$src/examples/consumer" "$work/consumer-cmake-$name"
  cmake -S "$work/consumer-cmake-$name" -B "$work/consumer-cmake-$name/build" -G Ninja \
    -DCMAKE_PREFIX_PATH="$prefix" -DCMAKE_CXX_FLAGS="-Wall -Wextra -Wpedantic -Wconversion -Werror" >/dev/null
  cmake --build "$work/consumer-cmake-$name/build" >/dev/null
  # pkg-config, through the example's Makefile.
  cp -r "$src/examples/consumer" "$work/consumer-pc-$name"
  PKG_CONFIG_PATH="$prefix/lib/pkgconfig" make -s -C "$work/consumer-pc-$name" \
    CXXFLAGS="-O2 -Wall -Wextra -Wpedantic -Wconversion -Werror"

  for consumer in "$work/consumer-cmake-$name/build/consumer" "$work/consumer-pc-$name/consumer"; do
    if [ "$name" = shared ]; then
      readelf -d "$consumer" | grep -q "NEEDED.*libquillow-snmp\.so\.$major" || fail "$consumer is not linked to the shared library"
    else
      ! readelf -d "$consumer" | grep -q 'NEEDED.*libquillow-snmp' || fail "$consumer needs a shared library"
    fi
    LD_LIBRARY_PATH="$prefix/lib" run_expect 0 "$work/consumer.expected" "$consumer"
    LD_LIBRARY_PATH="$prefix/lib" run_expect 0 "$work/consumer-agent.expected" with_agent "$consumer" 127.0.0.1 harbour
  done
  echo "$name: installed, headers stand alone, tool and consumer (find_package, pkg-config) run"
}

echo "-- install and consumer, static library"
install_into build static
check_prefix static

echo "-- install and consumer, shared library"
bash scripts/build.sh build-shared -DBUILD_SHARED_LIBS=ON -DQUILLOW_TEST=OFF
install_into build-shared shared
check_prefix shared

# check_deb BUILD_DIR NAME: the Debian package holds the tool and its manual
# page (and the shared library when there is one), and dpkg installs it.
check_deb() {
  local build=$1 name=$2 deb
  mkdir -p "$work/deb-$name"
  (cd "$work/deb-$name" && cpack -G DEB --config "$src/$build/CPackConfig.cmake" -B "$work/deb-$name") \
    >"$work/cpack.log" 2>&1 || { cat "$work/cpack.log" >&2; fail "$name: cpack failed"; }
  deb="$work/deb-$name/quillow_${version}_$(dpkg --print-architecture).deb"
  [ -f "$deb" ] || { ls "$work/deb-$name" >&2; fail "$name: cpack made no $(basename "$deb")"; }
  [ "$(dpkg-deb -f "$deb" Package)" = quillow ] || fail "$name: the package is not named quillow"
  [ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "$name: the package version is not $version"
  dpkg-deb -f "$deb" Depends | grep -q 'libc6' || fail "$name: the package depends on nothing"

  dpkg -c "$deb" | awk '{print $6}' | grep -v '/$' | sort >"$work/contents"
  if [ "$name" = static ]; then
    printf '%s\n' ./usr/bin/quillow ./usr/share/man/man1/quillow.1 >"$work/contents.expected"
  else
    printf '%s\n' ./usr/bin/quillow ./usr/lib/libquillow-snmp.so.$major ./usr/lib/libquillow-snmp.so.$version \
      ./usr/share/man/man1/quillow.1 >"$work/contents.expected"
  fi
  diff -u "$work/contents.expected" "$work/contents" || fail "$name: unexpected package contents"

  dpkg -x "$deb" "$work/extracted-$name"
  check_tool "$work/extracted-$name/usr/bin/quillow"

  # The static package has no maintainer scripts, so dpkg can really install
  # it into a throwaway root that knows the machine's packages: the
  # dependencies are checked as on the machine itself. (The shared package
  # runs ldconfig after installing, which needs a whole system in the root.)
  if [ "$name" = static ]; then
    local root=$work/root-$name
    mkdir -p "$root/var/lib/dpkg/info" "$root/var/lib/dpkg/updates"
    cp /var/lib/dpkg/status "$root/var/lib/dpkg/status"
    touch "$root/var/lib/dpkg/available"
    dpkg-query -W -f='${binary:Package}\n' | sed "s|.*|$root/var/lib/dpkg/info/&.list|" | xargs touch
    dpkg --root="$root" --force-not-root --log=/dev/null -i "$deb" >/dev/null
    [ "$(dpkg-query --root="$root" -W -f='${Status}' quillow)" = "install ok installed" ] \
      || fail "$name: dpkg did not install the package"
    check_tool "$root/usr/bin/quillow"
    dpkg --root="$root" --force-not-root --log=/dev/null -r quillow >/dev/null
    [ ! -e "$root/usr/bin/quillow" ] || fail "$name: removing the package left the tool behind"
  fi
  echo "$name: $(basename "$deb") holds $(wc -l <"$work/contents") files; its tool runs"
}

echo "-- Debian package"
check_deb build static
check_deb build-shared shared
