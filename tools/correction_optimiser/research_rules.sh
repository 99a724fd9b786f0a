#!/bin/sh
# Searches the compiled correction tables again where the pass-band and do-no-harm rules hit them
# hardest, and writes dsp/correction_tables_generated.h: the first-order high- and low-pass tables
# whole, the second-order low-pass cells that score above their targets, and bell and shelf regions
# (listed below). Every other cell stays as compiled. About half an hour on one core per chain; the
# two chains run side by side. A full regeneration (regenerate.sh) takes one to two hours on two
# cores and scores the same rules.
#
#   tools/correction_optimiser/research_rules.sh <build directory> [state directory]
set -eu
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:?usage: research_rules.sh <build directory> [state directory]}
dir=${2:-"$build/rules"}
mkdir -p "$dir"
cmake --build "$build" --target tovin_correction_optimiser
optimiser="$build/bench/tovin_correction_optimiser"

passFilters() {
    "$optimiser" --state "$dir/hp.state" --seeds builtin --tables highpass1 --keep 0 --threads 1 --starts 8 --budget 600
    "$optimiser" --state "$dir/hp.state" --seeds builtin --tables highpass1 --polish --keep 0 --threads 1 --starts 8 --budget 600
    "$optimiser" --state "$dir/lp.state" --seeds builtin --tables lowpass1 --keep 0 --kernel 13 --threads 1 --starts 6 --budget 400
    "$optimiser" --state "$dir/lp.state" --seeds builtin --tables lowpass1 --polish --keep 0 --kernel 13 --threads 1 --starts 6 --budget 400
    "$optimiser" --state "$dir/lp.state" --seeds builtin --tables lowpass2 --seeds-finished --polish --keep 1.0 --kernel 13 \
        --threads 1 --starts 4 --budget 300
    # Low second-order low-passes whose taps did harm where the plain band is close: plain again.
    "$optimiser" --state "$dir/lp.state" --seeds builtin --tables lowpass2 --polish --keep 1e9 --plain-enough 1.5 --kernel 13 \
        --threads 1 --below-hz 2001
}

# Table, from Hz, below Hz, Q from, Q to, knob gains, keep (units of target).
bellsAndShelves() {
    "$optimiser" --state "$dir/bell.state" --seeds builtin --tables bell --seeds-finished --seconds 0
    "$optimiser" --state "$dir/shelf.state" --seeds builtin --tables shelf --seeds-finished --seconds 0
    while read -r table from below qfrom qto gains keep; do
        "$optimiser" --state "$dir/$table.state" --seeds builtin --tables "$table" --polish --keep "$keep" --kernel 13 \
            --threads 1 --starts 4 --budget 300 --from-hz "$from" --below-hz "$below" --q-from "$qfrom" --q-to "$qto" \
            --gains "$gains"
    done <<'PASSES'
bell 5000 15501 3 7 -15:-6 1.25
bell 200 1401 0.05 0.3 -15:15 1.0
shelf 3000 5001 0.3 2 -15:15 1.0
PASSES
    # Wide low bells whose taps did harm where the plain band is close: plain again; the bells around
    # 1 kHz at moderate Q and boost once more; the widest low bells from every seed; the high-Q cuts
    # just below 5 kHz (which 88.2 and 96 kHz hear at twice the frequency).
    "$optimiser" --state "$dir/bell.state" --seeds builtin --tables bell --polish --keep 1e9 --plain-enough 1.5 --kernel 13 \
        --threads 1 --from-hz 200 --below-hz 1401 --q-from 0.05 --q-to 0.3
    "$optimiser" --state "$dir/bell.state" --seeds builtin --tables bell --polish --keep 0 --kernel 13 --threads 1 \
        --starts 4 --budget 300 --from-hz 700 --below-hz 1401 --q-from 0.7 --q-to 1.4 --gains 7:11
    "$optimiser" --state "$dir/bell.state" --seeds builtin --tables bell --polish --keep 1.0 --broad --kernel 13 --threads 1 \
        --starts 2 --budget 150 --from-hz 300 --below-hz 1001 --q-from 0.05 --q-to 0.2
    "$optimiser" --state "$dir/bell.state" --seeds builtin --tables bell --polish --keep 1.25 --kernel 13 --threads 1 \
        --starts 4 --budget 300 --from-hz 3000 --below-hz 5001 --q-from 3 --q-to 7 --gains -15:-6
}

passFilters > "$dir/pass.log" 2>&1 &
bellsAndShelves > "$dir/bell.log" 2>&1
wait
cat "$dir/hp.state" "$dir/lp.state" "$dir/bell.state" "$dir/shelf.state" > "$dir/all.state"
"$optimiser" --state "$dir/all.state" --seeds builtin --seconds 0 --emit "$root/dsp/correction_tables_generated.h"
