#!/bin/sh
# Replaces the input by another file while a job reads it, as an editor or a sync tool that saves by
# renaming does: the job must read on from the file it opened, so its output is the one that file gives,
# all of it from one file.
# Usage: input-replaced-mid-job.sh TESSELY-CLI COMMAND WORK-FOLDER   (COMMAND: split or export)
cli=$1
command=$2
work=$3
rm -rf "$work" && mkdir -p "$work" && cd "$work" || exit 1
work=$(pwd -P)
# Enough for the job to be caught reading: a split writes a file for each contact.
contacts=300000
[ "$command" = split ] && contacts=3000
awk -v n=$contacts 'BEGIN { for (i = 1; i <= n; i++) printf "BEGIN:VCARD\r\nFN:Old %d\r\nNOTE:old\r\nEND:VCARD\r\n", i }' \
    >all.vcf
awk 'BEGIN { for (i = 1; i <= 5; i++) printf "BEGIN:VCARD\r\nTEL:%d\r\nEMAIL:new\r\nEND:VCARD\r\n", i }' >new.vcf
# The output the old file gives, made beforehand from a copy.
mkdir reference && cp all.vcf reference/ && "$cli" "$command" reference/all.vcf >/dev/null || exit 1

fail() {
    echo "$1"
    kill -CONT "$job" 2>/dev/null
    exit 1
}
"$cli" "$command" all.vcf >out.txt 2>&1 &
job=$!
# Stopped as soon as it has the input open, before it wrote anything.
opened=no
for _ in $(seq 3000); do
    if ls -l /proc/$job/fd 2>/dev/null | grep -q "$work/all.vcf\$"; then
        kill -STOP "$job"
        opened=yes
        break
    fi
    sleep 0.001
done
[ $opened = yes ] || fail "the job never had its input open"
mv new.vcf all.vcf
kill -CONT "$job"
wait "$job" || fail "the job failed: $(cat out.txt)"
diff -r reference/Split-vCards Split-vCards >diff.txt ||
    fail "the output is not what the file the job opened gives: $(head -c 600 diff.txt)"
echo "the $command read the file it opened to its end"
