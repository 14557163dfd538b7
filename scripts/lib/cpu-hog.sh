# cpu-hog.sh - sourced after virtual-display.sh: keeps every core busy until the script exits.

# Starts one busy worker per core (stress-ng when installed, else a shell loop); they go into
# `pids`, so they end with the script.
start_cpu_hog() {
    local cores
    cores=$(nproc)
    if command -v stress-ng >/dev/null; then
        stress-ng --cpu "$cores" --quiet &
        pids+=($!)
    else
        for ((core = 0; core < cores; core++)); do
            bash -c 'while :; do :; done' &
            pids+=($!)
        done
    fi
    echo "${0##*/}: $cores core(s) kept busy"
}
