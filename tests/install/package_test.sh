#!/usr/bin/env bash
# Checks the Debian package that cpack made, unpacked with "dpkg -x" into a temporary root:
# nothing is installed on the system. The unpacked programs use the system's libraries.
# Usage: package_test.sh CHECK PACKAGE.deb gui|no-gui SOURCE_DIR
#   contents       exactly the expected files, icons of the size their folder names
#   example        the unpacked brimsel-cli converts examples/famille.ged into the expected tables
#   desktop-entry  desktop-file-validate accepts the entry; its program and icon are in the package
#   lintian        lintian reports no error
# Exit status 77 (skipped) when a tool that the check needs is missing.
set -euo pipefail
check=$1
deb=$2
gui=$3
source_dir=$4

[ -f "$deb" ] || { echo "no package $deb: run scripts/package first" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
root=$work/root
dpkg-deb -x "$deb" "$root"

need() {
  command -v "$1" >/dev/null || { echo "SKIP: $1 is not installed" >&2; exit 77; }
}

# The icon sizes of the hicolor theme, and the files every package holds.
icon_sizes=(32 48 256)
expected_files() {
  printf '%s\n' usr/bin/brimsel-cli usr/share/man/man1/brimsel-cli.1.gz \
    usr/share/doc/brimsel/README.md usr/share/doc/brimsel/copyright \
    usr/share/doc/brimsel/changelog.gz
  # The pages and pictures of docs/ that the README links to.
  (cd "$source_dir/docs" && ls *.md *.png *.svg) | sed 's|^|usr/share/doc/brimsel/docs/|'
  if [ "$gui" = gui ]; then
    printf '%s\n' usr/bin/brimsel usr/share/man/man1/brimsel.1.gz \
      usr/share/applications/brimsel.desktop
    for size in "${icon_sizes[@]}"; do
      echo "usr/share/icons/hicolor/${size}x${size}/apps/brimsel.png"
    done
  fi
}

# png_size FILE: "WIDTH HEIGHT" from the PNG header.
png_size() {
  local hex
  hex=$(od -An -tx1 -j16 -N8 "$1" | tr -d ' \n')
  echo "$((16#${hex:0:8})) $((16#${hex:8:8}))"
}

case "$check" in
  contents)
    diff -u <(expected_files | sort) <(cd "$root" && find . -type f -printf '%P\n' | sort)
    for page in "$root"/usr/share/man/man1/*.gz "$root"/usr/share/doc/brimsel/changelog.gz; do
      gzip -t "$page"
    done
    if [ "$gui" = gui ]; then
      for size in "${icon_sizes[@]}"; do
        actual=$(png_size "$root/usr/share/icons/hicolor/${size}x${size}/apps/brimsel.png")
        [ "$actual" = "$size $size" ] || { echo "the ${size}x${size} icon is $actual" >&2; exit 1; }
      done
    fi
    ;;
  example)
    cp "$source_dir/examples/famille.ged" "$work/famille.ged"
    mkdir "$work/tables"
    "$root/usr/bin/brimsel-cli" --version
    "$root/usr/bin/brimsel-cli" convert --notes -o "$work/tables" "$work/famille.ged" >/dev/null
    for table in "$source_dir"/tests/data/export/famille/*.txt; do
      cmp "$table" "$work/tables/$(basename "$table")"
    done
    ;;
  desktop-entry)
    [ "$gui" = gui ] || { echo "SKIP: the package has no desktop program" >&2; exit 77; }
    need desktop-file-validate
    entry=$root/usr/share/applications/brimsel.desktop
    desktop-file-validate "$entry"
    program=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$entry")
    icon=$(sed -n 's/^Icon=//p' "$entry")
    [ -x "$root/usr/bin/$program" ] || { echo "Exec=$program is not in usr/bin" >&2; exit 1; }
    for size in "${icon_sizes[@]}"; do
      [ -f "$root/usr/share/icons/hicolor/${size}x${size}/apps/$icon.png" ] ||
        { echo "Icon=$icon has no ${size}x${size} picture" >&2; exit 1; }
    done
    ;;
  lintian)
    need lintian
    # As root lintian warns that it should not be; that line is not a finding.
    lintian --fail-on error --tag-display-limit 0 "$deb" 2>&1 |
      { grep -v 'running with root privileges is not recommended' || true; }
    ;;
  *)
    echo "unknown check '$check'" >&2
    exit 2
    ;;
esac
echo "package $check: ok"
