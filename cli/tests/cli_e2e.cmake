# cli_e2e.cmake - drives the built tolvex-cli with arguments and inputs and checks its
# standard output, standard error and exit status.
# cmake -DCLI=<program> [-DEMULATOR=<runner>] -DDATA=<data folder> -DLAYOUTS=<layouts folder>
#       -DWORK=<scratch>
#       [-DGROUP=layouts] -P cli_e2e.cmake
# GROUP=layouts runs only the history layouts, everything else runs without it: two tests that
# can run side by side (each run under Wine takes a second or more).
cmake_minimum_required(VERSION 3.25)

set(failures 0)
file(MAKE_DIRECTORY ${WORK})
set(empty ${WORK}/empty.txt)
file(WRITE ${empty} "")
set(HIT "中")

# fail(<name> [<detail>...]): reports the case as failed and counts it in the caller's scope.
macro(fail name)
    message(SEND_ERROR "FAIL ${name}${ARGN}")
    math(EXPR failures "${failures} + 1")
endmacro()

# run_cli(NAME <name> ARGS <args...> [STDIN <file>] RC <status>
#         [OUT <exact>] [OUT_FILE <file>] [OUT_MATCH <regex>] [ERR_MATCH <regex>])
# Without ERR_MATCH standard error must be empty; with status 2 standard output must be.
# Leaves the outputs in LAST_OUT and LAST_ERR.
function(run_cli)
    cmake_parse_arguments(R "" "NAME;STDIN;RC;OUT;OUT_FILE;OUT_MATCH;ERR_MATCH" "ARGS" ${ARGN})
    if(NOT R_STDIN)
        set(R_STDIN ${empty})
    endif()
    execute_process(COMMAND ${EMULATOR} ${CLI} ${R_ARGS} INPUT_FILE ${R_STDIN}
                    OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE rc)
    set(problems "")
    if(NOT rc STREQUAL R_RC)
        string(APPEND problems "  exit status ${rc}, expected ${R_RC}\n")
    endif()
    if(DEFINED R_OUT AND NOT out STREQUAL R_OUT)
        string(APPEND problems "  stdout [${out}]\n  expected [${R_OUT}]\n")
    endif()
    if(R_OUT_FILE)
        file(READ ${R_OUT_FILE} expected)
        if(NOT out STREQUAL expected)
            string(APPEND problems "  stdout [${out}]\n  expected (${R_OUT_FILE}) [${expected}]\n")
        endif()
    endif()
    if(R_OUT_MATCH AND NOT out MATCHES "${R_OUT_MATCH}")
        string(APPEND problems "  stdout [${out}]\n  does not match [${R_OUT_MATCH}]\n")
    endif()
    if(R_RC STREQUAL "2" AND NOT out STREQUAL "")
        string(APPEND problems "  stdout not empty on an error: [${out}]\n")
    endif()
    if(R_ERR_MATCH)
        if(NOT err MATCHES "${R_ERR_MATCH}")
            string(APPEND problems "  stderr [${err}]\n  does not match [${R_ERR_MATCH}]\n")
        endif()
    elseif(NOT err STREQUAL "")
        string(APPEND problems "  stderr not empty: [${err}]\n")
    endif()
    if(problems)
        fail(${R_NAME} ": tolvex-cli ${R_ARGS}\n${problems}")
        set(failures ${failures} PARENT_SCOPE)
    else()
        message(STATUS "ok   ${R_NAME}")
    endif()
    set(LAST_OUT "${out}" PARENT_SCOPE)
    set(LAST_ERR "${err}" PARENT_SCOPE)
endfunction()

# The summary must hold `key`, parsed as JSON, and its value must be written as `expected`
# (CMake reads numbers back as doubles, so the written text is compared).
function(expect_json name document key expected)
    string(JSON value ERROR_VARIABLE error GET "${document}" summary ${key})
    string(REPLACE "." "\\." pattern "\"${key}\":${expected}[,}]")
    if(error OR NOT document MATCHES "${pattern}")
        fail(${name} ": summary.${key} is '${value}' ${error}, expected '${expected}'")
        set(failures ${failures} PARENT_SCOPE)
    endif()
