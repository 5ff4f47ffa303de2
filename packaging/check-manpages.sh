#!/usr/bin/env bash
# check-manpages.sh PROGRAM PAGE [PROGRAM PAGE...]: each manual page lists under OPTIONS exactly
# the options that its program's --help shows, with the same argument names, and man renders
# it without a warning (the check lintian makes of a packaged page).
set -euo pipefail
command -v man >/dev/null || { echo "FAIL: man is not installed" >&2; exit 1; }
status=0
fail() { echo "FAIL: $*" >&2; status=1; }

# One option a line, as "-h, --help" or "--port DEVICE": from the option lines of --help ...
help_options() {
  "$1" --help | sed -nE 's/^  (-[[:alnum:]], )?(--[[:alnum:]-]+)( <([^>]*)>)?.*/\1\2 \4/p' | sed 's/ *$//' | sort
}
# ... and from the page: the tag line after each .TP under OPTIONS, without its font changes.
page_options() {
  sed -n '/^\.SH OPTIONS/,/^\.SH /p' "$1" | sed -n '/^\.TP/{n;p}' | sed -E 's/\\f[BIRP]//g; s/\\-/-/g' | sort
}

while [ $# -ge 2 ]; do
  program=$1 page=$2
  shift 2
  if ! differences=$(diff <(help_options "$program") <(page_options "$page")); then
    fail "$(basename "$page") and $(basename "$program") --help list different options (< --help, > page):"
    echo "$differences" >&2
  fi
  [ -n "$(page_options "$page")" ] || fail "$(basename "$page") lists no options"
  warnings=$(LC_ALL=C.UTF-8 MANROFFSEQ='' MANWIDTH=80 man --warnings -E UTF-8 -l -Tutf8 -Z "$page" 2>&1 >/dev/null)
  [ -z "$warnings" ] || fail "$(basename "$page"): $warnings"
done
[ $status -eq 0 ] && echo "manual pages ok"
exit $status
