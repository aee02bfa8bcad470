#!/usr/bin/env bash
# Builds the Windows installer from its WiX source with Debian's wixl, then
# writes into its tables what wixl cannot say, with msitools' msibuild:
#   - the Japanese texts: the program's name はこ丸 in the installed
#     programs and the Start menu, the shortcut's description, the refusal
#     to replace a newer version. wixl empties every non-ASCII text of a
#     table, so the tables are made Shift-JIS (code page 932) and the texts
#     written afterwards;
#   - the tariff's component never overwrites an installed Charge.ini
#     (NeverOverwrite), so that an upgrade keeps a tariff the user edited;
#   - an upgrade also replaces an install of the same version (a rebuild),
#     instead of installing a second copy beside it.
#   make_msi.sh SOURCE.wxs OUT.msi
set -euo pipefail
wxs=$(realpath "$1")
out=$(realpath "$2")
tmp=$out.tmp
rm -f "$tmp"
# The source names its files relative to its own folder.
(cd "$(dirname "$wxs")" && wixl -a x64 -o "$tmp" "$wxs")
printf '\r\n\r\n932\t_ForceCodepage\r\n' >"$tmp.codepage.idt"
msibuild "$tmp" -i "$tmp.codepage.idt"
rm -f "$tmp.codepage.idt"
query() { msibuild "$tmp" -q "$1"; }
query "UPDATE Property SET Value='はこ丸' WHERE Property='ProductName' OR Property='Manufacturer'"
# A shortcut's name is a file name: an 8.3 name, then the long one.
query "UPDATE Shortcut SET Name='HAKOMARU|はこ丸', Description='ゆうパックとクロネコの送料を比べる' WHERE Shortcut='StartMenuShortcut'"
query "UPDATE LaunchCondition SET Description='より新しい版のはこ丸が入っています。' WHERE Condition='NOT WIX_DOWNGRADE_DETECTED'"
# Component attributes: 256 a 64-bit component, 128 never overwrite.
query "UPDATE Component SET Attributes=384 WHERE Component='Tariff'"
# The upgrade's row, with the maximum version included: attributes 1
# (migrate the features) and 512. Its attributes are part of its key, so
# the row is written anew.
row=$(msiinfo export "$tmp" Upgrade | awk -F'\t' '{ sub(/\r$/, "") } $7 == "WIX_UPGRADE_DETECTED"')
code=$(cut -f1 <<<"$row")
newest=$(cut -f3 <<<"$row")
[ -n "$code" ] && [ -n "$newest" ] || { echo "make_msi.sh: no upgrade row in $wxs" >&2; exit 1; }
query "DELETE FROM Upgrade WHERE ActionProperty='WIX_UPGRADE_DETECTED'"
query "INSERT INTO Upgrade (UpgradeCode, VersionMax, Attributes, ActionProperty) VALUES ('$code', '$newest', 513, 'WIX_UPGRADE_DETECTED')"
# The summary's language is the product's, Japanese, and its author はこ丸;
# its subject and package code stay.
summary=$(msiinfo suminfo "$tmp")
msibuild "$tmp" -s "$(sed -n 's/^Subject: //p' <<<"$summary")" はこ丸 "x64;1041" \
    "$(sed -n 's/^Revision number (UUID): //p' <<<"$summary")"
mv "$tmp" "$out"