endfunction()

if(NOT GROUP STREQUAL "layouts")
# --- reduce -------------------------------------------------------------------------------
run_cli(NAME reduce-text ARGS reduce 456 123 RC 0
        OUT_MATCH "^000 002 003 004 005 006 007 008 009 010 013 014 .* 996 997 998 999 \n$")
string(LENGTH "${LAST_OUT}" length)
if(NOT length EQUAL 2889)  # 722 groups of four bytes and the newline
    fail(reduce-text ": ${length} bytes, expected 2889")
endif()
file(WRITE ${WORK}/result-456-123.txt "${LAST_OUT}")
run_cli(NAME reduce-count ARGS reduce --count 000 000 RC 0 OUT "720\n")
run_cli(NAME reduce-count-721 ARGS reduce 001 000 --count RC 0 OUT "721\n")
run_cli(NAME reduce-bad-previous ARGS reduce 4567 123 RC 2 ERR_MATCH "PREVIOUS '4567' is not a draw")
run_cli(NAME reduce-bad-last ARGS reduce 456 "1 3" RC 2 ERR_MATCH "LAST '1 3' is not a draw")
run_cli(NAME reduce-missing ARGS reduce 456 RC 2 ERR_MATCH "two draws")

# --- check --------------------------------------------------------------------------------
run_cli(NAME check-file-hit ARGS check 002 ${WORK}/result-456-123.txt RC 0 OUT "${HIT} 4\n")
run_cli(NAME check-stdin-hit ARGS check 000 STDIN ${WORK}/result-456-123.txt RC 0 OUT "${HIT} 0\n")
run_cli(NAME check-dash-miss ARGS check 123 - STDIN ${WORK}/result-456-123.txt RC 1 OUT "X\n")
run_cli(NAME check-blank ARGS check 123 RC 2 ERR_MATCH "empty or blank")
run_cli(NAME check-short-draw ARGS check 12 ${WORK}/result-456-123.txt RC 2 ERR_MATCH "DRAW '12'")
run_cli(NAME check-no-file ARGS check 123 ${WORK}/missing.txt RC 2 ERR_MATCH "cannot open")

# --- backtest: the hand-worked history in every format --------------------------------------
set(hand ${DATA}/hand_worked.txt)
run_cli(NAME backtest-csv ARGS backtest --format csv ${hand} RC 0 OUT_FILE ${DATA}/hand_worked.csv
        ERR_MATCH "draws read +11, tested 9.*hit rate +55.56% \\(5 hits\\).*chance rate +72.16% \\(6.494")
set(csv_rows "${LAST_OUT}")
run_cli(NAME backtest-text ARGS backtest ${hand} RC 0
        OUT_MATCH "\n +7 +Mon, Jan 5, 2026 Region 9 Evening draw  +000 +111 +123 +720 +${HIT}\n.*\n +14 +Wed, Jan 14, 2026 Region 9 Evening draw +246 +111 +468 +722 +${HIT}\n\n.*hit rate +55.56%.*chance rate +72.16%.*longest runs +3 hits, 2 misses")
run_cli(NAME backtest-json ARGS backtest --format=json - STDIN ${hand} RC 0)
set(json "${LAST_OUT}")
expect_json(backtest-json "${json}" tested 9)
expect_json(backtest-json "${json}" hits 5)
expect_json(backtest-json "${json}" expected_hits 6.494)
expect_json(backtest-json "${json}" hit_rate 0.555556)
expect_json(backtest-json "${json}" chance_rate 0.721556)
expect_json(backtest-json "${json}" longest_miss_run 2)
expect_json(backtest-json "${json}" longest_hit_run 3)
# 9 tested draws are too few for the whole-history band: no verdict either way.
expect_json(backtest-json "${json}" band_level 0.95)
expect_json(backtest-json "${json}" left_band null)
run_cli(NAME backtest-json-summary ARGS backtest --summary --format json ${hand} RC 0
        OUT_MATCH "\"band_level\":0.95,\"band_constant\":null,\"left_band\":null}}\n$")
