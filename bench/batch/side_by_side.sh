# Timing helpers the batch benchmarks source: one run's wall and CPU time, medians, and two
# command lines timed in turn. `compare` uses the caller's $work folder and $runs.

# "wall cpu" seconds of one run of a command line.
time_once() {
    local TIMEFORMAT='%R %U %S'
    { time bash -c "$1" >/dev/null 2>&1; } 2>&1 | awk '{ printf "%.3f %.3f\n", $1, $2 + $3 }'
}

median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

# compare NAME COMMAND_A COMMAND_B: prints both medians and A/B.
compare() {
    local name=$1 a=$2 b=$3 i
    : >"$work/a" && : >"$work/b"
    time_once "$a" >/dev/null && time_once "$b" >/dev/null # warm-up: files in the page cache
    for ((i = 0; i < runs; i++)); do
        time_once "$a" >>"$work/a"
        time_once "$b" >>"$work/b"
    done
    local a_wall a_cpu b_wall b_cpu
    a_wall=$(cut -d' ' -f1 "$work/a" | median) a_cpu=$(cut -d' ' -f2 "$work/a" | median)
    b_wall=$(cut -d' ' -f1 "$work/b" | median) b_cpu=$(cut -d' ' -f2 "$work/b" | median)
    awk -v n="$name" -v aw="$a_wall" -v ac="$a_cpu" -v bw="$b_wall" -v bc="$b_cpu" 'BEGIN {
        printf "%s\n  A: wall %.2f s, cpu %.2f s\n  B: wall %.2f s, cpu %.2f s\n  A/B: wall %.2f, cpu %.2f\n",
               n, aw, ac, bw, bc, aw / bw, ac / bc }'
}
