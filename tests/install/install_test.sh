#!/usr/bin/env bash
# The installed suite as its users meet it: install the build tree into a
# scratch prefix, run the installed folio-host (help, a protect/unprotect
# round trip), check the libraries' SONAMEs, and build the consumer example
# against the installed tree twice, with find_package and with pkg-config.
#
#   install_test.sh <source dir> <build dir> <scratch dir>
set -euo pipefail
source_dir=$1 build_dir=$2 scratch=$3
rm -rf "$scratch"
mkdir -p "$scratch"
prefix="$scratch/prefix"

fail() { echo "FAIL: $*" >&2; exit 1; }

cmake --install "$build_dir" --prefix "$prefix" >"$scratch/install.log" || fail "cmake --install"
"$source_dir/tests/install/check_installed_suite.sh" "$prefix" "$source_dir/samples/report.pdf" "$scratch/run"

# folio-host starts the viewer installed beside it: a stand-in pageview
# next to a copy of the tool records that it was the one started.
beside="$scratch/beside"
mkdir -p "$beside/bin"
ln -s "$prefix/lib" "$beside/lib"
cp "$prefix/bin/folio-host" "$beside/bin/"
printf '#!/bin/sh\necho "$@" >"%s"\n' "$beside/started-with" >"$beside/bin/pageview"
chmod +x "$beside/bin/pageview"
cp "$source_dir/samples/report.pdf" "$beside/report.pdf"
"$beside/bin/folio-host" protect "$beside/report.pdf" "$beside/report.fpd" >/dev/null
env -u FOLIO_PAGEVIEW "$beside/bin/folio-host" open "$beside/report.fpd" --key-file "$beside/report.fpd.key" ||
  fail "folio-host open with the viewer beside it"
grep -q "report.fpd" "$beside/started-with" 2>/dev/null || fail "folio-host did not start the pageview beside it"

for library in folioc cinelock; do
  soname=$(objdump -p "$prefix/lib/lib$library.so" | awk '$1 == "SONAME" { print $2 }')
  [[ "$soname" == "lib$library.so.0" ]] || fail "lib$library.so has SONAME '$soname'"
done

# find_package: the imported targets carry the include directory and the
# library; the example links them and nothing else.
cmake -S "$source_dir/examples/consumer" -B "$scratch/with-cmake" -G Ninja \
  "-DCMAKE_PREFIX_PATH=$prefix" >"$scratch/cmake-consumer.log" 2>&1 ||
  { cat "$scratch/cmake-consumer.log"; fail "configuring the consumer with find_package"; }
cmake --build "$scratch/with-cmake" >>"$scratch/cmake-consumer.log" 2>&1 ||
  { cat "$scratch/cmake-consumer.log"; fail "building the consumer with find_package"; }
"$scratch/with-cmake/consumer" || fail "the consumer built with find_package"

# pkg-config: the .pc files find the prefix from their own place.
cp -r "$source_dir/examples/consumer" "$scratch/with-pkg-config"
PKG_CONFIG_PATH="$prefix/lib/pkgconfig" make -s -C "$scratch/with-pkg-config" >"$scratch/make.log" 2>&1 ||
  { cat "$scratch/make.log"; fail "building the consumer with pkg-config"; }
LD_LIBRARY_PATH="$prefix/lib" "$scratch/with-pkg-config/consumer" || fail "the consumer built with pkg-config"
echo "installed tree and consumer builds: ok"
