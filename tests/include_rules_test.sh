#!/usr/bin/env bash
# Checks the layering of the tree: each folder includes only the project folders below it, and no
# folder outside the Qt adapters and the window includes Qt. Prints every include that breaks a
# rule and fails when there is one.
set -euo pipefail
cd "$(dirname "$0")/.."

status=0
# check FOLDER ALLOWED-PROJECT-FOLDERS QT(yes|no)
check() {
  local folder=$1 allowed=$2 qt=$3
  local files
  files=$(find "$folder" -maxdepth 1 \( -name '*.cpp' -o -name '*.h' \))
  [ -n "$files" ] || return 0
  while IFS=: read -r file line text; do
    local target
    target=$(sed -E 's/^#include *[<"]([^>"]+)[>"].*/\1/' <<<"$text")
    case "$target" in
      Q* | q*/Q*)
        if [ "$qt" = no ]; then echo "$file:$line: $folder may not include Qt: $text"; status=1; fi ;;
      */*)
        local dir=${target%/*}
        if [[ -d $dir && " $allowed " != *" $dir "* ]]; then
          echo "$file:$line: $folder may not include $dir/: $text"; status=1
        fi ;;
    esac
  done < <(grep -Hn '^#include' $files || true)
}

plain="base engine figures settings views summary concordance page maintext document"
check base "base" no
check engine "base engine" no
check figures "base engine figures" no
check settings "base engine settings" no
check views "base engine views" no
check summary "base engine views settings summary" no
check document "$plain compare" no
check concordance "base engine views concordance" no
check compare "compare" no
check page "base engine settings page" no
check maintext "base page maintext" no
check dictstem "base engine settings dictstem" no
check reference "$plain compare reference" no
check cli "$plain dictstem compare reference cli" no
check fuzz "$plain fuzz" no
check bench "$plain dictstem maintext compare bench tests" no
check tests "$plain tests" no
check views/qt "base engine views views/qt" yes
check settings/qt "base engine settings views views/qt settings/qt resources" yes
check app/browser "base engine settings views page views/qt app/browser" yes
check app "$plain dictstem compare reference views/qt settings/qt resources app/browser app" yes
exit $status
