#!/usr/bin/env bash
# Checks an installed suite under <prefix>: every program is there and
# starts from its installed place (libraries found through its run path),
# folio-host prints its help and protects and restores a document.
#
#   check_installed_suite.sh <prefix> <sample document> <scratch dir>
set -euo pipefail
prefix=$1 sample=$2 work=$3
fail() { echo "FAIL: $*" >&2; exit 1; }
mkdir -p "$work"

host="$prefix/bin/folio-host"
[[ -x "$host" ]] || fail "no $host"
"$host" --help >"$work/help.txt" || fail "folio-host --help"
grep -q "protect" "$work/help.txt" || fail "folio-host --help printed no commands"

for program in pageview Morlan Brevint; do
  [[ -x "$prefix/bin/$program" ]] || fail "no $prefix/bin/$program"
  # Only the loader is asked: a library it cannot resolve shows as "not found".
  if ldd "$prefix/bin/$program" | grep -q "not found"; then
    ldd "$prefix/bin/$program" >&2
    fail "$program cannot find its libraries"
  fi
done

cp "$sample" "$work/document.pdf"
"$host" protect "$work/document.pdf" "$work/document.fpd" >/dev/null || fail "protect"
"$host" unprotect "$work/document.fpd" "$work/restored.pdf" --key-file "$work/document.fpd.key" >/dev/null ||
  fail "unprotect"
cmp -s "$work/document.pdf" "$work/restored.pdf" || fail "the restored document differs"
echo "installed programs under $prefix: ok"
