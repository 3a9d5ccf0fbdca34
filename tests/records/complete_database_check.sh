#!/bin/sh
# The complete database of each example and public GEDCOM file, checked against the file's lines
# by scripts/check-complete-database (a check written apart from the program), and the picture
# of its tables in docs/ made again from the example's schema: it must be the one committed.
#   complete_database_check.sh BRIMSEL_CLI SOURCE_DIR
set -u
cli=$1
source=$2
command -v python3 >/dev/null 2>&1 || { echo "no python3: skipped"; exit 77; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
status=0
for gedcom in "$source"/examples/*.ged "$source"/../shared/gedcom/*.ged; do
  [ -f "$gedcom" ] || continue
  name=$(basename "$gedcom" .ged)
  if ! "$cli" convert --notes --format sqlite -o "$work" "$gedcom" >"$work/out" 2>&1; then
    echo "$gedcom: the conversion failed"; cat "$work/out"; status=1; continue
  fi
  python3 "$source/scripts/check-complete-database" "$gedcom" "$work/$name.sqlite" || status=1
done
python3 "$source/scripts/schema-picture" "$work/famille-sources.sqlite" "$work/picture" 2>/dev/null
if ! cmp -s "$work/picture.dot" "$source/docs/complete-database.dot"; then
  echo "docs/complete-database.dot is not the schema's picture: run scripts/schema-picture"
  diff "$source/docs/complete-database.dot" "$work/picture.dot" | head -20
  status=1
fi
exit $status
