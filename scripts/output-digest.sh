#!/usr/bin/env bash
# Prints a digest of everything brima reads and writes for the model files
# of the repository: what `check` and `info --json` say of each file, and,
# for each file and each writable format, the exit code, the messages and
# the SHA-256 of the written file, then the same for that file read back and
# written as native text. Two builds whose digests are equal read and write
# every one of these files identically, which is what a restructuring of
# the code must keep.
#
# usage: scripts/output-digest.sh BRIMA [OUT]   (OUT: the digest file; stdout by default)
set -euo pipefail

brima=$(realpath "$1")
out=${2:-/dev/stdout}
root=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

extensions=(qdn xqdn net dne dsc erg xml03 bif dxp)

# Runs brima, printing its exit code and its messages with the scratch
# folder's name taken out, and without the lines that time a slow read or
# write (they depend on the machine's load, not on the code).
run() {
  local code=0 text
  text=$("$brima" "$@" 2>&1) || code=$?
  text=$(grep -Ev '^brima: (read|wrote) .* in [0-9.]+ s$' <<<"$text" || true)
  printf 'exit %s\n%s\n' "$code" "${text//$work/WORK}"
}

digest() {
  if [[ -f $1 ]]; then sha256sum <"$1" | cut -c1-64; else echo "no file"; fi
}

{
  cd "$root"
  find tests/corpus fuzz/corpus -type f ! -name '*.md' ! -name '*.json' | LC_ALL=C sort |
    while read -r file; do
      echo "=== $file"
      echo "--- check"
      run check "$file"
      echo "--- info"
      run info "$file" --json
      for ext in "${extensions[@]}"; do
        rm -f "$work"/*
        echo "--- to $ext"
        run convert "$file" "$work/out.$ext"
        digest "$work/out.$ext"
        if [[ -f $work/out.$ext ]]; then
          echo "--- to $ext, back to qdn"
          run convert "$work/out.$ext" "$work/back.qdn"
          digest "$work/back.qdn"
        fi
      done
    done
} >"$out"
