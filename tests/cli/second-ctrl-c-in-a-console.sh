#!/bin/sh
# Presses Ctrl+C twice in the console of an export while it writes its table under a temporary name, the
# second time before the job reached a point where it could stop: the program must end at once, as the
# system ends it, and leave neither the temporary nor a table behind. The console is a pseudo-terminal
# (script), which Wine turns into a Windows console; see ctrl-c-in-a-console.sh.
# Usage: second-ctrl-c-in-a-console.sh TESSELY-CLI WORK-FOLDER
cli=$1
work=$2
rm -rf "$work" && mkdir -p "$work" && cd "$work" || exit 1
# One contact with a long note: the export sees a request to stop only once the contact's row is written.
{
    printf 'BEGIN:VCARD\r\nFN:A\r\nEND:VCARD\r\nBEGIN:VCARD\r\nNOTE:'
    head -c 200000000 /dev/zero | tr '\0' x
    printf '\r\nEND:VCARD\r\n'
} >big.vcf
mkdir Split-vCards

mkfifo console-in
script -qec "\"$cli\" export big.vcf >out.txt 2>&1; echo \$? >status.txt" /dev/null <console-in >/dev/null 2>&1 &
console=$!
exec 3>console-in
stop_console() {
    exec 3>&-
    kill "$console" 2>/dev/null
    wait "$console" 2>/dev/null
}
has_temporary() { ls -A Split-vCards | grep -q '^[.]tessely-.*[.]tmp$'; }

waited=0
while ! has_temporary && [ ! -f status.txt ]; do
    if [ $waited -ge 1200 ]; then
        echo "the export wrote no temporary table within two minutes"
        stop_console
        exit 1
    fi
    sleep 0.1
    waited=$((waited + 1))
done
[ ! -f status.txt ] || { echo "the export ended before Ctrl+C: $(cat out.txt)"; stop_console; exit 1; }
printf '\003' >&3
sleep 0.2
printf '\003' >&3

waited=0
while [ ! -f status.txt ]; do
    if [ $waited -ge 600 ]; then
        echo "the export did not end within a minute of the second Ctrl+C"
        stop_console
        exit 1
    fi
    sleep 0.1
    waited=$((waited + 1))
done
stop_console
status=$(cat status.txt)
# Stopped at its next safe point, the job would end with 130 and a completed one with its message; ended
# at once by the system, the program prints nothing (Wine ends it with status 0, Windows with 0xC000013A).
[ "$status" != 130 ] && [ ! -s out.txt ] || { echo "exit status $status: the job was not ended at once"; cat out.txt; exit 1; }
# Wine removes a file marked for deletion once the program's last handle to it is gone.
for _ in $(seq 50); do
    [ -z "$(ls -A Split-vCards)" ] && break
    sleep 0.1
done
[ -z "$(ls -A Split-vCards)" ] || { echo "left behind: $(ls -A Split-vCards)"; exit 1; }
rm -f big.vcf
echo "ended at once with status $status, nothing left"