string(JSON rows LENGTH "${json}" rows)
string(JSON tab_label GET "${json}" rows 4 label)
string(JSON last_hit GET "${json}" rows 8 hit)
if(NOT rows EQUAL 9 OR NOT tab_label STREQUAL "Fri, Jan 9, 2026\tRegion 9\tEvening draw"
   OR NOT last_hit STREQUAL "ON")
    fail("backtest-json rows" ": ${rows} rows, label '${tab_label}', hit ${last_hit}")
endif()
run_cli(NAME backtest-summary ARGS backtest --summary ${hand} RC 0 OUT_MATCH "^draws read +11, tested 9")

# --- backtest: the page, and --output --------------------------------------------------------
function(expect name condition)
    if(NOT ${condition})
        fail(${name})
        set(failures ${failures} PARENT_SCOPE)
    endif()
endfunction()
# expect_page(<name> <file> <page>): the file holds the page and no temporary file is left.
function(expect_page name file page)
    file(READ ${file} written)
    file(GLOB left ${WORK}/~tolvex-*.tmp)
    if(NOT written STREQUAL page OR left)
        fail(${name} ": ${file} differs or left ${left}")
        set(failures ${failures} PARENT_SCOPE)
    endif()
endfunction()
set(ENV{SOURCE_DATE_EPOCH} 1767225600)
run_cli(NAME backtest-html ARGS backtest --format html ${hand} RC 0
        OUT_MATCH "^<!DOCTYPE html>\n.*2026-01-01 00:00 UTC.*<svg id=\"chart-excess\".*too short for the chance band.*id=\"no-rolling\".*<svg id=\"chart-runs\".*<td class=\"t\">2026-01<td>9<td>5<td>55.56%<td>72.16%<td>-1.494<td>-1.11\n.*<tr><td>11<td class=\"t\">Sat, Jan 10, 2026 Region 9 Evening draw<td>999<td>135<td>000\n<tr><td>10<td.*</html>\n$")
set(page "${LAST_OUT}")
set(report ${WORK}/report.html)
file(WRITE ${report} "an earlier report")
run_cli(NAME backtest-html-output ARGS backtest --format html --output ${report} ${hand} RC 0 OUT "")
expect_page(backtest-html-output-replaces ${report} "${page}")
run_cli(NAME backtest-output-bad-input ARGS backtest --output ${report} ${DATA}/bad_line.txt RC 2
        ERR_MATCH "line 4: no draw found")
expect_page(backtest-output-bad-input-keeps-the-report ${report} "${page}")
# Names beyond the ANSI code page (Korean, an emoji) reach the program and its files whole, and
# a pipe gets them as UTF-8 like the rest. Two runs writing one page at once (the commands of
# one execute_process run side by side) each finish it.
set(named "${WORK}/기록🎲.txt")
file(COPY_FILE ${hand} ${named})
run_cli(NAME inspect-name-beyond-code-page ARGS inspect ${named} RC 0
        OUT_MATCH "^file +[^\n]*/기록🎲.txt\nencoding +UTF-8 ")
run_cli(NAME backtest-missing-name-beyond-code-page ARGS backtest "${WORK}/없음🎲.txt" RC 2
        ERR_MATCH "^tolvex-cli: cannot open '[^']*/없음🎲.txt': ")
set(shared "${WORK}/보고🎲.html")
execute_process(COMMAND ${EMULATOR} ${CLI} backtest --format html --output ${shared} ${hand}
                COMMAND ${EMULATOR} ${CLI} backtest --format html --output ${shared} ${hand}
                RESULTS_VARIABLE statuses ERROR_VARIABLE both_err)
set(shared_page "")
if(EXISTS ${shared})
    file(READ ${shared} shared_page)
endif()
file(GLOB left ${WORK}/~tolvex-*.tmp)
set(both OFF)
if(statuses STREQUAL "0;0" AND both_err STREQUAL "" AND shared_page STREQUAL page AND NOT left)
    set(both ON)
else()
    message(STATUS "two runs: ${statuses} [${both_err}] left: ${left}")
