#!/usr/bin/env bash
# A soak run is reproducible from its seed: two processes (each with its own
# addresses) driven by one seed end in the same state, digest for digest.
set -euo pipefail
tool=$1
first=$("$tool" soak --passes 1000 --seed 3 | grep '^digest')
again=$("$tool" soak --passes 1000 --seed 3 | grep '^digest')
[ "$first" = "$again" ] || { echo "FAIL: one seed, two runs: $first, then $again" >&2; exit 1; }
echo "PASS: $first in both runs"
