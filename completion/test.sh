#!/usr/bin/env bash
# The bash completion of sumoran-cli, loaded as bash-completion loads it: registered for the
# command, offering the subcommands, every option --help names, the values of the options that
# take a list of them, and page files and folders for an input. The zsh completion offers the same
# in an interactive zsh.
# Usage: test.sh SOURCE-DIR SUMORAN-CLI
set -uo pipefail
source_dir=$(realpath "$1") cli=$(realpath "$2")
# shellcheck disable=SC1091
source /usr/share/bash-completion/bash_completion || { echo "no bash-completion"; exit 1; }
# shellcheck disable=SC1091
source "$source_dir/sumoran-cli.bash"
# Outside a real completion compopt refuses to run; what it sets is not tested here.
compopt() { :; }
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# Completes the command line up to its end as bash does on Tab; prints the candidates sorted.
complete_line() {
  local line=$1
  COMP_LINE=$line COMP_POINT=${#line}
  read -ra COMP_WORDS <<<"$line"
  [[ $line == *" " ]] && COMP_WORDS+=("")
  # bash splits "--format=js" at "=" into three words.
  local split_words=() w
  for w in "${COMP_WORDS[@]}"; do
    if [[ $w == --*=* ]]; then split_words+=("${w%%=*}" "=" "${w#*=}"); else split_words+=("$w"); fi
  done
  COMP_WORDS=("${split_words[@]}")
  COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
  COMPREPLY=()
  _sumoran_cli sumoran-cli "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
  printf '%s\n' "${COMPREPLY[@]}" | sort
}
expect() {
  local line=$1 want=$2 got
  got=$(complete_line "$line" | tr '\n' ' ' | sed 's/ $//')
  [ "$got" = "$want" ] || fail "'$line': got '$got', want '$want'"
}

[[ $(complete -p sumoran-cli) == "complete -F _sumoran_cli sumoran-cli" ]] || fail "complete -p: $(complete -p sumoran-cli 2>&1)"
[ -n "$(compgen -A function _sumoran_cli)" ] || fail "no function _sumoran_cli"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/site"
touch "$work/a.html" "$work/b.htm" "$work/notes.txt" "$work/r.jsonl"
cd "$work" || exit 1

expect "sumoran-cli " "a.html aggregate b.htm collocates compare site stem"
expect "sumoran-cli st" "stem"
expect "sumoran-cli --format=" "csv json jsonl text tsv"
expect "sumoran-cli --format=j" "json jsonl"
expect "sumoran-cli --show=" "all combinations metrics sentences stems summary text words zones"
expect "sumoran-cli --limit=1" "10 10%"
expect "sumoran-cli --charset=k" "koi8-r"
expect "sumoran-cli --stems=" "builtin dictionary"
expect "sumoran-cli --frames=" "any folder none"
expect "sumoran-cli --decimal=" ", ."
expect "sumoran-cli --stopwords=" "notes.txt site"
expect "sumoran-cli --quiet a.html " "a.html b.htm site"
expect "sumoran-cli aggregate --show=" "combinations stems"
expect "sumoran-cli aggregate " "r.jsonl site"
expect "sumoran-cli stem " ""
expect "sumoran-cli compare --p=" "0.0001 0.001 0.01 0.05"
expect "sumoran-cli compare --sh" "--show="
expect "sumoran-cli compare a.html " "a.html b.htm r.jsonl site"
expect "sumoran-cli collocates --sp" "--span="

# Every option of --help is offered after "-", and nothing else.
want=$("$cli" --help | grep -E '^  -' | sed -E 's/   .*//' | grep -oE -- '(^|[ ,])--?[a-z][a-z0-9-]*' | tr -d ' ,' | sort -u)
got=$(complete_line "sumoran-cli -" | sed 's/=$//' | sort -u)
[ "$want" = "$got" ] || fail "options differ from --help:$(diff <(echo "$want") <(echo "$got"))"

zsh -n "$source_dir/_sumoran-cli" || fail "_sumoran-cli does not parse in zsh"

# The zsh completion, loaded by compinit in an interactive zsh; one sorted line of candidates per case.
zsh_cases=("sumoran-cli --format=" "sumoran-cli --charset=" "sumoran-cli --lim" "sumoran-cli aggregate --show="
  "sumoran-cli aggregate " "sumoran-cli ")
zsh_want=("csv json jsonl text tsv" "auto iso-8859-5 koi8-r utf-8 windows-1251" "--limit" "combinations stems"
  "r.jsonl site" "a.html aggregate b.htm collocates compare site stem")
zsh_got=() candidates=""
while IFS= read -r line; do
  if [ "$line" = "== end" ]; then
    zsh_got+=("$(printf '%s' "$candidates" | sort -u | tr '\n' ' ' | sed 's/ $//')")
    candidates=""
  elif [ -n "$line" ]; then
    candidates+="$line"$'\n'
  fi
done < <(timeout 60 zsh -f "$source_dir/zsh_candidates.zsh" "$source_dir" "$work" "${zsh_cases[@]}")
for i in "${!zsh_cases[@]}"; do
  [ "${zsh_got[i]-}" = "${zsh_want[i]}" ] || fail "zsh '${zsh_cases[i]}': got '${zsh_got[i]-}', want '${zsh_want[i]}'"
done

if ((failures)); then exit 1; fi
echo ok
