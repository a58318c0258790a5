#!/bin/sh
# run-fuzz.sh FUZZER CORPUS [SEED_FILE...]: a short, repeatable fuzzing run
# from a fresh corpus holding the seed files.
set -e
fuzzer=$1
corpus=$2
shift 2
rm -rf "$corpus"
mkdir -p "$corpus"
for seed in "$@"; do
    cp "$seed" "$corpus/"
done
exec "$fuzzer" -runs=100000 -seed=1 -max_len=20000 "$corpus"
