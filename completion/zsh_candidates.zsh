# Prints what the zsh completion offers on Tab at the end of each LINE, as compinit loads it from
# COMPLETION-DIR: the candidates of each line, then a line "== end". Run inside WORKDIR.
# Usage: zsh -f zsh_candidates.zsh COMPLETION-DIR WORKDIR LINE...
dir=$1 work=$2
shift 2
out=$work/zsh-candidates
: >$out
zmodload zsh/zpty
zpty shell zsh -f -i
zpty -w shell "fpath=($dir \$fpath); autoload -U compinit; compinit -u -d $work/.zcompdump; cd $work"
# Every candidate the completion adds is also written to the file.
zpty -w shell "compadd() { builtin compadd -O __hits \"\$@\"; print -rl -- \"\${__hits[@]}\" >>$out; builtin compadd \"\$@\" }"
for line in "$@"; do
  zpty -w shell "$line"$'\t'
  zpty -w shell $'\x15'"print -r -- '== end' >>$out"
done
# The shell works through its input on its own; wait until it has answered every line.
for i in {1..300}; do
  (($(grep -c '^== end$' $out) == $#)) && break
  sleep 0.1
done
zpty -d shell
cat $out
