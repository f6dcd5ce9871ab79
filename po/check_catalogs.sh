#!/bin/sh
# Every text the sources look up (Tr("key", "English") and the string table's S("id", "English"))
# must have a finished translation in both catalogs, with the same printf specifiers.
set -eu
top=${1:-.}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
find "$top/src" -name '*.cpp' -o -name '*.h' | sort > "$work/files"
xgettext --from-code=UTF-8 --language=C++ -k -kTr:1c,2 -kS:1c,2 --files-from="$work/files" -o "$work/skerrow.pot"
status=0
for lang in fr de; do
    msgcat --use-first -o "$work/$lang.po" "$top"/po/$lang/*.po
    if ! msgcmp "$work/$lang.po" "$work/skerrow.pot" 2> "$work/$lang.missing"; then
        echo "po/$lang lacks these texts:" >&2; cat "$work/$lang.missing" >&2; status=1
    fi
    left=$(msgattrib --untranslated --only-fuzzy "$work/$lang.po" 2>/dev/null | grep -c '^msgid' || true)
    fuzzy=$(msgattrib --only-fuzzy "$work/$lang.po" 2>/dev/null | grep -c '^msgid' || true)
    untranslated=$(msgattrib --untranslated "$work/$lang.po" 2>/dev/null | grep -c '^msgid' || true)
    if [ "$fuzzy" -gt 0 ] || [ "$untranslated" -gt 1 ]; then
        echo "po/$lang has $untranslated untranslated and $fuzzy fuzzy entries" >&2; status=1
    fi
    : "$left"
    msgfmt --check-format -o /dev/null "$work/$lang.po" || status=1
done
[ $status -eq 0 ] && echo "both catalogs translate all $(grep -c '^msgctxt' "$work/skerrow.pot") texts"
exit $status
