#!/bin/sh
# Renames the output folder while a job writes into it and puts a new one in its place, as another program
# (or a user making room for a second job) might: the job must go on writing into the folder it locked,
# under its new name, and clean up there, while a second job fills the new folder on its own.
# Usage: folder-renamed-mid-job.sh TESSELY-CLI WORK-FOLDER
cli=$1
work=$2
rm -rf "$work" && mkdir -p "$work" && cd "$work" || exit 1
contacts=30000
awk -v n=$contacts 'BEGIN { for (i = 1; i <= n; i++) printf "BEGIN:VCARD\r\nFN:Person %d\r\nEND:VCARD\r\n", i }' >all.vcf

# Waits until the test given as arguments holds, for at most 30 s.
await() {
    for _ in $(seq 3000); do
        "$@" && return 0
        sleep 0.01
    done
    return 1
}
has_contacts() { [ -e Split-vCards/contact0001.vcf ]; }
has_temporary() { ls -A Split-vCards 2>/dev/null | grep -q '^\.tessely-.*\.tmp$'; }
fail() {
    echo "$1"
    kill -CONT "$job" 2>/dev/null
    exit 1
}

# A split, stopped while it writes its contacts.
"$cli" split all.vcf >first.txt 2>&1 &
job=$!
await has_contacts || fail "the split wrote nothing"
kill -STOP "$job"
mv Split-vCards split-old && mkdir Split-vCards || fail "cannot rename the folder"
[ "$(ls split-old | wc -l)" -lt $contacts ] || fail "the split ended before it could be stopped; give it more contacts"
"$cli" split all.vcf >second.txt 2>&1 || fail "the second split failed: $(cat second.txt)"
kill -CONT "$job"
wait "$job" || fail "the first split failed: $(cat first.txt)"
for folder in split-old Split-vCards; do
    [ "$(ls -A $folder | wc -l)" -eq $contacts ] || fail "$folder holds $(ls -A $folder | wc -l) files, not $contacts"
    cmp -s all.vcf "$folder/contact0001.vcf" && fail "$folder/contact0001.vcf is the whole input"
done
for i in 0001 12345 30000; do
    printf 'BEGIN:VCARD\r\nFN:Person %d\r\nEND:VCARD\r\n' "$i" | cmp -s - "split-old/contact$i.vcf" ||
        fail "split-old/contact$i.vcf is not contact $i"
done
rm -rf Split-vCards split-old

# An export, stopped while it writes its table under a temporary name.
awk 'BEGIN { for (i = 1; i <= 300000; i++) printf "BEGIN:VCARD\r\nFN:Person %d\r\nTEL:%d\r\nEND:VCARD\r\n", i, i }' \
    >all.vcf
mkdir Split-vCards
"$cli" export all.vcf >first.txt 2>&1 &
job=$!
await has_temporary || fail "the export wrote no temporary table"
kill -STOP "$job"
mv Split-vCards export-old && mkdir Split-vCards || fail "cannot rename the folder"
kill -CONT "$job"
wait "$job" || fail "the export failed: $(cat first.txt)"
[ "$(ls -A export-old)" = Contacts_Export.csv ] || fail "export-old holds: $(ls -A export-old)"
[ -z "$(ls -A Split-vCards)" ] || fail "the new folder holds: $(ls -A Split-vCards)"
[ "$(wc -l <export-old/Contacts_Export.csv)" -eq 300001 ] || fail "the table is not whole"
echo "both jobs wrote into the folders they locked"
