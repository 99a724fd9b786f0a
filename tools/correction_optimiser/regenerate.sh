#!/bin/sh
# Regenerates dsp/correction_tables_generated.h with the correction optimiser: the Air tables of
# the other rates, a first pass over every cell of the bell, shelf, low-pass and high-pass tables,
# then polish passes that search every cell again against all its neighbours. Every step resumes
# from the state file, so the script can be stopped and run again. Every cell takes the longest
# kernel (index 13), so that the larger-kernel rule between a cell's corners changes nothing.
#
#   tools/correction_optimiser/regenerate.sh <build directory> [state file]
#
# The searches start from the tables compiled into the optimiser (--seeds builtin); with an empty
# build of the neutral tables they start from the plain bands.
set -eu
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:?usage: regenerate.sh <build directory> [state file]}
state=${2:-"$build/correction.state"}
threads=$(nproc)
tables=bell,shelf,lowpass2,lowpass1,highpass1

cmake --build "$build" --target tovin_correction_optimiser
optimiser="$build/bench/tovin_correction_optimiser"
"$optimiser" --state "$state" --seeds builtin --tables air --budget 300
"$optimiser" --state "$state" --seeds builtin --tables "$tables" --kernel 13 --threads "$threads" --starts 6 --budget 160
# Wide bells take the reciprocal main section on every cell: the recipe's prescribed-Nyquist design
# hands over to it between two cells there, and the cells' blend cannot follow that change.
"$optimiser" --state "$state" --seeds builtin --tables bell --kernel 13 --prototype 10 --q-to 0.2 --polish --keep 0 \
    --threads "$threads" --starts 4 --budget 300
# Cells left without taps take the kernel phase that suits a correction on their grid point, so that
# the phase blended towards a corrected neighbour stays in its narrow valley.
"$optimiser" --state "$state" --seeds builtin --tables "$tables" --kernel 13 --align-phases --threads "$threads"
for keep in 0.5 0.3 0.3; do
    "$optimiser" --state "$state" --seeds builtin --tables "$tables" --kernel 13 --polish --keep "$keep" \
        --threads "$threads" --starts 4 --budget 300
done
# Shelves from 14 kHz up with strong gains, where their deviations are largest: a longer search per
# cell.
for gains in 6:15 -15:-6; do
    "$optimiser" --state "$state" --seeds builtin --tables shelf --kernel 13 --polish --keep 0 --from-hz 14000 \
        --gains "$gains" --threads "$threads" --starts 8 --budget 600
done
# Shelves from 12 kHz up once more, a little longer, against the cells below as they now stand.
"$optimiser" --state "$state" --seeds builtin --tables shelf --kernel 13 --polish --keep 0 --from-hz 12000 \
    --threads "$threads" --starts 6 --budget 400
# Second-order low-pass cells from 2 kHz up, scored only where users can set the Q (it narrows
# with the cut-off) and along its highest edge, three times.
for search in "6 400" "4 300" "6 400"; do
    set -- $search
    "$optimiser" --state "$state" --seeds builtin --tables lowpass2 --kernel 13 --polish --keep 0 --from-hz 2000 \
        --threads "$threads" --starts "$1" --budget "$2"
done
# The first-order high-pass has two entries per cell; longer searches settle them against the
# correction that follows the reference near DC (the cells move less with every pass, and the eighth
# no longer moves them).
for pass in 1 2 3 4 5 6 7 8; do
    "$optimiser" --state "$state" --seeds builtin --tables highpass1 --polish --keep 0 --threads "$threads" --starts 8 \
        --budget 600
done
# Blends a quarter of a cell apart, where the fidelity report finds the largest deviations: short
# polishes of the cells around each, in this order (table, from Hz, below Hz, Q from, Q to, knob gains
# (a table without a gain axis takes every cell), and what else the pass takes). Wide bells keep the
# reciprocal main section; --soft lets a cell mend its own settings below the deviation a neighbour
# sets.
while read -r table from below qfrom qto gains extra; do
    # shellcheck disable=SC2086
    "$optimiser" --state "$state" --seeds builtin --tables "$table" --kernel 13 --polish --keep 0 --plain-enough 0.05 \
        --threads "$threads" --starts 4 --budget 300 --from-hz "$from" --below-hz "$below" --q-from "$qfrom" --q-to "$qto" \
        --gains "$gains" $extra
done <<'PASSES'
bell 2000 5001 0.1 0.2 -15:-5 --prototype 10
bell 2000 5001 1.4 2 -15:-10
bell 7000 12001 2 3 -14:-10
bell 10000 12001 5 7 -15:-12
bell 5000 12001 1.4 3 -15:-9
bell 5000 12001 1.4 3 -15:-9
bell 7000 14001 3 7 -15:-11
bell 7000 14001 3 7 -15:-11
bell 3000 7001 1 3 -11:-7
bell 300 700 0.1 0.2 -15:-11 --prototype 10
bell 5000 10001 1.4 3 -15:-13 --broad
bell 5000 10001 1.4 3 -15:-13 --broad
bell 700 1401 0.1 0.2 -15:-12 --prototype 10
bell 7000 14001 2 7 -15:-12
bell 7000 14001 2 7 -15:-12
bell 5000 12001 1.4 5 -15:-13 --soft 0.3
bell 5000 12001 1.4 5 -15:-13 --soft 0.3
bell 5000 12001 5 7 -6:6 --soft 0.3
bell 7000 12001 5 7 -10:-7 --soft 0.3
bell 4000 7001 3 7 -6:-4 --soft 0.3
bell 5000 10001 1.4 3 -15:-14 --soft 0.5 --broad
bell 7000 12001 5 7 -15:-14 --soft 0.5 --broad
bell 5000 7001 1.4 3 -15:-13 --soft 0.5 --broad
shelf 700 1401 0.3 0.7 10:15
shelf 5000 9001 0.7 1.4 12:15
shelf 1000 2001 0.3 0.5 12:15
shelf 700 2001 0.3 0.5 13:15 --soft 0.3
shelf 7000 14001 1.4 2 -15:-13 --soft 0.3
shelf 7000 14001 1.4 2 13:15 --soft 0.3
shelf 7000 14001 0.7 1.4 12:15 --soft 0.3
shelf 7000 14001 1 2 -15:-12 --soft 0.3
bell 3000 4001 1.4 2 -15:-12
bell 300 701 0.3 0.3 -15:-12
bell 7000 10001 7 7 -9:-7 --soft 0.3
bell 4000 5001 2 3 -11:-9
bell 300 701 0.2 0.2 -15:-14 --prototype 10 --soft 0.3
bell 300 1001 0.1 0.1 -15:-13 --prototype 10 --soft 0.3
bell 7000 10001 3 3 -15:-11
lowpass2 4000 7001 1 4 -15:15 --soft 0.3
lowpass2 2000 3001 2 4 -15:15 --soft 0.3
lowpass2 6000 8001 1 2 -15:15 --soft 0.3
bell 300 701 0.2 0.2 -14:-12 --prototype 10 --soft 0.3
bell 700 1401 0.3 0.3 -15:-13
bell 200 501 0.1 0.1 -13:-11 --prototype 10 --soft 0.3
PASSES
"$optimiser" --state "$state" --seconds 0 --emit "$root/dsp/correction_tables_generated.h"
