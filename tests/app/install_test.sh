#!/usr/bin/env bash
# Installs the build into a scratch prefix and checks that it lands as a desktop program: the
# programs, the menu entry, the report file type and the icons, all consistent with each other.
set -euo pipefail
build=$1
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" >/dev/null
for f in bin/qrpview bin/qrptool share/applications/qrpview.desktop share/mime/packages/qrpview.xml \
         share/icons/hicolor/scalable/apps/qrpview.svg \
         share/icons/hicolor/scalable/mimetypes/application-x-qrp-report.svg; do
  [ -e "$prefix/$f" ] || { echo "missing after install: $f"; exit 1; }
done
[ -x "$prefix/bin/qrpview" ] || { echo "qrpview is not executable"; exit 1; }
desktop=$prefix/share/applications/qrpview.desktop
grep -q '^Exec=qrpview %f$' "$desktop" || { echo "desktop entry does not open a file"; exit 1; }
grep -q '^MimeType=application/x-qrp-report;$' "$desktop" || { echo "desktop entry lacks the type"; exit 1; }
grep -q 'type="application/x-qrp-report"' "$prefix/share/mime/packages/qrpview.xml"
grep -q 'pattern="\*.qrp"' "$prefix/share/mime/packages/qrpview.xml"
if command -v desktop-file-validate >/dev/null; then desktop-file-validate "$desktop"; fi
if command -v xmllint >/dev/null; then xmllint --noout "$prefix/share/mime/packages/qrpview.xml"; fi
echo "installed layout complete"
