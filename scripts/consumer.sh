#!/usr/bin/env bash
# Builds a small program against the library four ways and checks what each writes:
# the installed static package through find_package and through pkg-config, the
# installed shared package through find_package, and the source tree through
# add_subdirectory. Also checks that docs/hosts.md shows that program as it is.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
consumer=examples/consumer

check() {  # <program> <output>
  "$1" "$2"
  xmllint --noout "$2"
  grep -q '<rect x="10" y="10" width="80" height="50" rx="4" ry="4" opacity="1" fill="#2266AA"/>' "$2"
}

for kind in static shared; do
  shared=OFF; [ "$kind" = shared ] && shared=ON
  cmake -S . -B "$work/build-$kind" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=$shared \
    -DFSVG_BUILD_TESTS=OFF -DFSVG_BUILD_DEMO=OFF -DCMAKE_INSTALL_PREFIX="$work/prefix-$kind" >/dev/null
  cmake --build "$work/build-$kind" -j2 >/dev/null
  cmake --install "$work/build-$kind" >/dev/null
  cmake -S $consumer -B "$work/consumer-$kind" -G Ninja -DCMAKE_PREFIX_PATH="$work/prefix-$kind" >/dev/null
  cmake --build "$work/consumer-$kind" >/dev/null
  check "$work/consumer-$kind/consumer" "$work/$kind-find-package.svg"
  "$work/consumer-$kind/consumer_cairo" "$work/$kind-cairo"
  xmllint --noout "$work/$kind-cairo.svg"
  "$work/consumer-$kind/consumer_qt" "$work/$kind-qt"
  xmllint --noout "$work/$kind-qt.svg"
done

pc_dir=$(dirname "$(find "$work/prefix-static" -name fsvgcanvas.pc)")
# No -std here: the package's Cflags carry it.
# shellcheck disable=SC2046
g++ -Wall -Wextra -Wpedantic -Werror $consumer/ownhost.cpp -o "$work/consumer-pkg-config" \
  $(PKG_CONFIG_PATH="$pc_dir" pkg-config --cflags --libs fsvgcanvas)
check "$work/consumer-pkg-config" "$work/pkg-config.svg"
# shellcheck disable=SC2046
g++ -Wall -Wextra -Wpedantic -Werror $consumer/cairohost.cpp -o "$work/consumer-cairo-pkg-config" \
  $(PKG_CONFIG_PATH="$pc_dir" pkg-config --cflags --libs fsvgcairo)
"$work/consumer-cairo-pkg-config" "$work/pkg-config-cairo"
# shellcheck disable=SC2046
g++ -Wall -Wextra -Wpedantic -Werror -fPIC $consumer/qthost.cpp -o "$work/consumer-qt-pkg-config" \
  $(PKG_CONFIG_PATH="$pc_dir" pkg-config --cflags --libs fsvgqt)
"$work/consumer-qt-pkg-config" "$work/pkg-config-qt"

cmake -S $consumer -B "$work/consumer-subdirectory" -G Ninja -DFSVG_SOURCE_DIR="$root" >/dev/null
cmake --build "$work/consumer-subdirectory" >/dev/null
check "$work/consumer-subdirectory/consumer" "$work/subdirectory.svg"

# The documentation's example of a host of one's own (docs/hosts.md) is this program, verbatim.
sed -n '/<!-- consumer:begin -->/,/<!-- consumer:end -->/p' docs/hosts.md | sed '1,2d;$d' | sed '$d' >"$work/readme.cpp"
diff -u $consumer/ownhost.cpp "$work/readme.cpp"

echo "consumer: find_package (static, shared), pkg-config and add_subdirectory all built and wrote valid documents, with and without the Cairo and Qt hosts"
