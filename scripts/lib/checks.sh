# checks.sh - sourced: one line per check of a script that drives a program as a user would,
# and its verdict at the end.

failures=0
check() {  # check <what> <expected> <actual>
    if [[ "$2" == "$3" ]]; then
        echo "ok   $1"
    else
        echo "FAIL $1: expected '$2', got '$3'"
        failures=$((failures + 1))
    fi
}

# Ends the script: exit 1 with the number of failed checks, or says that all passed.
end_checks() {  # end_checks <script name>
    if ((failures)); then
        echo "$1: $failures check(s) failed"
        exit 1
    fi
    echo "$1: all checks passed"
}
