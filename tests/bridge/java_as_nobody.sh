#!/usr/bin/env bash
# Runs the permission cases of HostSafetyTest in a JVM started as the
# unprivileged user nobody: as root, the kernel lets every file be written,
# so only another user shows whether a save respects the file's owner and mode.
# usage: java_as_nobody.sh JAVA LIBRARY HOST_CLASSES TEST_CLASSES
set -eu
java=$1 library=$2 host_classes=$3 test_classes=$4
if [ "$(id -u)" != 0 ] || ! command -v setpriv >/dev/null || ! id nobody >/dev/null 2>&1; then
  echo "skipped: needs root, setpriv and the user nobody"
  exit 77
fi
group=$(id -gn nobody)
if ! setpriv --reuid=nobody --regid="$group" --clear-groups true 2>/dev/null; then
  echo "skipped: this process may not change its user"
  exit 77
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
chmod 755 "$work"
# The library and the classes where nobody may read them.
mkdir "$work/lib" "$work/files"
cp "$library" "$work/lib/libcallbrima.so"
# (the host classes may be a jar: copies keep their names)
host_copy="$work/lib/host-$(basename "$host_classes")"
test_copy="$work/lib/tests-$(basename "$test_classes")"
cp -r "$host_classes" "$host_copy"
cp -r "$test_classes" "$test_copy"
chmod -R a+rX "$work/lib"
# A folder nobody may write, holding files nobody may not: one of its own
# made read-only, and one of root's.
chown nobody:"$group" "$work/files"
for extension in qdn xqdn; do
  printf 'old locked\n' >"$work/files/locked.$extension"
  chown nobody:"$group" "$work/files/locked.$extension"
  chmod 0444 "$work/files/locked.$extension"
  printf 'old foreign\n' >"$work/files/foreign.$extension"
  chmod 0644 "$work/files/foreign.$extension"
done
cd "$work/files"
setpriv --reuid=nobody --regid="$group" --clear-groups env HOME="$work/files" \
  "$java" -Xcheck:jni -XX:-UsePerfData -Djava.io.tmpdir="$work/files" \
  -Dcallbrima.library="$work/lib/libcallbrima.so" -cp "$host_copy:$test_copy" \
  edu.tarn.belief.io.qdn.HostSafetyTest "$work" as-nobody "$work/files"
