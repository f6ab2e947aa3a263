#!/usr/bin/env bash
# check-windows-installer.sh SETUP: checks the Windows installer under Wine, as a user without administrator
# rights would run it. A silent install (/S) must put tessely.exe, tessely-cli.exe, the user's guide and the
# uninstaller into the user's program folder, a Start-menu shortcut to tessely.exe, Tessely under "Open
# with" for .vcf files (never as the program a double click opens) and an entry in the user's list of
# installed programs, and the installed tessely-cli.exe must run; the uninstaller, run silently as that
# entry says, must take all of it away again, leaving what another program set for .vcf files.
set -euo pipefail
cd "$(dirname "$0")/.."
setup=$(realpath "$1")
export WINEPREFIX=${WINEPREFIX:-$(dirname "$setup")/wine-prefix}
wine=$PWD/cmake/wine-run.sh
# Wine would copy the Start-menu shortcut into this machine's own desktop menu.
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=};winemenubuilder.exe=d"
key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Tessely'

fail() {
    echo "installer check: $*" >&2
    exit 1
}
# The Unix path of a Windows path in the prefix.
unix_path() {
    "$wine" winepath -u "$1" 2>/dev/null | tr -d '\r'
}
# Reads the uninstall entry, all its values at once.
read_entry() {
    values=$("$wine" reg query "$key" 2>/dev/null | tr -d '\r') || values=
}
# Reads a registry key whole, or nothing when it is not there.
read_key() {
    local found
    found=$("$wine" reg query "$1" /s 2>/dev/null) || return 0
    printf '%s\n' "$found" | tr -d '\r'
}
classes='HKCU\Software\Classes'
# Another program's setting for .vcf files, which the installer and the uninstaller must leave alone.
"$wine" reg add "$classes\.vcf\OpenWithProgids" /v Other.vcf /t REG_SZ /d '' /f >/dev/null
# The data of one value of the entry last read, or nothing.
entry() {
    printf '%s\n' "$values" | sed -n "s/^ *$1 *REG_[A-Z_]* *//p"
}

# Wine returns when the installer has ended.
"$wine" "$setup" /S
read_entry

folder=$(entry InstallLocation)
[ -n "$folder" ] || fail "no uninstall entry under $key"
case "$folder" in *'\AppData\Local\Programs\Tessely') ;; *) fail "installed into $folder, not the user's programs" ;; esac
installed=$(unix_path "$folder")
for file in tessely.exe tessely-cli.exe 'Tessely User Guide.txt' uninstall.exe; do
    [ -f "$installed/$file" ] || fail "$file is missing in $folder"
done
roaming=$("$wine" cmd /c echo %APPDATA% | tr -d '\r')
shortcut=$(unix_path "$roaming"'\Microsoft\Windows\Start Menu\Programs\Tessely.lnk')
[ -f "$shortcut" ] || fail "no Start-menu shortcut"
grep -q -a 'tessely.exe' "$shortcut" || fail "the shortcut does not start tessely.exe"
[ "$(entry DisplayName)" = Tessely ] || fail "the entry's name is '$(entry DisplayName)'"
version=$(basename "$setup" | sed -n 's/^tessely-\(.*\)-setup\.exe$/\1/p')
[ "$(entry DisplayVersion)" = "$version" ] ||
    fail "the entry's version is '$(entry DisplayVersion)'"
[ "$(entry Publisher)" = Quorvane ] || fail "the entry's publisher is '$(entry Publisher)'"
"$wine" "$installed/tessely-cli.exe" --version | tr -d '\r' | grep -q -F "$version" ||
    fail "the installed tessely-cli.exe does not run"

# "Open with" for .vcf: listed among the file type's programs, with a command that hands the file over.
vcf=$(read_key "$classes\.vcf")
grep -q 'Tessely\.vcf' <<<"$vcf" || fail "Tessely is not offered under 'Open with' for .vcf files"
grep -q 'Other\.vcf' <<<"$vcf" || fail "the installer removed another program's 'Open with' entry"
default=$("$wine" reg query "$classes\.vcf" /ve 2>/dev/null | tr -d '\r' | sed -n 's/^ *(Default) *REG_SZ *//p')
[ -z "$default" ] || [ "$default" = "(value not set)" ] ||
    fail "the installer made itself the program that opens .vcf files ($default)"
command=$(read_key "$classes\Tessely.vcf\shell\open\command")
grep -q -F "$folder\tessely.exe\" \"%1\"" <<<"$command" || fail "the 'Open with' command is: $command"
grep -q -F '.vcf' <<<"$(read_key "$classes\Applications\tessely.exe\SupportedTypes")" ||
    fail "the application entry does not name .vcf files"

# Uninstall as Windows does from Apps, silently: the uninstaller copies itself away and removes the rest.
uninstall=$(entry QuietUninstallString)
[[ "$uninstall" =~ ^\"([^\"]+)\"\ /S$ ]] || fail "the silent uninstall command is '$uninstall'"
"$wine" "$(unix_path "${BASH_REMATCH[1]}")" /S
# The copy runs on after the uninstaller has returned: wait for it to finish its work.
for _ in $(seq 120); do
    [ -e "$installed" ] || break
    sleep 0.5
done
[ ! -e "$installed" ] || fail "$folder is still there: $(ls "$installed")"
[ ! -e "$shortcut" ] || fail "the shortcut is still there"
read_entry
[ -z "$values" ] || fail "the uninstall entry is still there"
vcf=$(read_key "$classes\.vcf")
! grep -q 'Tessely\.vcf' <<<"$vcf" || fail "the 'Open with' entry is still there"
grep -q 'Other\.vcf' <<<"$vcf" || fail "the uninstaller removed another program's 'Open with' entry"
[ -z "$(read_key "$classes\Tessely.vcf")$(read_key "$classes\Applications\tessely.exe")" ] ||
    fail "the file type or the application entry is still there"
"$wine" reg delete "$classes\.vcf" /f >/dev/null 2>&1 || true
echo "The installer of Tessely $version installs for the user, with a Start-menu shortcut and \"Open with\" for .vcf files, and uninstalls completely."
