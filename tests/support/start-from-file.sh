#!/usr/bin/env bash
# start-from-file.sh MODE PROGRAM [RUNNER]: starts the main window program as a user would, on the X display
# in DISPLAY, and checks the jobs started from files rather than from the menu:
#   1. `PROGRAM FILE.vcf` opens the window, splits the file and shows the success message; Enter closes it.
#   2. Two .vcf files dropped on the window (an XDND drop, as a file manager makes it) are recombined.
#   3. A file of another kind dropped on the window is refused with a message, and nothing is written.
#   4. File > Exit, typed with the keyboard, ends the program.
# MODE is "linux" for the Qt program, or "wine" for tessely.exe, which RUNNER (cmake/wine-run-gui.sh) starts
# under Wine and which is given its files as Windows paths. The drops come from xdnd-drop.c beside this
# script, built here. Exits 77 (skipped) without a display, xdotool, a C compiler or the X headers.
set -euo pipefail
mode=$1
program=$2
runner=${3:-}
here=$(cd "$(dirname "$0")" && pwd)
if [ -z "${DISPLAY:-}" ] || ! command -v xdotool >/dev/null || ! command -v cc >/dev/null; then
    echo "start-from-file.sh: needs an X display (DISPLAY), xdotool and a C compiler" >&2
    exit 77
fi
work=$(mktemp -d)
pid=
cleanup() {
    [ -z "$pid" ] || kill "$pid" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
if ! cc -std=c11 -D_DEFAULT_SOURCE -o "$work/xdnd-drop" "$here/xdnd-drop.c" -lX11 2>"$work/cc.log"; then
    echo "start-from-file.sh: cannot build the drop tool (the X headers, libx11-dev, are missing?)" >&2
    cat "$work/cc.log" >&2
    exit 77
fi
export QT_QPA_PLATFORM=xcb

fail() {
    echo "start-from-file.sh: $*" >&2
    exit 1
}
# A path as the program takes it: Wine shows the Linux root as drive Z:.
native() {
    if [ "$mode" = wine ]; then printf 'Z:%s' "${1//\//\\}"; else printf '%s' "$1"; fi
}
start() {
    ${runner:+"$runner"} "$program" "$@" >"$work/program.log" 2>&1 &
    pid=$!
}
# Waits for a window whose name is exactly $1 and prints its number.
wait_for() {
    local found
    for _ in $(seq 300); do
        found=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n 1) || true
        if [ -n "$found" ]; then
            echo "$found"
            return 0
        fi
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.2
    done
    cat "$work/program.log" >&2
    fail "no window '$1'"
}
press() {
    local window=$1
    shift
    xdotool windowfocus --sync "$window" 2>/dev/null || xdotool windowfocus "$window"
    sleep 0.3
    xdotool key --delay 100 "$@"
}
# Ends the program through File > Exit and checks that it ended by itself.
exit_program() {
    local main
    main=$(wait_for "Tessely - Main Window")
    press "$main" alt+f x
    for _ in $(seq 100); do
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.1
    done
    ! kill -0 "$pid" 2>/dev/null || fail "File > Exit did not end the program"
    wait "$pid" || fail "the program ended with status $?"
    pid=
}

contacts=$(grep -ci '^begin:vcard' "$here/../../examples/sample-contacts.vcf")

# 1. A file named on the command line is split at once.
mkdir "$work/one"
cp "$here/../../examples/sample-contacts.vcf" "$work/one/phone.vcf"
start "$(native "$work/one/phone.vcf")"
box=$(wait_for "vCard Split Successfull")
written=$(find "$work/one/Split-vCards" -name 'contact*.vcf' | wc -l)
[ "$written" -eq "$contacts" ] || fail "the split wrote $written files of $contacts"
press "$box" Return
sleep 0.5
! xdotool search --onlyvisible --name "^vCard Split Successfull\$" >/dev/null 2>&1 || fail "Enter did not close the message"
exit_program
echo "Opened with a file: split into $written files, the success message shown."

# 2. Two files dropped on the window are recombined in the order dropped.
mkdir "$work/two"
printf 'BEGIN:VCARD\r\nFN:A\r\nEND:VCARD\r\n' >"$work/two/a.vcf"
printf 'BEGIN:VCARD\r\nFN:B\r\nEND:VCARD\r\n' >"$work/two/b.vcf"
start
wait_for "Tessely - Main Window" >/dev/null
sleep 0.5
"$work/xdnd-drop" "Tessely - Main Window" "$work/two/b.vcf" "$work/two/a.vcf" || fail "the window did not take the drop"
box=$(wait_for "vCard Recombine Successfull")
combined=$(find "$work/two" -name '*_CONBINED_CONTACTS.vcf')
[ -n "$combined" ] || fail "no combined file"
[ "$(tr -d '\r' <"$combined" | grep '^FN:' | tr '\n' ' ')" = "FN:B FN:A " ] || fail "the files were not joined in the order dropped"
press "$box" Return
echo "Dropped two files: recombined into $(basename "$combined")."

# 3. Anything but vCard files dropped on the window is refused with a message.
printf 'not a contact\n' >"$work/two/notes.txt"
"$work/xdnd-drop" "Tessely - Main Window" "$work/two/notes.txt" || fail "the window did not take the drop"
box=$(wait_for "Nothing to Process")
press "$box" Return
[ ! -e "$work/two/Split-vCards" ] || fail "a refused drop wrote files"
exit_program
echo "Dropped a text file: refused with a message; File > Exit ended the program."