endif()
expect(backtest-two-runs-one-page both)
run_cli(NAME backtest-output-no-folder ARGS backtest --output ${WORK}/missing/report.html ${hand} RC 2
        ERR_MATCH "cannot write '[^']*missing/report.html': No such file or directory")
run_cli(NAME backtest-html-markup ARGS backtest --format html ${DATA}/markup_labels.txt RC 0
        ERR_MATCH "markup_labels.txt: nothing in the file tells the order"
        OUT_MATCH "<td class=\"t\">&lt;script&gt;alert\\(1\\)&lt;/script&gt;<td>468<td>357<td>395\n.*<td class=\"t\">say &quot;hi&quot; &amp; &#39;bye&#39;<td>300<td>456<td>357\n")
set(inert ON)
if(LAST_OUT MATCHES "<script|<img|<b>bold|<!--")
    set(inert OFF)
endif()
expect(backtest-html-markup-inert inert)
run_cli(NAME backtest-struck-rows-text ARGS backtest --struck-rows 5 ${hand} RC 2 ERR_MATCH "for --format html")
set(ENV{SOURCE_DATE_EPOCH} soon)
run_cli(NAME backtest-html-bad-epoch ARGS backtest --format html ${hand} RC 2
        ERR_MATCH "SOURCE_DATE_EPOCH 'soon' is not a number")
unset(ENV{SOURCE_DATE_EPOCH})

# newest first: the same draws in time order give the same verdicts
run_cli(NAME backtest-newest-first ARGS backtest --newest-first --format csv
        ${DATA}/hand_worked_newest_first.txt RC 0 ERR_MATCH "tested 9")
set(verdict "[0-9][0-9][0-9],[0-9][0-9][0-9],[0-9][0-9][0-9],72[0-2],(${HIT}|X)")
string(REGEX MATCHALL "${verdict}" newest "${LAST_OUT}")
string(REGEX MATCHALL "${verdict}" oldest "${csv_rows}")
list(LENGTH oldest count)
if(NOT newest STREQUAL oldest OR NOT count EQUAL 9)
    fail(backtest-newest-first ": [${newest}] differs from [${oldest}]")
endif()

# --- backtest: errors ----------------------------------------------------------------------
foreach(format text csv json)
    run_cli(NAME backtest-bad-line-${format} ARGS backtest --format ${format} ${DATA}/bad_line.txt
            RC 2 ERR_MATCH "bad_line.txt, line 4: no draw found in: 2024004 12")
endforeach()
run_cli(NAME backtest-no-file ARGS backtest ${WORK}/missing.txt RC 2 ERR_MATCH "cannot open")
run_cli(NAME backtest-bad-format ARGS backtest --format yaml RC 2 ERR_MATCH "unknown format")
run_cli(NAME backtest-empty ARGS backtest RC 0 OUT_MATCH "tested 0 \\(a backtest needs at least three draws\\)")
run_cli(NAME no-command ARGS RC 2 ERR_MATCH "usage:")
run_cli(NAME help ARGS --help RC 0 OUT_MATCH "usage:")

endif()

if(GROUP STREQUAL "layouts")
# --- history layouts: inspect tells how each file is read, or why it is refused --------------
# layout(<file> <status> <regex> [ARGS <extra arguments>]): the regex is matched against
# standard output for status 0 and standard error for status 2.
function(layout file rc regex)
    cmake_parse_arguments(L "" "" "ARGS" ${ARGN})
    if(rc EQUAL 0)
        run_cli(NAME layout-${file} ARGS inspect ${LAYOUTS}/${file} ${L_ARGS} RC 0
                OUT_MATCH "${regex}")
    else()
        run_cli(NAME layout-${file} ARGS inspect ${LAYOUTS}/${file} ${L_ARGS} RC ${rc}
                ERR_MATCH "${regex}")
    endif()
    set(failures ${failures} PARENT_SCOPE)
