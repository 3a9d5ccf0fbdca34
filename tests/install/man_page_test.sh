#!/usr/bin/env bash
# Keeps a manual page in step with its program's --help: every option and command that --help
# prints must be in the page, and every option the page lists (.TP items) must be in --help.
# Usage: man_page_test.sh PROGRAM PAGE.1[.in]
# A program whose --help has a "Commands:" section is checked command by command: the options
# of "PROGRAM COMMAND --help" against the page's ".SS COMMAND" under ".SH COMMANDS", and the
# options of "PROGRAM --help" against ".SH OPTIONS".
set -uo pipefail
program=$1
page=$2
failures=0

fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

# Option words (-o, --output-dir) of a text on stdin, one a line, sorted and unique. An option
# starts the text or follows a space, a comma, a bracket, a parenthesis or a bar, so that
# "comma-separated" or "brimsel-cli" are not taken for options.
options() {
  grep -oE '(^|[][ ,|(])--?[A-Za-z][A-Za-z0-9-]*' | sed -E 's/^[][ ,|(]//' | sort -u
}

# The page as plain text in its requests: "\-" as "-", font changes dropped.
plain_page() {
  sed -e 's/\\-/-/g' -e 's/\\f[BIRP]//g' -e 's/\\(dq/"/g' "$page"
}

# section KIND NAME: the lines of ".SH NAME" or ".SS NAME", up to the next heading.
section() {
  plain_page | awk -v kind=".$1" -v name="$2" '
    $1 == ".SH" || $1 == ".SS" { on = ($1 == kind && substr($0, length(kind) + 2) == name); next }
    on { print }'
}

# The lines that follow a .TP request: the items of a list of options.
items() {
  awk 'tp { print; tp = 0 } $1 == ".TP" { tp = 1 }'
}

# check WHAT HELP SECTION: both ways between the options of HELP and those of SECTION.
check() {
  local what=$1 help=$2 section=$3 missing
  missing=$(comm -23 <(options <<<"$help") <(options <<<"$section"))
  [ -z "$missing" ] || fail "$what: in --help, not in the page: $(echo $missing)"
  missing=$(comm -13 <(options <<<"$help") <(items <<<"$section" | options))
  [ -z "$missing" ] || fail "$what: in the page, not in --help: $(echo $missing)"
}

main_help=$("$program" --help) || fail "$program --help: exit status $?"
[ -n "$main_help" ] || fail "$program --help printed nothing"
check "$program" "$main_help" "$(section SH OPTIONS)"

commands=$(awk '/^Commands:/ { on = 1; next } on && /^$/ { exit } on && /^  [a-z]/ { print $1 }' \
  <<<"$main_help" | sort)
if [ -n "$commands" ]; then
  in_page=$(plain_page | awk '$1 == ".SH" { on = ($2 == "COMMANDS"); next }
    on && $1 == ".SS" { print $2 }' | sort)
  missing=$(comm -23 <(echo "$commands") <(echo "$in_page"))
  [ -z "$missing" ] || fail "commands in --help, not in the page's COMMANDS: $(echo $missing)"
  missing=$(comm -13 <(echo "$commands") <(echo "$in_page"))
  [ -z "$missing" ] || fail "commands in the page's COMMANDS, not in --help: $(echo $missing)"
  for command in $commands; do
    help=$("$program" "$command" --help) || fail "$program $command --help: exit status $?"
    check "$program $command" "$help" "$(section SS "$command")"
  done
fi

[ "$failures" -eq 0 ] || { echo "$page is not in step with $program --help" >&2; exit 1; }
echo "$page: every option and command of $program --help, and no other"
