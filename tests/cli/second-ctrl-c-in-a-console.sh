#!/bin/sh
# Presses Ctrl+C twice in the console of an export while it writes its table under a temporary name, the
# second time before the job reached a point where it could stop: the program must end at once, as the
# system ends it, and leave neither the temporary nor a table behind. See console.sh for the console.
# Usage: second-ctrl-c-in-a-console.sh TESSELY-CLI WORK-FOLDER
cli=$1
work=$2
. "$(dirname "$0")/console.sh"
rm -rf "$work" && mkdir -p "$work" && cd "$work" || exit 1
# One contact with a long note: the export sees a request to stop only once the contact's row is written.
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
press '\003'
sleep 0.2
press '\003'
if ! await 60 ended; then
    echo "the export did not end within a minute of the second Ctrl+C"
    stop_console
    exit 1
fi
stop_console

status=$(cat status.txt)
# Stopped at its next safe point, the job would end with 130 and a completed one with its message; ended
# at once by the system, the program prints nothing (Wine ends it with status 0, Windows with 0xC000013A).
[ "$status" != 130 ] && [ ! -s out.txt ] || { echo "exit status $status: the job was not ended at once"; cat out.txt; exit 1; }
# Wine removes a file marked for deletion once the program's last handle to it is gone.
await 5 emptied || { echo "left behind: $(ls -A Split-vCards)"; exit 1; }
rm -f big.vcf
echo "ended at once with status $status, nothing left"
