#!/usr/bin/env bash
# Reads the built Windows Installer packages back with msiinfo and msiextract (msitools): what an
# administrator's deployment tool and Windows Installer see of them.
# Usage: msi_tables_test.sh <package> <older package> <upgrade code> <stripped programs folder>
set -u
msi="$1"
older="$2"
upgrade="{$3}"
stripped="$4"
failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

# The rows of a table, without its three header lines, tab-separated.
rows() { msiinfo export "$1" "$2" | tail -n +4 | tr -d '\r'; }
# The value of a property.
property() { rows "$1" Property | awk -F'\t' -v name="$2" '$1 == name { print $2 }'; }
# The sequence number of an action of the install's execution.
sequence() { rows "$1" InstallExecuteSequence | awk -F'\t' -v name="$2" '$1 == name { print $3 }'; }
condition() { rows "$1" InstallExecuteSequence | awk -F'\t' -v name="$2" '$1 == name { print $2 }'; }

for package in "$msi" "$older"; do
    [ -s "$package" ] || { echo "FAIL: no package $package" >&2; exit 1; }
done

# Property, expected value in the package, and in the older one.
while IFS='|' read -r name expected expected_older; do
    [ "$(property "$msi" "$name")" = "$expected" ] || fail "$name is '$(property "$msi" "$name")', not '$expected'"
    [ "$(property "$older" "$name")" = "$expected_older" ] ||
        fail "older package: $name is '$(property "$older" "$name")', not '$expected_older'"
done <<EOF
ProductName|Velmora|Velmora
ProductVersion|3.3.1|3.3.0
Manufacturer|The Velmora developers|The Velmora developers
UpgradeCode|$upgrade|$upgrade
ALLUSERS|1|1
ARPNOMODIFY|1|1
ARPNOREPAIR|1|1
ARPPRODUCTICON|Velmora.ico|Velmora.ico
REINSTALLMODE|amus|amus
EOF

# A product code of its own for every version, none of them the upgrade code.
guid='^\{[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}\}$'
code=$(property "$msi" ProductCode)
older_code=$(property "$older" ProductCode)
[[ "$code" =~ $guid ]] || fail "ProductCode '$code' is no upper-case GUID"
[[ "$older_code" =~ $guid ]] || fail "older package: ProductCode '$older_code' is no upper-case GUID"
[ "$code" != "$older_code" ] || fail "both versions have the ProductCode $code"
[ "$code" != "$upgrade" ] || fail "the ProductCode is the UpgradeCode"

# 64-bit, per machine: the summary's platform, and the 64-bit folders.
msiinfo suminfo "$msi" | grep -qx 'Template: x64;1033' || fail "the summary's template is not x64;1033"
[ "$(rows "$msi" Icon | cut -f1)" = Velmora.ico ] || fail "no icon Velmora.ico"

# File key, its component's folder and its name.
components=$(rows "$msi" Component)
files=$(rows "$msi" File)
msiextract -C "$msi.unpacked" "$msi" >/dev/null || fail "msiextract could not unpack the package"
while IFS='|' read -r key folder name; do
    component=$(awk -F'\t' -v key="$key" '$1 == key { print $2 }' <<<"$files")
    file_name=$(awk -F'\t' -v key="$key" '$1 == key { print $3 }' <<<"$files")
    [ -n "$component" ] || { fail "no file $key"; continue; }
    [ "$file_name" = "$name" ] || fail "$key is named '$file_name', not '$name'"
    directory=$(awk -F'\t' -v c="$component" '$1 == c { print $3 }' <<<"$components")
    [ "$directory" = "$folder" ] || fail "$key goes to '$directory', not '$folder'"
done <<'EOF'
Velmora.exe|INSTALLDIR|Velmora.exe
quenex.exe|INSTALLDIR|quenex.exe
Velmora.chm|INSTALLDIR|Velmora.chm
system.quenex.exe|System64Folder|quenex.exe
EOF
[ "$(wc -l <<<"$files")" -eq 4 ] || fail "the package holds $(wc -l <<<"$files") files, not 4"
# What the package unpacks to is the stripped programs and help file, byte for byte.
for name in Velmora.exe quenex.exe Velmora.chm; do
    found=$(find "$msi.unpacked" -type f -name "$name" | head -1)
    if [ -z "$found" ]; then
        fail "the package unpacks no $name"
    elif ! cmp -s "$found" "$stripped/$name"; then
        fail "the package's $name is not the stripped $name"
    fi
