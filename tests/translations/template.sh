#!/usr/bin/env bash
# The translation template: lupdate reads every folder without a complaint
# and collects the texts of the code, of the forms and of the command line,
# each under the class that shows it.
#   template.sh LUPDATE SOURCE_DIR
set -euo pipefail
lupdate=$1
source_dir=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

cd "$source_dir"
"$lupdate" -silent -locations none -extensions cpp,h,ui -source-language en -I "$source_dir" \
  common document help wizard app -ts "$work/quindle.ts" >"$work/out" 2>&1
if [ -s "$work/out" ]; then
  echo "lupdate complained:"
  cat "$work/out"
  exit 1
fi

# context name, then a source text that must be in it (XML-escaped as lupdate writes it)
expected=(
  "TVantorel|Cannot find list file %1"
  "TVantorel|&amp;File"
  "TVantorel|Cannot open file %1"
  "TVantorel|Current Project List"
  "WizardPages|Project Wizard Page 1"
  "ListFileChooser|The Project Directory is Currently %1"
  "RecordEditor|This will remove %1 From the projects list"
  "OptionsPages|Run Maximised"
  "CommandLine|Show the version and end."
  "HelpFileLocation|Cannot find help file %1 or %2"
  "TWhatsThis|What&apos;s this?"
  "QtDialogs|Confirm"
)
failed=0
for entry in "${expected[@]}"; do
  context=${entry%%|*}
  text=${entry#*|}
  # The messages of one context, from its name to its end.
  messages=$(awk -v name="<name>$context</name>" '
    index($0, name) { inside = 1; next }
    inside && /<\/context>/ { exit }
    inside { print }' "$work/quindle.ts")
  if [ -z "$messages" ] || ! grep -qF -- "<source>$text" <<<"$messages"; then
    echo "missing from context $context: $text"
    failed=1
  fi
done
exit $failed