endfunction()
set(first_357 "oldest +line [0-9]+ +[^\n]*2024001[^\n]* +357\n")
layout(trial_after.txt 2 "could hold the draw:\n  column 2, e.g. 357 \\(line 1\\)\n  column 3, e.g. 468 \\(line 1\\)\nchoose with --column")
layout(trial_after.txt 0 "draw +column 3 \\(given with --column\\)\n.*oldest +line 1 +2024001 +468\n" ARGS --column 3)
layout(trial_header.csv 0 "delimiter +comma\nheader +line 1: 期号 \\| 开奖号码 \\| 试机号 \\| 和值 \\(skipped\\)\ndraw +column 2 \"开奖号码\".*${first_357}")
layout(trial_commented_header.txt 0 "header +line 2: 期号 \\| 开奖号码 \\| 试机号 \\(skipped\\)\ndraw +column 2 \"开奖号码\".*${first_357}")
layout(trial_inline.txt 0 "draw +columns 3-5 \"开奖号码\".*oldest +line 1 +2024001期 +357\n")
layout(prize.tsv 2 "  column 2, e.g. 3 5 7 \\(line 1\\)\n  column 4, e.g. 173")
layout(sales.tsv 0 "delimiter +tab\n.*draw +column 2 .*oldest +line 1 +2024001 +007\n")
layout(payout.txt 0 "draw +column 1 .*label +none\n.*oldest +line 1 +123\n")
layout(bonus.tsv 2 "columns 2-5 hold 4 single digits in a row, e.g. 3 5 7 2 \\(line 1\\).*--column 2-4")
layout(bonus.tsv 0 "draw +columns 2-4 \\(given with --column\\).*oldest +line 1 +Fri, Jan 9, 2026 +357\n" ARGS --column 2-4)
layout(bonus_header.tsv 0 "draw +columns 2-4 .*label +column 1, dates\n.*oldest +line 2 +01/09/2026 +357\n")
layout(two_draws.txt 2 "  column 2 \"Midday\", e.g. 123 \\(line 2\\)\n  column 3 \"Evening\", e.g. 456")
layout(two_draws.txt 0 "draw +column 2 \"Midday\" and column 3 \"Evening\", in that order on each line.*oldest +line 2 +2026-01-09 Midday +123\n +line 2 +2026-01-09 Evening +456\n" ARGS --column Midday,Evening)
layout(sum_span.txt 0 "draw +columns 2-4 .*line 2 +2024002 +102\n")
layout(date_sum_span.csv 0 "draw +column 2 \"开奖号码\".*order +oldest first \\(the dates run up\\).*line 3 +2026-01-10 +102\n")
layout(newest_first.txt 0 "order +newest first \\(the issue numbers run down\\)\n.*oldest +line 3 +2024001 +357\n.*newest[^\n]*\n[^\n]*\n +line 1 +2024003 +987\n")
layout(newest_first.txt 2 "--oldest-first, but the issue numbers run down \\(lines 1 and 2\\)" ARGS --oldest-first)
layout(four_digit.txt 2 "4 single digits in a row.*a game of more than three digits is not read")
layout(fullwidth_comma.txt 0 "delimiter +full-width comma\n.*${first_357}")
layout(ideographic_space.txt 0 "delimiter +blanks \\(ideographic spaces\\)\n.*${first_357}")
layout(no_break_space.txt 0 "delimiter +blanks \\(no-break spaces\\)\n.*${first_357}")
layout(utf16le.txt 0 "encoding +UTF-16 LE \\(byte-order mark\\)\nline ends +CR LF\ndelimiter +tab\nheader +line 1: 期号 \\| 开奖号码.*${first_357}")
layout(utf16be.txt 0 "encoding +UTF-16 BE \\(byte-order mark\\)\n.*${first_357}")
layout(gbk.txt 0 "encoding +GB18030 \\(the text is not UTF-8\\)\n.*draw +column 2 \"开奖号码\".*oldest +line 2 +第2024001期 +357\n")
layout(gbk.txt 2 "line 1: not UTF-8 text" ARGS --encoding utf-8)
layout(cr_only.txt 0 "line ends +CR\n.*draws +3 from 3 lines\n${first_357}")
layout(game_name.txt 0 "draw +column 2 .*${first_357}")
layout(quoted.csv 0 "delimiter +comma\n.*oldest +line 1 +2024001 +357\n")

