#!/usr/bin/env bash
# typed-selection.sh WRAPPER PROBE: types two quoted names into the system's open dialog, as a user would,
# and checks that the program reads the dialog's answer as the folder and both names. The dialog runs under
# Wine on the X display in DISPLAY; xdotool types into it through the X server. Exits 77 (skipped) without a
# display or xdotool.
set -euo pipefail
wrapper=$1
probe=$2
if [ -z "${DISPLAY:-}" ] || ! command -v xdotool >/dev/null; then
    echo "typed-selection.sh: needs an X display (DISPLAY) and xdotool" >&2
    exit 77
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/cards"
touch "$work/cards/a.vcf" "$work/cards/b.vcf"
# Wine shows the Linux root as drive Z:.
folder="Z:${work//\//\\}\\cards"

"$wrapper" "$probe" "$folder" >"$work/answer" 2>"$work/errors" &
probe_pid=$!
title='Multi-select all the vCard files to recombine (Shift or Ctrl to select multiple)'
window=
for _ in $(seq 300); do
    window=$(xdotool search --onlyvisible --name "^${title//(/\\(}" 2>/dev/null | head -n 1) || true
    [ -n "$window" ] && break
    kill -0 "$probe_pid" 2>/dev/null || break
    sleep 0.2
done
if [ -z "$window" ]; then
    kill "$probe_pid" 2>/dev/null || true
    echo "typed-selection.sh: the dialog did not open" >&2
    cat "$work/errors" >&2
    exit 1
fi
# The dialog opens with the keyboard in its file-name box.
sleep 0.5
xdotool windowfocus --sync "$window"
xdotool type --delay 30 '"a.vcf" "b.vcf"'
xdotool key Return
status=0
wait "$probe_pid" || status=$?
answer=$(tr -d '\r' <"$work/answer")
expected=$(printf '%s\n%s\n%s' "$folder" a.vcf b.vcf)
if [ "$status" -ne 0 ] || [ "${answer,,}" != "${expected,,}" ]; then
    echo "typed-selection.sh: the dialog's answer was read as:" >&2
    printf '%s\n' "$answer" >&2
    echo "expected:" >&2
    printf '%s\n' "$expected" >&2
    exit 1
fi
echo "Typed into the dialog: \"a.vcf\" \"b.vcf\"; read as the folder and both names."
