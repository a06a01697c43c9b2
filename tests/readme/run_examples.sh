#!/usr/bin/env bash
# Runs the shell examples of a Markdown file (the README) in a scratch folder and compares
# what they print with what the file shows.
#
# Usage: tests/readme/run_examples.sh PATH/TO/quorvex README.md
#
# An example is a fenced block opened by "```sh example". The scratch folder holds a copy of
# the project's data/ and nothing else; the folder of the given quorvex comes first on the
# PATH. Examples run in the order of the file, each in a new bash, all in that one folder, so
# an example may use the files an earlier one wrote (as a reader going down the page would).
#
# - A block with lines starting with "$ " is a transcript: each such line (with the lines
#   after it while it ends in "\") is a command; the lines up to the next command are its
#   standard output, which must be the same text (a missing line end at its end aside). Every
#   command must exit 0.
# - Any other block is a script, run whole with `bash -e` (as pasted into a shell, stopping at
#   the first failing command); when a block opened by "```text output" follows it (before
#   the next example), the script's standard output must be that text.
#
# A fenced block that converts (a line starting with "quorvex -input=", also after "$ ") but is
# not marked as an example fails the test too, so that no example is left unchecked.
set -uo pipefail

if [ $# -ne 2 ]; then
  echo "usage: $0 PATH/TO/quorvex README.md" >&2
  exit 2
fi
bin=$(realpath "$1")
readme=$(realpath "$2")
top=$(dirname "$readme")
scratch=$(mktemp -d "${TMPDIR:-/tmp}/quorvex-readme.XXXXXX")
trap 'rm -rf "$scratch"' EXIT
steps="$scratch/.steps"
mkdir "$steps"
cp -r "$top/data" "$scratch/data"

# Cut the file into step files: NNN.sh (the commands), NNN.out (the expected standard output,
# when the file shows one), NNN.line (the README line the step starts on). Unmarked fenced
# blocks that run quorvex are listed in "unmarked".
awk -v dir="$steps" '
  function flush() {
    if (step != "") { close(step ".sh"); close(step ".out") }
  }
  function newstep(line) {
    flush()
    step = sprintf("%s/%03d", dir, ++count)
    print line > (step ".line"); close(step ".line")
    printf "" > (step ".sh")
  }
  /^```/ && !inblock {
    inblock = 1; start = NR
    kind = ($0 ~ /^```(sh|bash|shell|console)?[[:space:]]*$/) ? "shell" : "other"
    if ($0 ~ /^```sh example[[:space:]]*$/) kind = "example"
    if ($0 ~ /^```text output[[:space:]]*$/) kind = "output"
    transcript = 0; continuing = 0; scriptstep = ""
    if (kind == "output") {
      if (lastscript == "") { print "README:" NR ": output block without a script before it" > (dir "/errors"); kind = "other" }
      else { step = lastscript; printf "" > (step ".out"); lastscript = "" }
    }
    next
  }
  /^```/ && inblock {
    inblock = 0
    if (kind == "output") close(step ".out")
    next
  }
  !inblock { next }
  kind == "shell" {
    if ($0 ~ /^(\$ )?quorvex -input=/) unmarked = unmarked " " start
    next
  }
  kind == "other" { next }
  kind == "output" { print > (step ".out"); next }
  # an example block
  continuing { print > (step ".sh"); continuing = ($0 ~ /\\$/); next }
  /^\$ / {
    transcript = 1
    newstep(NR)
    print substr($0, 3) > (step ".sh")
    printf "" > (step ".out")
    continuing = ($0 ~ /\\$/)
    next
  }
  transcript { print > (step ".out"); next }
  {
    if (scriptstep == "") { newstep(start + 1); scriptstep = step; lastscript = step }
    print > (step ".sh")
  }
  END {
    flush()
    if (unmarked != "") print "README: fenced blocks run quorvex but are not marked \"sh example\", at lines" unmarked > (dir "/errors")
  }
' "$readme" || { echo "could not read the examples of $readme"; exit 1; }

failures=0
if [ -s "$steps/errors" ]; then
  cat "$steps/errors"
  failures=1
fi
count=0
for script in "$steps"/*.sh; do
  [ -e "$script" ] || break
  step=${script%.sh}
  line=$(cat "$step.line")
  count=$((count + 1))
  actual="$step.actual"
  errors="$step.stderr"
  # -e: a script stops at its first failing command (a transcript step is one command).
  (cd "$scratch" && PATH="$(dirname "$bin"):$PATH" bash -e -o pipefail "$script") \
    >"$actual" 2>"$errors"
  status=$?
  if [ $status -ne 0 ]; then
    echo "README:$line: exit status $status"
    sed 's/^/  | /' "$script"
    sed 's/^/  stderr: /' "$errors"
    failures=$((failures + 1))
    continue
  fi
  # What a program prints without a final line end (the base file) ends the line the same.
  if [ -s "$actual" ] && [ -n "$(tail -c 1 "$actual")" ]; then echo >>"$actual"; fi
  if [ -e "$step.out" ] && ! diff -u --label "README:$line shows" --label "printed" \
       "$step.out" "$actual"; then
    sed 's/^/  | /' "$script"
    failures=$((failures + 1))
  fi
done

if [ "$count" -eq 0 ]; then
  echo "no \"sh example\" block in $readme"
  exit 1
fi
echo "$count example steps run, $failures failed"
[ $failures -eq 0 ]
