#!/usr/bin/env bash
# The wire-conformance suite: builds the wire crate offline against Debian's
# packaged crates, generates its client with vantrel, type-checks the client
# together with the checks, and runs the checks between serde and the
# generated schemas.
#
# Usage: run.sh VANTREL NODE NODE_MODULES RUNTIME_DIR WORK_DIR
#
# Everything is built under WORK_DIR: the crate is copied there (cargo writes
# Cargo.lock and vantrel writes target/vantrel into the workspace it works
# on), and cargo's target directory stays there between runs so that only
# the wire crate is rebuilt after the first run.
set -euo pipefail
vantrel=$1 node=$2 node_modules=$3 runtime=$4 work=$5
source_dir=$(cd "$(dirname "$0")" && pwd)
registry=${VANTREL_CARGO_REGISTRY:-/usr/share/cargo/registry}

if ! ls -d "$registry"/serde_json-* >/dev/null 2>&1; then
  echo "wire: no packaged crates in $registry; run scripts/bootstrap" >&2
  exit 1
fi

ws=$work/ws
rm -rf "$ws"
mkdir -p "$ws/.cargo" "$work/cargo-target"
cp -a "$source_dir/Cargo.toml" "$source_dir/vantrel.toml" "$source_dir/crates" "$source_dir/app" "$ws/"
cat > "$ws/.cargo/config.toml" <<TOML
[source.crates-io]
replace-with = "debian"

[source.debian]
directory = "$registry"

[net]
offline = true
TOML

echo "== cargo build (offline, packaged crates)"
(cd "$ws" && CARGO_TARGET_DIR="$work/cargo-target" cargo build --offline --quiet)
wire_api=$work/cargo-target/debug/wire-api

echo "== vantrel generate"
"$vantrel" --root "$ws" generate

# The generated tsconfig.json maps the runtime and Effect into the app's
# node_modules; the generated files themselves find them through the
# workspace's node_modules at run time.
modules=$ws/app/node_modules
mkdir -p "$modules/@vantrel"
ln -s "$node_modules/effect" "$modules/effect"
ln -s "$node_modules/tsx" "$modules/tsx"
ln -s "$runtime" "$modules/@vantrel/effect-runtime"
ln -s "$modules" "$ws/node_modules"

echo "== tsc: the generated package and the checks"
"$node" "$node_modules/typescript/bin/tsc" --noEmit -p "$ws/target/vantrel/packages/@wire/api/tsconfig.json"

echo "== serde against the generated schemas"
cd "$ws/app"
"$node" --import tsx main.ts "$wire_api"
