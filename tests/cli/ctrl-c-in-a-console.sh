#!/bin/sh
# Presses Ctrl+C in the console of a long split: the job must stop at its next safe point with exit status
# 130, keep the files it completed and leave no unfinished one. The console is a pseudo-terminal (script),
# which Wine turns into a Windows console that sends CTRL_C_EVENT.
# Ctrl+C is pressed only once the split has written its first files: earlier, on a slow or busy machine,
# the console may not be Wine's yet and the key would end the shell around the program instead. Every wait
# has a deadline, so a job that does not stop fails the test rather than hanging it.
# Usage: ctrl-c-in-a-console.sh TESSELY-CLI WORK-FOLDER
cli=$1
work=$2
. "$(dirname "$0")/console.sh"
rm -rf "$work" && mkdir -p "$work" && cd "$work" || exit 1
awk 'BEGIN { for (i = 1; i <= 30000; i++) printf "BEGIN:VCARD\r\nFN:Contact %d\r\nEND:VCARD\r\n", i }' >big.vcf

count_written() {
    if [ -d Split-vCards ]; then ls Split-vCards | wc -l; else echo 0; fi
}
started_writing() { [ "$(count_written)" -ge 10 ] || [ -f status.txt ]; }
ended() { [ -f status.txt ]; }

start_console "\"$cli\" split big.vcf >out.txt; echo \$? >status.txt"
# Up to two minutes for Wine to start the program.
if ! await 120 started_writing; then
    echo "the split wrote no file within two minutes"
    stop_console
    exit 1
fi
press '\003'
if ! await 60 ended; then
    echo "the split did not end within a minute of Ctrl+C ($(count_written) files written)"
    stop_console
    exit 1
fi
stop_console

status=$(cat status.txt)
[ "$status" = 130 ] || { echo "exit status $status, expected 130"; cat out.txt; exit 1; }
written=$(count_written)
[ "$written" -gt 0 ] && [ "$written" -lt 30000 ] || { echo "$written files: the job was not stopped midway"; exit 1; }
for file in Split-vCards/*; do
    tail -c 11 "$file" | grep -q '^END:VCARD' || { echo "unfinished file left: $file"; exit 1; }
done
if ls -a Split-vCards | grep -q '^\.tessely-'; then
    echo "temporary file left"
    exit 1
fi
echo "stopped after $written files"
