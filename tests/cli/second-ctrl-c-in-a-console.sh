#!/bin/sh
# Presses Ctrl+C twice in the console of an export while it writes its table under a temporary name: the
# program must end, and leave neither the temporary nor a table behind. Every job sees a stop within the
# next 64 KiB it reads, so the keys go together: the second one comes before the job reached a point where
# it could stop, and the program ends at once, as the system ends it, unless the job saw the first one in
# time (status 130). See console.sh for the console.
# Usage: second-ctrl-c-in-a-console.sh TESSELY-CLI WORK-FOLDER
cli=$1
work=$2
. "$(dirname "$0")/console.sh"
rm -rf "$work" && mkdir -p "$work" && cd "$work" || exit 1
# One contact with a long note, which the export is still reading when the keys come.
{
    printf 'BEGIN:VCARD\r\nFN:A\r\nEND:VCARD\r\nBEGIN:VCARD\r\nNOTE:'
    head -c 200000000 /dev/zero | tr '\0' x
    printf '\r\nEND:VCARD\r\n'
} >big.vcf
mkdir Split-vCards

writing_table() { ls -A Split-vCards | grep -q '^[.]tessely-.*[.]tmp$' || [ -f status.txt ]; }
ended() { [ -f status.txt ]; }
emptied() { [ -z "$(ls -A Split-vCards)" ]; }

start_console "\"$cli\" export big.vcf >out.txt 2>&1; echo \$? >status.txt"
if ! await 120 writing_table || ended; then
    echo "the export wrote no temporary table within two minutes, or ended: $(cat out.txt 2>/dev/null)"
    stop_console
    exit 1
fi
press '\003\003'
if ! await 60 ended; then
    echo "the export did not end within a minute of the second Ctrl+C"
    stop_console
    exit 1
fi
stop_console

status=$(cat status.txt)
# Ended at once by the system, the program prints nothing (Wine ends it with status 0, Windows with
# 0xC000013A); stopped at its next safe point, the job ends with 130; a completed one would print its message.
[ "$status" = 130 ] || [ ! -s out.txt ] || { echo "exit status $status: the job was not stopped"; cat out.txt; exit 1; }
# Wine removes a file marked for deletion once the program's last handle to it is gone.
await 5 emptied || { echo "left behind: $(ls -A Split-vCards)"; exit 1; }
rm -f big.vcf
echo "ended with status $status, nothing left"
