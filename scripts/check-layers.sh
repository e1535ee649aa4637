#!/usr/bin/env bash
# Checks that includes run only downwards through the layers of the code:
#   common <- lottery <- online <- app <- ui
# A folder includes from its own layer and the layers below it. Widgets belong to common/widgets and
# ui/ alone: no other folder includes common/widgets or a header of Qt's widget or chart modules.
# Prints every offending include and exits 1 when there is one.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"

layer_of() {
  case "$1" in
    common/widgets/*) echo 1 ;;
    common/*) echo 0 ;;
    lottery/*) echo 2 ;;
    online/*) echo 3 ;;
    app/*) echo 4 ;;
    ui/*) echo 5 ;;
    *) echo -1 ;;
  esac
}

# Qt's widget and chart headers, by the names they are included with.
qt_headers="$(qmake6 -query QT_INSTALL_HEADERS 2>/dev/null || true)"
if [ ! -d "$qt_headers/QtWidgets" ]; then
  qt_headers="$(dirname "$(ls -d /usr/include/*/qt6/QtWidgets /usr/include/qt6/QtWidgets 2>/dev/null | head -n 1)")"
fi
widget_names=" "
for module in QtWidgets QtCharts; do
  if [ -d "$qt_headers/$module" ]; then
    widget_names+="$(ls "$qt_headers/$module" | tr '\n' ' ')"
  fi
done
if [ "$widget_names" = " " ]; then
  echo "check-layers: Qt's widget headers not found under $qt_headers" >&2
  exit 2
fi

failed=0
while IFS= read -r file; do
  from=$(layer_of "$file")
  [ "$from" -ge 0 ] || continue
  while IFS=: read -r line text; do
    target=$(sed -n 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"\([^"]*\)".*/\1/p' <<<"$text")
    system=$(sed -n 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*<\([^>]*\)>.*/\1/p' <<<"$text")
    if [ -n "$target" ]; then
      to=$(layer_of "$target")
      [ "$to" -ge 0 ] || continue
      # common/widgets sits beside common: only widgets code and ui may include it
      if { [ "$to" -gt "$from" ] && ! { [ "$from" -eq 1 ] && [ "$to" -eq 0 ]; }; } ||
         { [ "$to" -eq 1 ] && [ "$from" -ne 1 ] && [ "$from" -ne 5 ]; }; then
        echo "$file:$line: includes \"$target\" from a higher layer"
        failed=1
      fi
    elif [ -n "$system" ] && [ "$from" -ne 1 ] && [ "$from" -ne 5 ]; then
      name="${system##*/}"
      module="${system%%/*}"
      if [ "$module" = QtWidgets ] || [ "$module" = QtCharts ] || [[ "$widget_names" == *" $name "* && "$system" != */* ]]; then
        echo "$file:$line: includes the widgets header <$system> outside common/widgets and ui"
        failed=1
      fi
    fi
  done < <(grep -n '^[[:space:]]*#[[:space:]]*include' "$file" || true)
done < <(git ls-files 'common/*' 'lottery/*' 'online/*' 'app/*' 'ui/*' | grep -E '\.(h|cpp)$')

if [ "$failed" -ne 0 ]; then
  echo "check-layers: includes that run upwards (see above)"
  exit 1
fi
echo "check-layers: every include runs downwards"
