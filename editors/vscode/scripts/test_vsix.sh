#!/bin/sh
# Checks the packaged extension: unpacks the .vsix, fails if it holds the test samples,
# these scripts or node_modules, or lacks a file that its package.json names, then runs the
# grammar tests against the grammar inside it, so a stale or missing grammar fails too.
# Usage (from editors/vscode, after "npm run package"): sh scripts/test_vsix.sh FILE.vsix
set -eu
vsix=$1
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
unzip -q "$vsix" -d "$dir"

unwanted=$(cd "$dir/extension" && find . -path ./test -o -path ./node_modules -o -path ./scripts)
if [ -n "$unwanted" ]; then
  echo "$vsix holds files it should not: $unwanted" >&2
  exit 1
fi
# The language settings and the grammar that the manifest names are in the package.
node -e '
  const path = require("path");
  const dir = process.argv[1];
  const { languages, grammars } = require(path.join(dir, "package.json")).contributes;
  for (const file of [languages[0].configuration, grammars[0].path]) {
    if (!require("fs").existsSync(path.join(dir, file))) {
      console.error(`the package lacks ${file}, which its package.json names`);
      process.exit(1);
    }
  }' "$dir/extension"

grammar=$(node -p "require(process.argv[1]).contributes.grammars[0].path" "$dir/extension/package.json")
echo "grammar tests against $vsix: $grammar"
npx vscode-tmgrammar-test --grammar "$dir/extension/$grammar" "test/*.ulv"
