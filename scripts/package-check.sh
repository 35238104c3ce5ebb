#!/usr/bin/env bash
# Checks a built package the way an installation would use it: unpacked into a temporary root, its
# programs must start and work from there (a file or library the package misses fails here), and
# lintian must find no error.
set -euo pipefail
cd "$(dirname "$0")/.."
deb=${1:-$(ls -t build*/package/*.deb | head -n 1)}
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
dpkg-deb -x "$deb" "$root"
bin="$root/usr/bin"
for f in usr/bin/fieldlink usr/bin/fieldlink-cli usr/bin/quarn-sim usr/share/applications/fieldlink.desktop \
         usr/share/mime/packages/fieldlink.xml usr/share/fieldlink/help/QuarnFLS-help.pdf \
         usr/share/fieldlink/help/QuarnFLS-help.html \
         usr/share/fieldlink/samples/SPECTRUM.qtr usr/share/fieldlink/samples/MASK_A.QLM \
         usr/share/icons/hicolor/scalable/apps/fieldlink.svg usr/share/icons/hicolor/48x48/apps/fieldlink.png \
         usr/share/man/man1/fieldlink.1.gz usr/share/man/man1/fieldlink-cli.1.gz usr/share/man/man1/quarn-sim.1.gz \
         usr/share/doc/fieldlink/copyright usr/share/doc/fieldlink/changelog.gz; do
  [ -e "$root/$f" ] || { echo "package-check: $f is missing from $deb" >&2; exit 1; }
done
# A sample trace of every mode and an editor file of every kind.
for f in SPECTRUM.qtr CPOWER.qtr ACPR.qtr OBW.qtr DTF_DB.qtr RFL_RL.qtr CABLE_LOSS.qtr EMF.qtr \
         MASK_A.QLM EMF_LIM.QEL GSM900.QSY RG213.QCT LOGPER.QAF FEEDER.QCF PREAMP.QED; do
  [ -e "$root/usr/share/fieldlink/samples/$f" ] || { echo "package-check: sample $f is missing" >&2; exit 1; }
done
# The manual: every picture the HTML shows is installed, and the PDF holds the task and troubleshooting
# chapters with their pictures.
help="$root/usr/share/fieldlink/help"
for img in $(grep -o 'src="[^"]*"' "$help/QuarnFLS-help.html" | sed 's/src="//; s/"$//'); do
  [ -s "$help/$img" ] || { echo "package-check: the manual's $img is missing" >&2; exit 1; }
done
manual=$(pdftotext "$help/QuarnFLS-help.pdf" -)
for chapter in "By cable" "By LAN" "Zoom and pan" "Limit lines" "Troubleshooting" "dialout" "49200"; do
  grep -q "$chapter" <<<"$manual" ||
    { echo "package-check: the manual has no \"$chapter\"" >&2; exit 1; }
done
[ "$(pdfimages -list "$help/QuarnFLS-help.pdf" | tail -n +3 | wc -l)" -ge 10 ] ||
  { echo "package-check: the manual has fewer than ten pictures" >&2; exit 1; }
"$bin/fieldlink-cli" --version
env -u QT_QPA_PLATFORM -u DISPLAY -u WAYLAND_DISPLAY "$bin/fieldlink" --version  # no display needed
"$bin/quarn-sim" --help >/dev/null
FIELDLINK_HOME="$root/home" QT_QPA_PLATFORM=offscreen \
  "$bin/fieldlink-cli" render tests/data/samples/SPECTRUM.qtr -o "$root/page.png"
[ -s "$root/page.png" ] || { echo "package-check: render wrote nothing" >&2; exit 1; }
# Vector pages from the installed samples, as the README's examples do.
FIELDLINK_HOME="$root/home" QT_QPA_PLATFORM=offscreen \
  "$bin/fieldlink-cli" render "$root"/usr/share/fieldlink/samples/SPECTRUM.qtr -o "$root/page.pdf"
[ -s "$root/page.pdf" ] || { echo "package-check: no PDF page" >&2; exit 1; }
# The README's examples for the installed program, run against the unpacked package.
work="$root/work"
mkdir -p "$work"
sed -n '/<!-- installed-examples -->/,/<!-- \/installed-examples -->/p' README.md | grep '^fieldlink-cli ' |
  while IFS= read -r line; do
    (cd "$work" && FIELDLINK_HOME="$root/home" QT_QPA_PLATFORM=offscreen \
      eval "\"$bin/\"${line//\/usr\/share/$root\/usr\/share}") >/dev/null ||
      { echo "package-check: the README's \"$line\" failed" >&2; exit 1; }
  done
for f in pages/SPECTRUM.pdf pages/EMF.pdf survey.pdf spectrum.csv mask.png sites.kml; do
  [ -s "$work/$f" ] || { echo "package-check: the README's examples wrote no $f" >&2; exit 1; }
done
# Each man page renders without a warning and has the sections a man page has.
for m in "$root"/usr/share/man/man1/*.1.gz; do
  warnings=$(MANWIDTH=80 man --warnings -E UTF-8 -l "$m" 2>&1 >/dev/null || true)
  [ -z "$warnings" ] || { echo "package-check: $m: $warnings" >&2; exit 1; }
  for section in NAME SYNOPSIS DESCRIPTION OPTIONS '"EXIT STATUS"' FILES EXAMPLES; do
    zcat "$m" | grep -q "^\.SH $section" || { echo "package-check: $m has no $section" >&2; exit 1; }
  done
done
lintian --fail-on error --suppress-tags binary-has-unneeded-section "$deb"
echo "package-check: $deb is complete"
