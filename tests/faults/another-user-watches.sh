#!/bin/sh
# Another local user watches the folders that the jobs write into and opens every file the moment it
# appears, reading it later through what it opened. The inputs are readable by their owner alone, so it
# must not open a single file: no temporary may be more open, even for a moment, than its final file.
# The watcher runs as the user "nobody" (made when missing), which needs root; skipped (77) otherwise.
# Usage: another-user-watches.sh TESSELY-CLI WATCHER WORK-FOLDER
cli=$1
watcher=$2
work=$3
if [ "$(id -u)" -ne 0 ]; then
    echo "skipped: watching as another user needs root"
    exit 77
fi
id nobody >/dev/null 2>&1 || useradd --system --no-create-home --shell /usr/sbin/nologin nobody || exit 1
rm -rf "$work" && mkdir -p "$work" && chmod 755 "$work" && cd "$work" || exit 1
umask 022
awk 'BEGIN { for (i = 1; i <= 20; i++) printf "BEGIN:VCARD\r\nFN:Person %d\r\nNOTE:SECRET %d\r\nEND:VCARD\r\n", i, i }' \
    >small.vcf
cp small.vcf other.vcf
# A contact larger than a split holds in memory goes through a temporary file.
{
    printf 'BEGIN:VCARD\r\nFN:Large\r\nNOTE:SECRET '
    head -c 5000000 /dev/zero | tr '\0' x
    printf '\r\nEND:VCARD\r\n'
    cat small.vcf
} >large.vcf
chmod 600 small.vcf other.vcf large.vcf
# A folder that others may look into, as many home folders are.
mkdir Split-vCards && chmod 755 Split-vCards
mkfifo control
"$watcher" nobody SECRET "$work" "$work/Split-vCards" <control >watch.txt 2>&1 &
exec 3>control
for _ in $(seq 100); do
    grep -q watching watch.txt && break
    sleep 0.1
done
grep -q watching watch.txt || { cat watch.txt; exit 1; }

status=0
for _ in $(seq 200); do "$cli" export small.vcf >/dev/null || status=1; done
for _ in $(seq 100); do "$cli" recombine small.vcf other.vcf >/dev/null || status=1; done
for _ in $(seq 10); do
    rm -f Split-vCards/contact*
    "$cli" split large.vcf >/dev/null || status=1
done
# Closing its input makes the watcher read what it opened and report.
exec 3>&-
wait
cat watch.txt
[ "$status" -eq 0 ] || { echo "a job failed"; exit 1; }
grep -q '^opened 0, read 0$' watch.txt || { echo "another user opened files the jobs wrote"; exit 1; }
