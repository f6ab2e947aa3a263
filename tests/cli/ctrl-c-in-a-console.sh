#!/bin/sh
# Presses Ctrl+C in the console of a long split: the job must stop at its next safe point with exit status
# 130, keep the files it completed and leave no unfinished one. The console is a pseudo-terminal (script),
# which Wine turns into a Windows console that sends CTRL_C_EVENT.
# Usage: ctrl-c-in-a-console.sh TESSELY-CLI WORK-FOLDER
cli=$1
work=$2
rm -rf "$work" && mkdir -p "$work" && cd "$work" || exit 1
awk 'BEGIN { for (i = 1; i <= 30000; i++) printf "BEGIN:VCARD\r\nFN:Contact %d\r\nEND:VCARD\r\n", i }' >big.vcf
# The console's input stays open until the program has ended: a closed console would hang it up.
{
    sleep 3
    printf '\003'
    while [ ! -f status.txt ]; do sleep 0.2; done
} | script -qec "\"$cli\" split big.vcf >out.txt; echo \$? >status.txt" /dev/null >/dev/null
status=$(cat status.txt)
[ "$status" = 130 ] || { echo "exit status $status, expected 130"; cat out.txt; exit 1; }
written=$(ls Split-vCards | wc -l)
[ "$written" -gt 0 ] && [ "$written" -lt 30000 ] || { echo "$written files: the job was not stopped midway"; exit 1; }
for file in Split-vCards/*; do
    tail -c 11 "$file" | grep -q '^END:VCARD' || { echo "unfinished file left: $file"; exit 1; }
done
if ls -a Split-vCards | grep -q '^\.tessely-'; then
    echo "temporary file left"
    exit 1
fi
echo "stopped after $written files"
