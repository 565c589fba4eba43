#!/usr/bin/env bash
# Runs the brima tool on good and broken files and checks exit codes and key output.
# usage: brima_test.sh BRIMA SOURCE_DIR
set -u
brima=$1
source_dir=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
passed=0
failed=0

# expect EXIT_CODE PATTERN COMMAND...: the command exits with EXIT_CODE and its
# output (standard output and error) matches PATTERN.
expect() {
  local code=$1 pattern=$2
  shift 2
  local output status
  output=$("$@" 2>&1)
  status=$?
  if [ "$status" -eq "$code" ] && grep -q -E -- "$pattern" <<<"$output"; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
    echo "FAILED: $* (exit $status, wanted $code, pattern '$pattern')"
    echo "$output" | head -20
  fi
}

asia=$source_dir/examples/asia.qdn
printf 'net broken {\n node a { TYPE = CPT; BOGUS = 1; };\n};\n' >"$work/problems.qdn"
printf 'net {\n' >"$work/fatal.qdn"
printf 'not a model' >"$work/model.txt"

expect 0 "8 nodes read, 0 dropped, status 0" "$brima" check "$asia"
expect 1 "\(line 2\) : ERROR: 'BOGUS' : Unknown Node Statement \[-127 SYNTAX ERROR\]" "$brima" check "$work/problems.qdn"
expect 2 "status -127 \(SYNTAX ERROR\)" "$brima" check "$work/fatal.qdn"
expect 2 "no such file" "$brima" check "$work/missing.qdn"
expect 2 "unknown file format" "$brima" check "$work/model.txt"
expect 1 "ERROR: 'not' : 'net' expected" "$brima" check "$work/model.txt" --format 4
expect 2 "needs a format number" "$brima" check "$asia" --format 12
expect 0 "usage: brima check" "$brima" check --help
expect 0 "usage: brima COMMAND" "$brima" --help
expect 2 "unknown command" "$brima" frobnicate
expect 0 "^brima [0-9]+\.[0-9]+" "$brima" --version
expect 0 "Exit codes: 0 success; 1 'check' read the file but logged problems; 2 failure" "$brima" --help
for command in check info convert dot; do
  expect 0 "usage: brima $command .*" "$brima" $command --help
  expect 0 "usage: brima $command .*" "$brima" help $command
  expect 0 "^Exit code: 0 " "$brima" help $command
done
expect 2 "unknown command 'frobnicate'" "$brima" help frobnicate
# A logged problem shows its real status, not the name the library's callers know.
{
  printf 'net { }\nnode a { states = ("x" "y"); }\npotential (a) { data = '
  printf '(%.0s' $(seq 300)
  printf ')%.0s' $(seq 300)
  printf '; }\n'
} >"$work/deep.net"
expect 1 "Table nested too deeply \[-127 SYNTAX ERROR\]" "$brima" check "$work/deep.net"

expect 0 "node dysp \(CPT\)" "$brima" info "$asia"
expect 0 '"parents": \["bronc", "either"\]' "$brima" info "$asia" --json
expect 0 '"either" -> "dysp";' "$brima" dot "$asia"

expect 0 "8 nodes" "$brima" convert "$asia" "$work/copy.qdn"
expect 0 "8 nodes read, 0 dropped, status 0" "$brima" check "$work/copy.qdn"
echo "old" >"$work/kept.qdn"
expect 2 "Writing to KI file format not supported" "$brima" convert "$asia" "$work/kept.qdn" --to 7
expect 0 "old" cat "$work/kept.qdn"
expect 2 "unknown output format" "$brima" convert "$asia" "$work/out.unknown"
expect 0 "9 BIF \(\.bif\)" "$brima" --help
expect 0 "8 nodes" "$brima" convert "$asia" "$work/ASIA.BIF"
expect 0 "8 nodes read, 0 dropped, status 0" "$brima" check "$work/ASIA.BIF"
expect 0 "8 nodes" "$brima" convert "$work/ASIA.BIF" "$work/back.qdn"
expect 2 "OPEN FILE FAILED" "$brima" convert "$asia" "$work/no/such/dir/out.qdn"

# A size bomb: a few bytes that declare a table of 216,000,000 cells.
printf '3\n\n600\t600\t600\n\n0\n0\n2\t1\t2\n' >"$work/bomb.erg"
expect 2 "node 'Node2' needs a table of 216000000 cells.*budget is 16777216 cells" \
  "$brima" check "$work/bomb.erg"
expect 2 "budget is 10 cells" "$brima" check "$asia" --max-cells 10
expect 2 "budget is 10 cells" env CALLBRIMA_MAX_CELLS=10 "$brima" check "$asia"
expect 0 "status 0" env CALLBRIMA_MAX_CELLS=10 "$brima" check "$asia" --max-cells 100000
expect 2 "needs a number of cells" "$brima" check "$asia" --max-cells 0

# A name without a registered extension is read in the format its contents show.
expect 0 "8 nodes" "$brima" convert "$asia" "$work/asia.xml03"
cp "$work/asia.xml03" "$work/asia.bifxml"
expect 0 "read as XMLBIF 0.3 \(format 6, chosen by the file's first bytes\)" "$brima" check "$work/asia.bifxml"
expect 0 "read as native text \(format 4, chosen by extension\)" "$brima" check "$asia"
expect 0 "node dysp \(CPT\)" "$brima" info "$work/asia.bifxml"

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
