#!/usr/bin/env bash
# Type-checks generated packages with `tsc --noEmit`: each package directory
# is copied to a temporary directory and checked with its own compiler
# options plus path mappings to the Effect library and the runtime package
# in this repository (the generated tsconfig.json maps them into an app's
# node_modules, which a golden package does not have).
# Usage: typecheck_packages.sh NODE NODE_MODULES RUNTIME_DIR PACKAGE_DIR...
set -euo pipefail
node=$1 node_modules=$2 runtime=$3
shift 3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
status=0
for package in "$@"; do
  name=$(sed -n 's/^  "name": "\(.*\)",$/\1/p' "$package/package.json")
  dir="$work/$(basename "$package")"
  cp -r "$package" "$dir"
  cat > "$dir/tsconfig.e2e.json" <<JSON
{
  "compilerOptions": {
    "strict": true,
    "noEmit": true,
    "target": "ES2022",
    "module": "ESNext",
    "moduleResolution": "bundler",
    "skipLibCheck": true,
    "types": [],
    "paths": {
      "$name": ["./index.ts"],
      "$name/*": ["./*"],
      "@vantrel/effect-runtime": ["$runtime/src/index.ts"],
      "@vantrel/effect-runtime/compat": ["$runtime/src/compat.ts"],
      "effect": ["$node_modules/effect/dist/index.d.ts"],
      "effect/*": ["$node_modules/effect/dist/*"]
    }
  },
  "include": ["./**/*.ts"]
}
JSON
  if "$node" "$node_modules/typescript/bin/tsc" --noEmit -p "$dir/tsconfig.e2e.json"; then
    echo "ok: $package ($name)"
  else
    echo "FAILED: $package ($name)"
    status=1
  fi
done
exit $status
