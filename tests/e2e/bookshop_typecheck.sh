#!/usr/bin/env bash
# The bundled example end to end: generate its client in a scratch copy of
# examples/bookshop and type-check the generated package against Effect and
# the runtime package.
# Usage: bookshop_typecheck.sh VANTREL SOURCE_DIR NODE NODE_MODULES
set -euo pipefail
vantrel=$1 source_dir=$2 node=$3 node_modules=$4
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp -r "$source_dir/examples/bookshop" "$work/bookshop"
rm -rf "$work/bookshop/target"
(cd "$work/bookshop" && "$vantrel" generate)
bash "$source_dir/tests/engine/gen/typecheck_packages.sh" "$node" "$node_modules" \
  "$source_dir/packages/effect-runtime" "$work/bookshop/target/vantrel/packages/@bookshop/api"
