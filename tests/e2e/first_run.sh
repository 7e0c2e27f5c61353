#!/usr/bin/env bash
# The first-run experience, followed the way a new user follows the lines that
# `vantrel new` prints: scaffold a project in an empty directory, generate its
# client from inside it, check it, install the app's npm dependencies,
# type-check the app, and run it against the example server.
#
# The two npm packages of this repository are not on the public registry, so
# they are packed from packages/ and the project's package.json overrides them
# with the tarballs; everything else comes from the registry (through the npm
# cache when it is warm). The scaffold's Rust server needs the `vantrel` crate
# and axum, which cannot be built here, so a node stand-in answers its one
# route on the address the app has written in (127.0.0.1:3000).
#
# Usage: first_run.sh VANTREL SOURCE_DIR
# Set VANTREL_E2E_KEEP=1 to keep the temporary directory for inspection.
set -euo pipefail

if [[ $# -ne 2 ]]; then
  echo "usage: first_run.sh VANTREL SOURCE_DIR" >&2
  exit 2
fi
vantrel=$(realpath "$1")
source_dir=$(realpath "$2")
here="$source_dir/tests/e2e"
# The scaffold's app calls the example server here; the stand-in must match.
port=3000

work=$(mktemp -d "${TMPDIR:-/tmp}/vantrel-first-run.XXXXXX")
server_pid=""
cleanup() {
  if [[ -n "$server_pid" ]] && kill -0 "$server_pid" 2>/dev/null; then
    kill "$server_pid" 2>/dev/null || true
    wait "$server_pid" 2>/dev/null || true
  fi
  if [[ "${VANTREL_E2E_KEEP:-}" == 1 ]]; then
    echo "kept $work"
  else
    rm -rf "$work"
  fi
}
trap cleanup EXIT
trap 'exit 1' INT TERM HUP

step() { printf '\n== %s\n' "$*"; }
fail() { echo "FAIL: $*" >&2; exit 1; }

# Runs a command with a time limit, its standard output and error kept in
# $work/out and $work/err (and shown), and fails the test on a non-zero exit.
run() {
  local limit=$1
  shift
  local status=0
  timeout --kill-after=10 "$limit" "$@" >"$work/out" 2>"$work/err" || status=$?
  cat "$work/out"
  cat "$work/err" >&2
  [[ $status -eq 0 ]] || fail "\`$*\` exited with status $status"
}

# Compares the last command's standard output with the expected text.
expect_out() {
  diff -u <(printf '%s' "$1") "$work/out" || fail "unexpected standard output"
}

expect_no_err() {
  [[ ! -s "$work/err" ]] || fail "unexpected standard error output"
}

export npm_config_update_notifier=false
export npm_config_fund=false
export npm_config_audit=false

step "vantrel new demo"
cd "$work"
run 60 "$vantrel" new demo
expect_out 'created demo/
next steps:
  cd demo
  vantrel generate        # extract + generate the Effect client
  npm install
  npm run server           # start the API server
  npm run app              # run the example client
'
expect_no_err

step "cd demo && vantrel generate"
cd "$work/demo"
run 60 "$vantrel" generate
expect_out 'generated @demo/api (2 endpoints, 2 types, 1 errors)
'
expect_no_err
client="$work/demo/target/vantrel/packages/@demo/api"
for file in index.ts client.ts schemas.ts errors.ts endpoints/users.ts; do
  [[ -f "$client/$file" ]] || fail "generate did not write $client/$file"
done

step "vantrel check"
run 60 "$vantrel" check
expect_out 'checked @demo/api (2 endpoints)
'
expect_no_err

step "npm pack the repository's packages"
mkdir "$work/tarballs"
run 120 npm pack --silent --pack-destination "$work/tarballs" \
  "$source_dir/packages/effect-runtime" "$source_dir/packages/typescript-plugin"
runtime_tgz="$work/tarballs/vantrel-effect-runtime-0.0.11.tgz"
plugin_tgz="$work/tarballs/vantrel-typescript-plugin-0.0.11.tgz"
[[ -f "$runtime_tgz" && -f "$plugin_tgz" ]] || fail "npm pack did not write both tarballs"
# Absolute paths: npm resolves a relative file: override from the workspace
# that depends on it, not from the root package.json.
run 60 npm pkg set "overrides.@vantrel/effect-runtime=file:$runtime_tgz" \
  "overrides.@vantrel/typescript-plugin=file:$plugin_tgz"

step "npm install"
run 600 npm install --prefer-offline --no-audit --no-fund
for package in effect-runtime typescript-plugin; do
  manifest="$work/demo/node_modules/@vantrel/$package/package.json"
  [[ -f "$manifest" ]] || fail "npm install did not install @vantrel/$package"
  version=$(node -p "require(process.argv[1]).version" "$manifest")
  [[ "$version" == 0.0.11 ]] || fail "@vantrel/$package is $version, expected 0.0.11"
done

step "npm run typecheck"
run 300 npm run typecheck

step "the TypeScript server loads @vantrel/typescript-plugin"
run 120 node "$here/tsserver_plugin_check.mjs" "$work/demo/node_modules/typescript/lib/tsserver.js" \
  "$client/index.ts" "$work/tsserver.log"

step "stand-in example server on 127.0.0.1:$port"
node "$here/standin_server.mjs" "$port" "$work/server.ready" >"$work/server.log" 2>&1 &
server_pid=$!
for _ in $(seq 100); do
  [[ -f "$work/server.ready" ]] && break
  if ! kill -0 "$server_pid" 2>/dev/null; then
    cat "$work/server.log" >&2
    fail "the stand-in server did not start (is 127.0.0.1:$port taken?)"
  fi
  sleep 0.1
done
[[ -f "$work/server.ready" ]] || fail "the stand-in server did not listen within 10 s"

step "npm run app"
run 120 npm run app
# Effect's logger prints the message after the level and fiber: "INFO (#1): Sample".
grep -Eq 'INFO .*: Sample$' "$work/out" || fail "the app did not log the user's display name \"Sample\""
grep -qx 'GET /users/1' "$work/server.log" || fail "the app did not call GET /users/1 (server log: $(cat "$work/server.log"))"

echo
echo "first run: ok"
