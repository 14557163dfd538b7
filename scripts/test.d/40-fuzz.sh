#!/usr/bin/env bash
# 40-fuzz.sh - libFuzzer targets (clang-14, AddressSanitizer, UndefinedBehaviorSanitizer), each
# run for a bounded time from the committed seed corpus. FUZZ_SECONDS sets the time per target.
set -euo pipefail
seconds=${FUZZ_SECONDS:-60}
build=build/fuzz
sanitize="-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer"
CC=clang-14 CXX=clang++-14 cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_FLAGS="-fsanitize=fuzzer-no-link $sanitize" \
    -DTOLVEX_FUZZ=ON -DTOLVEX_BUILD_TESTS=OFF -DTOLVEX_BUILD_BENCH=OFF -DTOLVEX_BUILD_QT=OFF \
    -DTOLVEX_WERROR=ON >/dev/null
cmake --build "$build" -j2 --target history_fuzz core_fuzz

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
for target in history core; do
    # New inputs go to a scratch corpus in the build folder; the committed seeds stay as they are.
    work="$build/corpus/$target"
    mkdir -p "$work" "$build/artifacts"
    echo "fuzzing ${target}_fuzz for ${seconds} s"
    log="$build/${target}_fuzz.log"
    if ! "$build/fuzz/${target}_fuzz" -max_total_time="$seconds" -timeout=10 \
        -rss_limit_mb=2048 -max_len=4096 -print_final_stats=1 \
        -artifact_prefix="$build/artifacts/${target}-" "$work" "fuzz/corpus/$target" >"$log" 2>&1; then
        tail -n 60 "$log"
        echo "${target}_fuzz failed; the failing input is in $build/artifacts/" >&2
        exit 1
    fi
    grep -E '^stat::(number_of_executed_units|peak_rss_mb)' "$log"
done
