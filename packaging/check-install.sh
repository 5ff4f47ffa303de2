#!/usr/bin/env bash
# check-install.sh CMAKE BUILD_DIR APP_ID VERSION RELEASE_DATE ICON_SIZE...: installs the build
# into a scratch prefix and checks that a desktop would find everything: both programs and
# nothing else in bin/, a valid desktop entry and metainfo that name each other and the current
# version, and the icon at each size, as big as its folder promises; and that man and
# Debian would: a manual page for each program, the copyright file and the changelog
# of this version, compressed as Debian wants them; and the user guide beside them. The
# metainfo, the pages and the changelog all carry the release date (YYYY-MM-DD).
set -euo pipefail
cmake=$1 build=$2 id=$3 version=$4 date=$5
shift 5
icon_sizes=("$@")
[ ${#icon_sizes[@]} -gt 0 ] || { echo "FAIL: no icon sizes given" >&2; exit 1; }
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
"$cmake" --install "$build" --prefix "$prefix" >/dev/null
cd "$prefix"
status=0
fail() { echo "FAIL: $*" >&2; status=1; }

[ "$(ls bin)" = "$(printf 'tamrix\ntamrix-read')" ] || fail "bin/ holds: $(ls bin | tr '\n' ' ')"
for program in tamrix tamrix-read; do
  [ -x "bin/$program" ] || fail "bin/$program is not executable"
  # The system's libraries from the system's folders: no run path of our own in front of them.
  ! readelf -d "bin/$program" 2>/dev/null | grep -qE '\((RPATH|RUNPATH)\)' || fail "bin/$program carries a run path"
done

desktop=share/applications/$id.desktop
metainfo=share/metainfo/$id.metainfo.xml
desktop-file-validate "$desktop" || fail "$desktop does not validate"
appstreamcli validate --no-net "$metainfo" || fail "$metainfo does not validate"
grep -qx "Icon=$id" "$desktop" || fail "$desktop does not use the icon $id"
grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$metainfo" || fail "$metainfo does not launch $id.desktop"
grep -q "<release version=\"$version\" date=\"$date\"" "$metainfo" || fail "$metainfo has no release $version of $date"

icons=share/icons/hicolor
grep -q '<svg' "$icons/scalable/apps/$id.svg" || fail "no SVG icon"
# Nothing in the theme but the SVG and these sizes.
expected=$(for size in "${icon_sizes[@]}"; do echo "${size}x$size"; done; echo scalable)
[ "$(ls "$icons" | sort)" = "$(echo "$expected" | sort)" ] || fail "$icons holds: $(ls "$icons" | tr '\n' ' ')"
for size in "${icon_sizes[@]}"; do
  png=$icons/${size}x${size}/apps/$id.png
  # A PNG's width and height are big-endian words at bytes 16 and 20.
  [ -f "$png" ] && read -r w h < <(od -An -tu4 --endian=big -j16 -N8 "$png") || { fail "$png is missing"; continue; }
  [ "$w $h" = "$size $size" ] || fail "$png is ${w}x${h}"
done

# gzip -9n: no file name stored (flags byte 3 clear), no time stamp (bytes 4 to 7), and the
# "best compression" mark (byte 8 is 2).
gzipped_9n() {
  [ -f "$1" ] && gzip -t "$1" 2>/dev/null && [ "$(od -An -tu1 -j3 -N6 "$1" | tr -s ' ')" = " 0 0 0 0 0 2" ]
}
for program in tamrix tamrix-read; do
  page=share/man/man1/$program.1.gz
  gzipped_9n "$page" || fail "$page is missing or not compressed with gzip -9n"
  gzip -dc "$page" 2>/dev/null | sed 's/\\-/-/g' | grep "^\.TH ${program^^} 1 $date \"Tamrix $version\"" >/dev/null \
    || fail "$page is not the page of $program $version of $date"
done
doc=share/doc/tamrix
head -n 1 "$doc/copyright" 2>/dev/null | grep -q '^Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/' \
  || fail "$doc/copyright is missing or not machine-readable"
gzipped_9n "$doc/changelog.gz" || fail "$doc/changelog.gz is missing or not compressed with gzip -9n"
gzip -dc "$doc/changelog.gz" 2>/dev/null | sed -n 1p | grep "^tamrix ($version) " >/dev/null || fail "$doc/changelog.gz does not begin with version $version"
# The changelog's date as RFC 2822 has it, its weekday included.
changelog_day=$(LC_ALL=C date -u -d "$date" '+%a, %d %b %Y')
gzip -dc "$doc/changelog.gz" 2>/dev/null | grep "^ -- .*>  $changelog_day [0-9:]* +0000\$" >/dev/null \
  || fail "$doc/changelog.gz is not signed on $changelog_day"
[ -f "$doc/user-guide.md" ] || fail "$doc/user-guide.md is missing"
[ ! -e share/lintian ] || fail "lintian's overrides are for the package only"

[ $status -eq 0 ] && echo "install layout ok"
exit $status
