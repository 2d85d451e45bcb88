#!/usr/bin/env bash
# The Debian package: made with CPack from the build tree, unpacked into a
# scratch root without installing it (dpkg -x), its dependencies read from
# its control data, its programs run from the unpacked tree.
#
#   package_test.sh <source dir> <build dir> <scratch dir>
set -euo pipefail
source_dir=$1 build_dir=$2 scratch=$3
rm -rf "$scratch"
mkdir -p "$scratch"
fail() { echo "FAIL: $*" >&2; exit 1; }

(cd "$build_dir" && cpack -G DEB -B "$scratch/out") >"$scratch/cpack.log" 2>&1 ||
  { tail -n 30 "$scratch/cpack.log"; fail "cpack"; }
package=$(ls "$scratch"/out/*.deb)
[[ -f "$package" ]] || fail "no package made"

depends=$(dpkg-deb -f "$package" Depends)
echo "Depends: $depends"
# The libraries the programs link, as Debian 12 names their packages.
for needed in libssl3 libavformat59 libsdl2-2.0-0 libqt5widgets5; do
  grep -q "\b$needed\b" <<<"$depends" || fail "the package does not depend on $needed"
done
dpkg-deb -c "$package" >"$scratch/contents.txt"
for path in /usr/share/man/man1/folio-host.1 /usr/share/man/man1/Morlan.1 /usr/include/folioc.h \
            /usr/share/doc/folio-suite/copyright /usr/lib/folio-suite/libpdfium.so; do
  grep -q "\.$path\$" "$scratch/contents.txt" || fail "the package has no $path"
done

dpkg -x "$package" "$scratch/root"
"$source_dir/tests/install/check_installed_suite.sh" "$scratch/root/usr" "$source_dir/samples/report.pdf" \
  "$scratch/run"
echo "package $(basename "$package"): ok"
