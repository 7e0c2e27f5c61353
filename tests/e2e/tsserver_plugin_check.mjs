// Checks that the TypeScript server loads @vantrel/typescript-plugin for a
// project whose tsconfig.json names it, and that the project's language
// service still answers afterwards (the plugin hands it back unchanged).
//
// Usage: node tsserver_plugin_check.mjs TSSERVER_JS FILE LOG_FILE
// Opens FILE in a tsserver started from TSSERVER_JS, asks for its project's
// information and for the file's semantic diagnostics (which go through the
// language service the plugin returned), then reads the server's log. Exits 0 when the plugin was loaded and activated.
import { spawn } from "node:child_process"
import { readFileSync } from "node:fs"

const [tsserver, file, logFile] = process.argv.slice(2)
if (!tsserver || !file || !logFile) {
  console.error("usage: node tsserver_plugin_check.mjs TSSERVER_JS FILE LOG_FILE")
  process.exit(2)
}
const pluginName = "@vantrel/typescript-plugin"

const child = spawn(
  process.execPath,
  [tsserver, "--disableAutomaticTypingAcquisition", "--logVerbosity", "verbose", "--logFile", logFile],
  { stdio: ["pipe", "pipe", "inherit"] },
)

// tsserver frames each message as "Content-Length: N\r\n\r\n" and a JSON body
// of N bytes; responses carry the request's seq as request_seq.
const waiting = new Map()
let buffered = Buffer.alloc(0)
child.stdout.on("data", (chunk) => {
  buffered = Buffer.concat([buffered, chunk])
  for (;;) {
    const headerEnd = buffered.indexOf("\r\n\r\n")
    if (headerEnd < 0) return
    const match = /Content-Length: (\d+)/.exec(buffered.subarray(0, headerEnd).toString())
    if (!match) throw new Error(`unexpected tsserver output: ${buffered.toString()}`)
    const bodyStart = headerEnd + 4
    const bodyEnd = bodyStart + Number(match[1])
    if (buffered.length < bodyEnd) return
    const message = JSON.parse(buffered.subarray(bodyStart, bodyEnd).toString())
    buffered = buffered.subarray(bodyEnd)
    if (message.type === "response" && waiting.has(message.request_seq)) {
      waiting.get(message.request_seq)(message)
      waiting.delete(message.request_seq)
    }
  }
})

let seq = 0
function request(command, args) {
  seq += 1
  const message = { seq, type: "request", command, arguments: args }
  const answered = new Promise((resolve) => waiting.set(seq, resolve))
  child.stdin.write(`${JSON.stringify(message)}\n`)
  return answered
}

function fail(text) {
  console.error(`tsserver plugin check: ${text}`)
  child.kill()
  process.exit(1)
}

const timer = setTimeout(() => fail("tsserver did not answer within 60 s"), 60_000)

child.stdin.write(`${JSON.stringify({ seq: 0, type: "request", command: "open", arguments: { file } })}\n`)
const info = await request("projectInfo", { file, needFileNameList: false })
if (!info.success) fail(`projectInfo failed: ${info.message}`)
const diagnostics = await request("semanticDiagnosticsSync", { file })
if (!diagnostics.success) fail(`semanticDiagnosticsSync failed: ${diagnostics.message}`)
child.stdin.write(`${JSON.stringify({ seq: seq + 1, type: "request", command: "exit" })}\n`)
await new Promise((resolve) => child.on("exit", resolve))
clearTimeout(timer)

const log = readFileSync(logFile, "utf8")
const loading = log.indexOf(`Loading ${pluginName} from`)
if (loading < 0) fail(`the log does not show ${pluginName} being loaded (${logFile})`)
const after = log.slice(loading)
if (/Failed to load module|Plugin activation failed|Skipped loading plugin/.test(after)) {
  fail(`${pluginName} did not load (${logFile})`)
}
if (!after.includes("Plugin validation succeeded")) fail(`${pluginName} was not validated (${logFile})`)
console.log(`${pluginName} loaded for ${info.body.configFileName}`)
