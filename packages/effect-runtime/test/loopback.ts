/**
 * A throwaway HTTP server on 127.0.0.1 for the client tests: each test gives
 * it a handler, reads back what the server received, and the server is shut
 * down (open connections included) when the test body ends.
 */
import { type IncomingMessage, type ServerResponse, createServer } from "node:http"
import type { AddressInfo } from "node:net"

export interface Received {
  readonly method: string
  readonly url: string
  readonly headers: IncomingMessage["headers"]
  readonly body: Buffer
}

export type Handler = (request: Received, response: ServerResponse) => void | Promise<void>

export interface Loopback {
  readonly baseUrl: string
  /** Every request the server has received so far, in order. */
  readonly received: Array<Received>
}

const readBody = (request: IncomingMessage): Promise<Buffer> =>
  new Promise((resolve, reject) => {
    const chunks: Array<Buffer> = []
    request.on("data", (chunk: Buffer) => chunks.push(chunk))
    request.on("end", () => resolve(Buffer.concat(chunks)))
    request.on("error", reject)
  })

export const withServer = async (handler: Handler, body: (server: Loopback) => Promise<void>): Promise<void> => {
  const received: Array<Received> = []
  const server = createServer((request, response) => {
    void readBody(request).then(async (bytes) => {
      const entry: Received = {
        method: request.method ?? "",
        url: request.url ?? "",
        headers: request.headers,
        body: bytes,
      }
      received.push(entry)
      try {
        await handler(entry, response)
      } catch (error) {
        response.destroy(error instanceof Error ? error : new Error(String(error)))
      }
    })
  })
  await new Promise<void>((resolve) => server.listen(0, "127.0.0.1", resolve))
  const { port } = server.address() as AddressInfo
  try {
    await body({ baseUrl: `http://127.0.0.1:${port}`, received })
  } finally {
    server.closeAllConnections()
    await new Promise<void>((resolve) => server.close(() => resolve()))
  }
}

/** A 127.0.0.1 URL on which nothing listens: a port that was just bound and released. */
export const closedPortUrl = async (): Promise<string> => {
  const server = createServer()
  await new Promise<void>((resolve) => server.listen(0, "127.0.0.1", resolve))
  const { port } = server.address() as AddressInfo
  await new Promise<void>((resolve) => server.close(() => resolve()))
  return `http://127.0.0.1:${port}`
}

export const sendJson = (response: ServerResponse, status: number, value: unknown): void => {
  response.writeHead(status, { "content-type": "application/json" })
  response.end(JSON.stringify(value))
}

/** Resolves when the client side of this response's connection goes away before the response ended. */
export const whenAbandoned = (response: ServerResponse): Promise<boolean> =>
  new Promise((resolve) => response.on("close", () => resolve(!response.writableFinished)))
