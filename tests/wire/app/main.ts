/**
 * Runs the wire-conformance checks between the generated client and serde.
 *
 * Usage: node --import tsx main.ts WIRE_API_BINARY
 *
 * Asks the Rust program for its samples, runs every check, talks to the Rust
 * program again for the values the client encodes and the negative cases,
 * prints a report and exits with 1 when a check fails that is not a known
 * failure, or a known failure unexpectedly passes.
 */
import { execFileSync } from "node:child_process"
import { runConformance, type SerdeResult } from "./src/conformance"

const binary = process.argv[2]
if (binary === undefined) {
  console.error("usage: main.ts WIRE_API_BINARY")
  process.exit(2)
}

const run = (args: ReadonlyArray<string>, input?: string): string =>
  execFileSync(binary, args, { input, encoding: "utf8", maxBuffer: 64 << 20, stdio: ["pipe", "pipe", "inherit"] })

const samples = JSON.parse(run(["samples"])) as Record<string, ReadonlyArray<string>>
const report = runConformance(samples, (cases) => JSON.parse(run(["roundtrip"], JSON.stringify(cases))) as Array<SerdeResult>)

const oneLine = (text: string) => text.replace(/\s*\n\s*/g, " ")

for (const o of report.passed) console.log(`ok       ${o.name}`)
for (const o of report.knownFailures) console.log(`KNOWN    ${o.name}\n         ${o.reason}\n         ${oneLine(o.detail)}`)
for (const o of report.unexpectedPasses) console.log(`XPASS    ${o.name} (listed as a known failure: ${o.reason})`)
for (const o of report.failed) console.log(`FAILED   ${o.name}\n         ${oneLine(o.detail)}`)
console.log(
  `\n${report.passed.length} passed, ${report.failed.length} failed, ` +
    `${report.knownFailures.length} known failures, ${report.unexpectedPasses.length} unexpected passes`,
)
process.exit(report.failed.length > 0 || report.unexpectedPasses.length > 0 ? 1 : 0)
