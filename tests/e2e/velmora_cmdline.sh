#!/bin/bash
# The command line of the built editor, row by row: exit status, standard output, standard error,
# the document windows that opened and the message boxes shown. Rows that open windows run on
# the X server of $DISPLAY (run_under_xvfb.sh gives a private one) with --exit-after-first-paint,
# which lists the windows once the first document is painted; message boxes are answered with
# Enter as a user would.
# Usage: velmora_cmdline.sh PATH_TO_VELMORA
set -u
BIN=$1
HERE=$(cd "$(dirname "$0")" && pwd)
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
cd "$WORK" || exit 1
printf 'start:\r\n\tld a,1\r\n' > a.asm
printf '\tret\r\n' > b.asm
printf '\tnop\r\n' > ./-dash.asm
version=$(sed -n 's/.*kVersionInfo{{\([0-9]*\), \([0-9]*\), \([0-9]*\),.*/\1.\2.\3/p' \
    "$HERE/../../src/app/resources/versioninfo.h")
failures=0

# run EXPECTED_STATUS EXPECTED_BOXES ARGUMENT...: runs the editor, answering message boxes.
run() {
    local want_status=$1 want_boxes=$2
    shift 2
    "$BIN" "$@" >out.txt 2>err.txt &
    local pid=$! boxes=0 box
    # A box is counted once, however many times Enter has to be sent before it goes.
    local -A answered=()
    for _ in $(seq 300); do
        kill -0 "$pid" 2>/dev/null || break
        box=$(xdotool search --onlyvisible --name '^Velmora Editor$' 2>/dev/null | head -1)
        if [[ -n $box ]]; then
            if [[ -z ${answered[$box]:-} ]]; then
                answered[$box]=1
                boxes=$((boxes + 1))
            fi
            sleep 0.2
            xdotool key --window "$box" Return 2>/dev/null || xdotool key Return
            sleep 0.3
        else
            sleep 0.1
        fi
    done
    if kill -0 "$pid" 2>/dev/null; then
        kill "$pid"
        echo "FAIL [$*]: still running"
        failures=$((failures + 1))
        return
    fi
    wait "$pid"
    status=$?
    local problems=()
    [[ $status == "$want_status" ]] || problems+=("status $status, not $want_status")
    [[ $boxes == "$want_boxes" ]] || problems+=("$boxes message box(es), not $want_boxes")
    stdout=$(cat out.txt)
    # The toolkit's own notes ("QStandardPaths: ...") are not the program's.
    stderr=$(grep -v '^QStandardPaths\|^qt\.' err.txt)
    windows=$(sed -n 's/^window: //p' out.txt | paste -sd, -)
    check_problems=("${problems[@]}")
}

# expect DESCRIPTION CONDITION: records a failed condition of the current row.
expect() {
    if ! eval "$2"; then
        check_problems+=("$1")
    fi
}

report() {
    if ((${#check_problems[@]})); then
        echo "FAIL [$1]: ${check_problems[*]}"
        echo "  stdout: $stdout"
        echo "  stderr: $stderr"
        failures=$((failures + 1))
    else
        echo "ok   [$1]"
    fi
}

# ---- Rows that need no display.
for args in "--version" "--help" "-h"; do
    DISPLAY= run 0 0 $args
    case $args in
    --version) expect "stdout '$stdout'" '[[ $stdout == "Velmora Editor $version" ]]' ;;
    *) expect "usage on stdout" '[[ $stdout == "Usage: velmora "* ]]' ;;
    esac
    expect "stderr empty" '[[ -z $stderr ]]'
    report "$args"
done
for args in "--bogus" "-x a.asm" "a.asm --no-such-option" "-platform"; do
    DISPLAY= run 2 0 $args
    expect "stdout empty" '[[ -z $stdout ]]'
    expect "one-line error first" '[[ $(head -1 <<<"$stderr") == "velmora: "* ]]'
    expect "usage on stderr" '[[ $(sed -n 2p <<<"$stderr") == "Usage: velmora "* ]]'
    report "$args"
done
# --help wins over the files, --version too; options after "--" are files.
DISPLAY= run 0 0 a.asm --help
expect "usage" '[[ $stdout == "Usage: velmora "* ]]'
report "a.asm --help"

# ---- Rows that open windows.
run 0 0 --exit-after-first-paint
expect "windows '$windows'" '[[ $windows == "Source1" ]]'
report "(no file)"

run 0 0 --exit-after-first-paint a.asm b.asm
expect "windows '$windows'" '[[ $windows == "a.asm,b.asm" ]]'
expect "stderr empty" '[[ -z $stderr ]]'
report "a.asm b.asm"

run 0 1 --exit-after-first-paint a.asm missing.asm b.asm
expect "windows '$windows'" '[[ $windows == "a.asm,b.asm" ]]'
expect "stderr names missing.asm" '[[ $stderr == *missing.asm* ]]'
report "a.asm missing.asm b.asm"

run 1 2 --exit-after-first-paint missing.asm gone.asm
expect "no windows" '[[ -z $windows ]]'
expect "stderr names both" '[[ $stderr == *missing.asm* && $stderr == *gone.asm* ]]'
report "missing.asm gone.asm"

# After "--" everything is a file: "--version" too, which does not exist.
run 0 1 --exit-after-first-paint -- -dash.asm --version
expect "windows '$windows'" '[[ $windows == "-dash.asm" ]]'
expect "stderr names --version" '[[ $stderr == *"/--version: "* ]]'
report "-- -dash.asm --version"

if ((failures)); then
    echo "FAIL: $failures row(s)"
    exit 1
fi
echo "PASS"
