// A loopback stand-in for the scaffold's Rust example server, which cannot be
// built here (it needs the `vantrel` crate and axum). It answers the one call
// the scaffolded app makes with the JSON the Rust handler would send:
// `get_user` returns `User { id, display_name: "Sample" }` serialized with
// `rename_all = "camelCase"`, so GET /users/7 gives {"id":7,"displayName":"Sample"}.
//
// Usage: node standin_server.mjs PORT READY_FILE
// Listens on 127.0.0.1:PORT only, writes READY_FILE once listening, logs each
// request line to standard output, and exits on SIGTERM or SIGINT, when its
// parent goes away, or after ten minutes, so that a test killed on a time-out
// does not leave it holding the port.
import { createServer } from "node:http"
import { writeFileSync } from "node:fs"

const [portText, readyFile] = process.argv.slice(2)
const port = Number(portText)
if (!Number.isInteger(port) || port <= 0 || port > 65535 || !readyFile) {
  console.error("usage: node standin_server.mjs PORT READY_FILE")
  process.exit(2)
}

// axum's `Path<i32>` accepts an optional sign and decimal digits within the
// i32 range; anything else is a 400 with a plain-text reason.
function parseI32(text) {
  if (!/^[+-]?[0-9]+$/.test(text)) return undefined
  const value = Number(text)
  return value >= -2147483648 && value <= 2147483647 ? value : undefined
}

function send(response, status, contentType, body) {
  response.writeHead(status, { "content-type": contentType, "content-length": Buffer.byteLength(body) })
  response.end(body)
}

const server = createServer((request, response) => {
  console.log(`${request.method} ${request.url}`)
  const url = new URL(request.url ?? "/", "http://127.0.0.1")
  const match = /^\/users\/([^/]+)$/.exec(url.pathname)
  if (request.method !== "GET" || !match) {
    send(response, 404, "text/plain; charset=utf-8", "")
    return
  }
  const id = parseI32(decodeURIComponent(match[1]))
  if (id === undefined) {
    send(response, 400, "text/plain; charset=utf-8", "Invalid URL: Cannot parse `id` to a `i32`")
    return
  }
  send(response, 200, "application/json", JSON.stringify({ id, displayName: "Sample" }))
})

server.on("error", (error) => {
  console.error(`stand-in server: ${error.message}`)
  process.exit(1)
})

server.listen(port, "127.0.0.1", () => {
  writeFileSync(readyFile, `${port}\n`)
})

for (const signal of ["SIGTERM", "SIGINT"]) {
  process.on(signal, () => {
    server.close()
    server.closeAllConnections()
    process.exit(0)
  })
}

const parent = process.ppid
const watchdog = setInterval(() => {
  if (process.ppid !== parent) process.exit(0)
}, 1000)
watchdog.unref()
setTimeout(() => process.exit(0), 10 * 60 * 1000).unref()