done
rm -rf "$msi.unpacked"
[ "$(rows "$msi" Directory | awk -F'\t' '$1 == "INSTALLDIR" { print $2 "/" $3 }')" = "ProgramFiles64Folder/Velmora" ] ||
    fail "INSTALLDIR is not ProgramFiles64Folder\\Velmora"

# The Start menu's entry, not advertised: its target is the installed manager.
[ "$(rows "$msi" Shortcut | awk -F'\t' '{ print $2 "|" $3 "|" $5 }')" = "ProgramMenuFolder|Velmora|[#Velmora.exe]" ] ||
    fail "the Start menu entry is not ProgramMenuFolder\\Velmora to [#Velmora.exe]: $(rows "$msi" Shortcut)"

# The registration that the setup program reads.
for value in "InstallDir|[INSTALLDIR]" "Version|[ProductVersion]"; do
    rows "$msi" Registry | awk -F'\t' '$2 == 2 && $3 == "Software\\Velmora" { print $4 "|" $5 }' | grep -qxF "$value" ||
        fail "no HKLM\\Software\\Velmora value $value"
done

# The uninstall's custom action: the helper from the Binary table, deferred, not impersonated, its
# exit code checked, given the package's version; the helper packed is the stripped one.
[ "$(rows "$msi" CustomAction | awk -F'\t' '$1 == "RemoveTasks" { print $2 "|" $3 "|" $4 }')" = \
    "3074|TasksHelper|remove [ProductVersion]" ] || fail "RemoveTasks is not 3074 TasksHelper 'remove [ProductVersion]'"
msiinfo extract "$msi" Binary.TasksHelper >"$msi.helper" 2>/dev/null
cmp -s "$msi.helper" "$stripped/velmora-tasks.exe" || fail "the Binary table's TasksHelper is not velmora-tasks.exe"
rm -f "$msi.helper"
[ "$(condition "$msi" RemoveTasks)" = 'REMOVE="ALL" AND NOT UPGRADINGPRODUCTCODE' ] ||
    fail "RemoveTasks runs under '$(condition "$msi" RemoveTasks)'"

# The order of the execution: each pair's first action comes before its second.
while IFS='|' read -r first second; do
    a=$(sequence "$msi" "$first")
    b=$(sequence "$msi" "$second")
    [ -n "$a" ] && [ -n "$b" ] && [ "$a" -lt "$b" ] || fail "$first ($a) does not come before $second ($b)"
done <<'EOF'
InstallInitialize|RemoveTasks
RemoveTasks|InstallExecute
InstallExecute|RemoveFiles
InstallExecute|RemoveRegistryValues
InstallExecute|RemoveShortcuts
InstallFinalize|RemoveExistingProducts
FindRelatedProducts|LaunchConditions
AppSearch|LaunchConditions
EOF

# Downgrades are refused; the setup program's install makes the package refuse with a message.
launch=$(rows "$msi" LaunchCondition)
grep -q '^Installed OR NOT VELMORA_SETUP_INSTALLED	Velmora is installed on this computer by its setup program' <<<"$launch" ||
    fail "no launch condition against the setup program's install"
grep -q '^NOT WIX_DOWNGRADE_DETECTED	' <<<"$launch" || fail "no launch condition against a downgrade"
rows "$msi" RegLocator | grep -qF 'Software\Velmora	InstallDir	18' ||
    fail "an install does not look for the folder of an earlier one"
rows "$msi" RegLocator | grep -qF 'Software\Microsoft\Windows\CurrentVersion\Uninstall\Velmora	UninstallString	18' ||
    fail "the search for the setup program's uninstall entry is not in the 64-bit registry"

[ "$failures" -eq 0 ] || { echo "$failures failures" >&2; exit 1; }
echo "the packages' tables are as expected"