# rows with no draw yet, duplicates, dates without a year, typed characters, lines that are no
# draws, dropped zeros, named places, records across lines, unquoted thousands
set(no_draw_yet "skipped 1 line: a row with no draw yet \\(line 2\\)\n")
layout(pending_daikaijiang.tsv 0 "draw +column 3 \"开奖号码\".*oldest +line 22 +2024001 2024-01-01 +595\n.*${no_draw_yet}")
layout(pending_empty_tail.tsv 0 "order +newest first.*${no_draw_yet}")
layout(pending_weikaijiang_gbk.csv 0 "encoding +GB18030.*${no_draw_yet}")
layout(pending_hyphen.tsv 0 "draw +column 2 \"开奖号码\".*${no_draw_yet}")
layout(pending_emdash_oldest.tsv 0 "order +oldest first.*a row with no draw yet \\(line 16\\)")
layout(pending_no_header.txt 2 "line 1: a draw still to come stands on this line, and no header names the draw's column")
layout(duplicate_adjacent.txt 0 "draws +12 from 12 lines.*skipped 1 line: a duplicate of an issue before \\(line [0-9]+\\)")
layout(duplicate_pages_overlap.tsv 0 "draws +17 from 17 lines.*skipped 3 lines: 3 duplicates of issues before \\(line 12, ...\\)")
layout(duplicate_different.csv 2 "issue 2024105 stands twice with different draws: line [0-9]+ and line [0-9]+")
layout(same_date_midday_evening.csv 0 "order +newest first \\(the dates run down\\)\ndraws +18 from 18 lines")
layout(month_day_new_year.txt 0 "order +newest first \\(the dates run down\\).*oldest +line 16 +12-25 +840\n")
layout(two_digit_year_new_year.csv 0 "order +newest first \\(the dates run down\\).*oldest +line 25 +12/20/23 +855\n")
layout(cn_month_day_newest.tsv 0 "order +newest first \\(the dates run down\\)")
layout(no_labels.txt 0 "order +read as written, oldest first; give --newest-first if that is wrong\n")
layout(fullwidth_all_gbk.txt 0 "draw +columns 2-4 \"开奖号码\".*oldest +line 2 +2024070 +041\n")
layout(colon_no_blank.txt 0 "draw +column 3 \"开奖号码:\".*oldest +line 1 +第2024020期 +221\n")
layout(fullwidth_colon_comma.txt 0 "draw +column 4 \"开奖号码:\".*oldest +line 1 +期号: 2024031 +670\n")
layout(em_dash.tsv 0 "order +newest first.*oldest +line 10 +2024060 +182\n")
layout(title_footer.txt 0 "header +line 3: .*skipped 3 lines: a title row \\(line 1\\), 2 footer lines \\(line 19, ...\\)\n")
layout(two_header_rows_gbk.csv 0 "draw +columns 3-5 .*skipped 1 line: a second header row \\(line 2\\)")
layout(repeated_header.tsv 0 "draws +20 from 20 lines.*skipped 1 line: a repeated header \\(line [0-9]+\\)")
layout(totals_average.csv 0 "skipped 2 lines: 2 totals rows \\(line 22, ...\\)")
layout(slash_comments.txt 0 "skipped 3 lines: 3 // comments \\(line 1, ...\\)")
layout(ctrl_z_end.txt 0 "draws +10 from 10 lines")
layout(pipe_table.md 0 "draw +column 4 \"开奖号码\".*skipped 1 line: a table's separator row \\(line 2\\)")
layout(bad_line_inside.txt 2 "no draw found in: 2024245 35")
layout(zeros_dropped.csv 0 "oldest +line 2 +2024012 +771\n +line 3 +2024013 +042\n +line 4 +2024014 +007\n.*padded +7 draws written without leading zeros \\(first on line 3\\)")
layout(zeros_no_header.txt 2 "no draw found")
layout(places_lucky.csv 0 "draw +columns 3-5 \"百位 十位 个位\" \\(by the names of its places")
layout(ball_lucky_midday_evening.tsv 0 "draw +columns 3-5 \"Ball 1 Ball 2 Ball 3\"")
layout(four_places.csv 2 "4 single digits in a row.*a game of more than three digits is not read")
layout(phone_three_lines.txt 0 "records +3 lines each, read as one line\n.*oldest +line 28 +第2024012期 2024-01-12 +107\n")
layout(phone_labelled.txt 0 "records +4 lines each, read as one line\nheader +none\ndraw +columns 7-9 \"开奖号码:\"")
layout(phone_ragged.txt 2 "line 4: records across several lines, but not all of one shape")
layout(sales_unquoted.csv 0 "the last column takes any further fields.*oldest +line 2 +2024012 +441\n")
layout(us_sales_prizes.csv 0 "the last column takes any further fields.*order +newest first")
layout(amount_before_draw.csv 2 "more fields than the header names: numbers with unquoted thousands separators")

