#!/usr/bin/env bash
# Files and keystreams cross between the Linux and the Windows build of the
# document library: what one build protects, the other reads back, and both
# give the same keystream bytes at the same stream offsets.
#   interop_test.sh <linux driver> <windows driver .exe> <wine> <scratch dir>
set -euo pipefail
linux=$1 windows=$2 wine=$3 scratch=$4
rm -rf "$scratch"
mkdir -p "$scratch"

# What the programs print on standard error, shown with a failed check.
errors="$scratch/errors"
windows_run() {
  local out status
  out=$("$wine" "$windows" "$@" 2>>"$errors") || status=$?
  printf '%s' "$out" | tr -d '\r'
  [[ -z "${status:-}" ]] || { echo "wine $(basename "$windows") $1: exit status $status" >>"$errors"; return "$status"; }
}
windows_path() { printf 'Z:%s' "$1"; }  # wine's Z: drive is the Unix root
failures=0
check() {  # <description> <command...>: the command must succeed
  local what=$1
  shift
  : >"$errors"
  if "$@" 2>>"$errors"; then
    echo "ok: $what"
  else
    echo "FAILED: $what"
    sed 's/^/  | /' "$errors"
    failures=$((failures + 1))
  fi
}

# Keystreams: each key size, offsets at block edges, at 2^31 and at the
# sign-extended offsets the file pass uses past 2 GiB.
key32=000102030405060708090a0b0c0d0e0f101112131415161718191a1b1c1d1e1f
nonce=f0f1f2f3f4f5f6f7
for key in ${key32:0:32} ${key32:0:48} $key32; do
  for offset in 0 1 15 16 4095 0x7fffffff 0xffffffff80000000 0xfffffffffffffff0; do
    same_keystream() {
      local from_linux from_windows
      from_linux=$("$linux" keystream "$key" "$nonce" "$offset" 100) &&
        from_windows=$(windows_run keystream "$key" "$nonce" "$offset" 100) || return 1
      ((${#from_linux} == 200)) && [[ "$from_linux" == "$from_windows" ]] && return 0
      echo "Linux: $from_linux" >&2
      echo "Windows: $from_windows" >&2
      return 1
    }
    check "keystream, $((${#key} * 4))-bit key, offset $offset" same_keystream
  done
done

# Documents of several chunks and a ragged end, each way.
key=$(head -c 32 /dev/urandom | od -An -tx1 | tr -d ' \n')
head -c $((3 * 1048576 + 17)) /dev/urandom >"$scratch/plain"
linux_to_windows() {
  "$linux" protect "$scratch/plain" "$scratch/by-linux.doc" "$key" &&
    windows_run unprotect "$(windows_path "$scratch/by-linux.doc")" \
      "$(windows_path "$scratch/by-linux.plain")" "$key" &&
    cmp "$scratch/plain" "$scratch/by-linux.plain"
}
windows_to_linux() {
  windows_run protect "$(windows_path "$scratch/plain")" "$(windows_path "$scratch/by-windows.doc")" "$key" &&
    "$linux" unprotect "$scratch/by-windows.doc" "$scratch/by-windows.plain" "$key" &&
    cmp "$scratch/plain" "$scratch/by-windows.plain"
}
check "protected by Linux, read back by Windows" linux_to_windows
check "protected by Windows, read back by Linux" windows_to_linux
# The two headers differ only where they must: the nonce and the CRC.
same_layout() {
  cmp -n 96 "$scratch/by-linux.doc" "$scratch/by-windows.doc" &&
    cmp -i 104:104 -n 404 "$scratch/by-linux.doc" "$scratch/by-windows.doc"
}
check "headers of both builds share their layout" same_layout

rm -rf "$scratch"
((failures == 0)) || { echo "$failures interop checks failed"; exit 1; }
