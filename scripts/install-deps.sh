#!/usr/bin/env bash
# Installs the build dependencies that a fresh machine may lack (Debian packages).
set -euo pipefail
missing=()
[ -f /usr/include/expat.h ] || missing+=(libexpat1-dev)
command -v javac >/dev/null || missing+=(openjdk-17-jdk-headless)
[ -d /usr/lib/x86_64-linux-gnu/cmake/GTest ] || [ -d /usr/lib/cmake/GTest ] || missing+=(libgtest-dev)
[ -d /usr/lib/x86_64-linux-gnu/cmake/benchmark ] || missing+=(libbenchmark-dev)
command -v cmake >/dev/null || missing+=(cmake)
command -v g++ >/dev/null || missing+=(g++)
command -v make >/dev/null || missing+=(make)
if [ ${#missing[@]} -gt 0 ]; then
  echo "installing: ${missing[*]}"
  apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}"
fi
