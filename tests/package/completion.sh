#!/usr/bin/env bash
# Checks the bash completion of quorvex in a real interactive bash: keys are typed into a
# bash -i on a pseudo-terminal (`script`), with readline and the default COMP_WORDBREAKS (which
# splits words at '=' and ':'), and the completed command lines are compared.
#
# Usage: tests/package/completion.sh PATH/TO/quorvex.bash-completion
#
# `quorvex` is a shell function there that prints its arguments, so each case's line shows
# what the completion made of it. Tab completes; ESC * (insert-completions) inserts every
# candidate, which shows the whole list of a switch's values.
set -euo pipefail
completion=$(realpath "$1")
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
mkdir -p "$scratch/data/tiles" "$scratch/two words"
touch "$scratch/data/coord-gauss117.json" "$scratch/data/coord-control-site.json" \
  "$scratch/data/tiles/tile_a.obj" "$scratch/data/tiles/tile_b.obj"

# typed keys (\t: Tab, \e*: insert-completions) | the arguments the command line ends with
cases=(
  'quorvex -input=data/ti\t|-input=data/tiles/'
  'quorvex -coord=data/coord-g\t|-coord=data/coord-gauss117.json'
  'quorvex -output=tw\t|-output=two words/'
  'quorvex -base=data/coord-c\t|-base=data/coord-control-site.json'
  'quorvex -report=data/tiles/tile_b\t|-report=data/tiles/tile_b.obj'
  'quorvex -toProj=\e*|-toProj=0 1'
  'quorvex -bENU=\e*|-bENU=0 1'
  'quorvex -progress=\e*|-progress=0 1'
  'quorvex -baseonly=\e*|-baseonly=0 1'
  'quorvex -tree=\e*|-tree=0 1'
  'quorvex -materials=\e*|-materials=copy link none'
  'quorvex -mat\tc\t|-materials=copy'
  'quorvex -metadata=au\t|-metadata=auto'
  'quorvex -metadata=data/coord-g\t|-metadata=data/coord-gauss117.json'
  'quorvex -dry\t\e*|-dryrun=0 1'
  'quorvex -inputbase=\t|-inputbase=ENU:'
  'quorvex -to\t1 -thr\t2|-toProj=1 -threads=2'
  'quorvex -maxc\t0.5|-maxclosure=0.5'
  'quorvex -filesfrom=data/coord-c\t|-filesfrom=data/coord-control-site.json'
  'quorvex -mergebounds=data/ti\t|-mergebounds=data/tiles/'
  'quorvex -manifest=tw\t|-manifest=two words/'
  'quorvex -bou\tb.json -sha\t1/2|-boundsonly=b.json -shard=1/2'
)

{
  printf 'source %q\n' "$completion"
  printf 'quorvex() { printf "got:%%s|\\n" "$*"; }\n'
  printf 'cd %q\n' "$scratch"
  for c in "${cases[@]}"; do printf '%b\n' "${c%%|*}"; done
  printf 'exit\n'
} >"$scratch/keys"

TERM=dumb timeout 60 script -qec "bash --norc --noprofile -i" /dev/null \
  <"$scratch/keys" >"$scratch/screen" 2>&1 || true
tr -d '\r' <"$scratch/screen" | sed -n 's/^got:\(.*\)|$/\1/p' >"$scratch/got"

failed=0
i=0
for c in "${cases[@]}"; do
  i=$((i + 1))
  want=${c#*|}
  got=$(sed -n "${i}p" "$scratch/got")
  if [ "$got" != "$want" ]; then
    printf 'case %d, typed %s: got "%s", expected "%s"\n' "$i" "${c%%|*}" "$got" "$want"
    failed=$((failed + 1))
  fi
done
if [ "$failed" -ne 0 ]; then
  echo "the terminal showed:"
  tr -d '\r' <"$scratch/screen" | sed 's/^/  | /'
fi
echo "completion: ${#cases[@]} cases, $failed failed"
[ "$failed" -eq 0 ]
