#!/usr/bin/env bash
# check-windows-zip.sh LINUX-CLI ZIP: checks the Windows download. The zip must hold tessely.exe,
# tessely-cli.exe and the user's guide, nothing else, the guide as plain text that Notepad shows as written
# (CR LF line ends, no Markdown, no build steps); the programs must need no DLL beside them; and the zipped
# tessely-cli.exe, run under Wine on the bundled
# sample, must write the same files, byte for byte, as the Linux program: numbered split, contact-named split, CSV export,
# split into groups and recombine, with the same messages (the folder separator aside) and exit statuses. KEEP=1 keeps the files.
set -euo pipefail
cd "$(dirname "$0")/.."
linux=$(realpath "$1")
zip=$(realpath "$2")
sample=$PWD/examples/sample-contacts.vcf
export WINEPREFIX=${WINEPREFIX:-$(dirname "$zip")/wine-prefix}
wine=$PWD/cmake/wine-run.sh

work=$(mktemp -d)
trap '[ -n "${KEEP:-}" ] || rm -rf "$work"' EXIT
mkdir "$work/exe"
(cd "$work/exe" && unzip -q "$zip")
listing=$(cd "$work/exe" && find . -type f | LC_ALL=C sort | tr '\n' '|')
[ "$listing" = "./Tessely User Guide.txt|./tessely-cli.exe|./tessely.exe|" ] ||
    { echo "unexpected zip content: $listing" >&2; exit 1; }
./scripts/check-windows-imports.sh "$work/exe/tessely.exe" "$work/exe/tessely-cli.exe"
guide="$work/exe/Tessely User Guide.txt"
[ "$(grep -c $'\r$' "$guide")" -eq "$(wc -l <"$guide")" ] || { echo "the guide has lines without CR LF" >&2; exit 1; }
! grep -q -E '\]\(|^#|cmake|\./scripts|apt(-get)? ' "$guide" || { echo "the guide has links or build steps" >&2; exit 1; }

# run SIDE FOLDER ARGS...: runs one side's program in SIDE/FOLDER and appends its messages and exit status
# to SIDE/log, with the folder paths of the messages written as SIDE-independent text.
run() {
    local side=$1 folder=$2 status=0 output
    shift 2
    mkdir -p "$work/$side/$folder"
    cd "$work/$side/$folder"
    [ -f sample-contacts.vcf ] || cp "$sample" .
    if [ "$side" = linux ]; then
        output=$("$linux" "$@" 2>&1) || status=$?
    else
        output=$("$wine" "$work/exe/tessely-cli.exe" "$@" 2>&1) || status=$?
        # Wine shows the Linux root as drive Z:.
        output=$(printf '%s' "$output" | sed -e 's|[A-Z]:\\|/|g' -e 's|\\|/|g')
    fi
    printf '%s %s: %s\n[%s]\n' "$folder" "$*" "${output//$work\/$side/WORK}" "$status" >>"$work/$side.log"
    cd "$work"
}

for side in linux windows; do
    run $side numbered split sample-contacts.vcf
    run $side named split --naming=contact sample-contacts.vcf
    run $side table export sample-contacts.vcf
    run $side groups split --per-file=3 sample-contacts.vcf
    run $side sized split --max-size=1K --per-file=5 sample-contacts.vcf
    run $side groups split --per-file=0 sample-contacts.vcf
    mapfile -t parts < <(cd "$work/$side/numbered" && ls Split-vCards/contact*.vcf | sort)
    run $side numbered recombine "${parts[@]}"
    run $side numbered split missing.vcf
    run $side numbered split
done

diff -u "$work/linux.log" "$work/windows.log"
diff -r "$work/linux" "$work/windows"
count=$(find "$work/linux" -type f | wc -l)
[ "$count" -gt 10 ] || { echo "too few files were written: $count" >&2; exit 1; }
echo "The zipped tessely-cli.exe writes the same $count files as the Linux build."