run_cli(NAME backtest-skipped-lines ARGS backtest --summary ${LAYOUTS}/title_footer.txt RC 0
        ERR_MATCH "title_footer.txt: skipped 3 lines: a title row \\(line 1\\), 2 footer lines")
run_cli(NAME backtest-order-not-told ARGS backtest --summary ${LAYOUTS}/no_labels.txt RC 0
        ERR_MATCH "no_labels.txt: nothing in the file tells the order: read as written, oldest first; give --newest-first if that is wrong\n")
run_cli(NAME backtest-html-skipped ARGS backtest --format html ${LAYOUTS}/zeros_dropped.csv RC 0
        ERR_MATCH "zeros_dropped.csv: 7 draws"
        OUT_MATCH "7 draws without leading zeros read as three digits")
run_cli(NAME backtest-html-order-not-told ARGS backtest --format html ${LAYOUTS}/no_labels.txt RC 0
        ERR_MATCH "nothing in the file tells the order"
        OUT_MATCH "read as written, oldest first; give --newest-first if that is wrong")
run_cli(NAME backtest-padded ARGS backtest --summary ${LAYOUTS}/zeros_dropped.csv RC 0
        ERR_MATCH "zeros_dropped.csv: 7 draws written without leading zeros read as three digits")

run_cli(NAME backtest-newest-first-by-labels ARGS backtest --summary ${LAYOUTS}/newest_first.txt
        RC 0 ERR_MATCH "^tolvex-cli: [^\n]*newest_first.txt: the issue numbers run down: read newest first\n$"
        OUT_MATCH "tested 1 .*hit rate +100.00%")
run_cli(NAME backtest-two-draws ARGS backtest --format csv --column 2,3 ${LAYOUTS}/two_draws.txt
        RC 0 ERR_MATCH "draws read +6, tested 4"
        OUT_MATCH "\n3,2026-01-10 Midday,123,456,789,722,X\n3,2026-01-10 Evening,456,789,012,722,X\n4,2026-01-11 Midday,")
run_cli(NAME backtest-skip-invalid ARGS backtest --summary --skip-invalid ${DATA}/bad_line.txt RC 0
        ERR_MATCH "^tolvex-cli: [^\n]*bad_line.txt: skipped 1 line that does not fit the layout: line 4\n$"
        OUT_MATCH "^draws read +4, tested 2")
run_cli(NAME backtest-missing-reason ARGS backtest ${WORK}/missing.txt RC 2
        ERR_MATCH "cannot open '[^']*missing.txt': No such file or directory")
run_cli(NAME check-utf16 ARGS check 002 ${DATA}/result_utf16.txt RC 0 OUT "${HIT} 4\n")
if(NOT EMULATOR AND EXISTS /dev/zero)
    run_cli(NAME backtest-dev-zero ARGS backtest /dev/zero RC 2
            ERR_MATCH "/dev/zero, line 1: line longer than 65536 bytes")
endif()

endif()

if(failures GREATER 0)
    message(FATAL_ERROR "${failures} case(s) failed")
endif()
