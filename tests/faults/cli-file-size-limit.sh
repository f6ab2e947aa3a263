#!/bin/sh
# Runs tessely-cli under a file-size limit smaller than one contact: the program must end with exit
# status 3 and the system's reason, not be killed by SIGXFSZ, and remove the unfinished file.
# Usage: cli-file-size-limit.sh TESSELY-CLI WORK-FOLDER
cli=$1
work=$2
rm -rf "$work" && mkdir -p "$work" || exit 1
{
    printf 'BEGIN:VCARD\r\nFN:A\r\nEND:VCARD\r\nBEGIN:VCARD\r\nNOTE:'
    head -c 16384 /dev/zero | tr '\0' x
    printf '\r\nEND:VCARD\r\n'
} >"$work/all.vcf"
(ulimit -f 4 && exec "$cli" split "$work/all.vcf") 2>"$work/err.txt"
status=$?
cat "$work/err.txt"
[ "$status" -eq 3 ] || { echo "exit status $status, expected 3"; exit 1; }
grep -q "^cannot write file '$work/Split-vCards/contact0002.vcf': File too large\$" "$work/err.txt" || exit 1
[ ! -e "$work/Split-vCards/contact0002.vcf" ] || { echo "the unfinished contact0002.vcf was left"; exit 1; }
printf 'BEGIN:VCARD\r\nFN:A\r\nEND:VCARD\r\n' | cmp -s - "$work/Split-vCards/contact0001.vcf" ||
    { echo "contact0001.vcf damaged"; exit 1; }
