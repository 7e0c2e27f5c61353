import assert from "node:assert/strict"
import { describe, test } from "node:test"
import { setTimeout as sleep } from "node:timers/promises"
import { Effect, Exit, Fiber, Stream } from "effect"
import {
  ApiClientError,
  type FetchClientConfig,
  makeBinaryDownloadClient,
  makeSseClient,
  makeUnaryHttpClient,
} from "@vantrel/effect-runtime"
import { ApiConfig, Conflict, NotFound, events, files, layer, users } from "./fixtures/acme/index.js"
import { closedPortUrl, sendJson, whenAbandoned, withServer } from "./loopback.js"

const TIMEOUT = { timeout: 10_000 }

const run = <A, E>(effect: Effect.Effect<A, E, ApiConfig>, config: FetchClientConfig): Promise<A> =>
  Effect.runPromise(effect.pipe(Effect.provide(layer(config))))

/** Runs an effect that must fail and returns its error. */
const failure = async <A, E>(effect: Effect.Effect<A, E, ApiConfig>, config: FetchClientConfig): Promise<E> => {
  const exit = await Effect.runPromiseExit(effect.pipe(Effect.provide(layer(config))))
  if (Exit.isSuccess(exit)) assert.fail(`expected a failure, got ${JSON.stringify(exit.value)}`)
  const error = exit.cause.reasons.find((reason) => reason._tag === "Fail")
  if (error === undefined || error._tag !== "Fail") assert.fail(`expected a typed failure, got ${String(exit.cause)}`)
  return error.error
}

const clientError = (error: unknown): ApiClientError => {
  assert.ok(error instanceof ApiClientError, `expected an ApiClientError, got ${String(error)}`)
  return error
}

const alice = { id: 7, name: "Alice", nickname: null }

describe("unary JSON endpoints", TIMEOUT, () => {
  test("fills the path, sends headers and decodes the 2xx body", () =>
    withServer(
      (_, response) => sendJson(response, 200, alice),
      async (server) => {
        let calls = 0
        const user = await run(users.getUser({ id: 7 }), {
          baseUrl: `${server.baseUrl}/`,
          headers: async () => {
            calls++
            return { authorization: `Bearer t${calls}`, "x-skip": undefined }
          },
        })
        assert.deepEqual(user, alice)
        const [request] = server.received
        assert.equal(request?.method, "GET")
        assert.equal(request?.url, "/users/7")
        assert.equal(request?.headers.authorization, "Bearer t1")
        assert.equal(request?.headers.accept, "application/json")
        assert.equal(request?.headers["x-skip"], undefined)
        assert.equal(request?.body.length, 0)
      },
    ))

  test("sends only the defined query entries", () =>
    withServer(
      (_, response) => sendJson(response, 200, [alice]),
      async (server) => {
        const config = { baseUrl: server.baseUrl, headers: { "x-team": "blue" } }
        assert.deepEqual(await run(users.listUsers({ page: 2 }), config), [alice])
        await run(users.listUsers({ "name-prefix": "a b&c" }), config)
        await run(users.listUsers({}), config)
        assert.deepEqual(
          server.received.map((request) => request.url),
          ["/users?page=2", "/users?name-prefix=a%20b%26c", "/users"],
        )
        assert.equal(server.received[0]?.headers["x-team"], "blue")
      },
    ))

  test("encodes a JSON body with its content type", () =>
    withServer(
      (request, response) => sendJson(response, 201, { ...alice, name: JSON.parse(request.body.toString()).name }),
      async (server) => {
        const created = await run(users.createUser({ body: { name: "Bob", tags: ["x"] } }), { baseUrl: server.baseUrl })
        assert.equal(created.name, "Bob")
        const [request] = server.received
        assert.equal(request?.method, "POST")
        assert.equal(request?.headers["content-type"], "application/json")
        assert.deepEqual(JSON.parse(request?.body.toString() ?? ""), { name: "Bob", tags: ["x"] })
      },
    ))

  test("an empty 2xx body decodes as undefined", () =>
    withServer(
      (request, response) => {
        response.writeHead(request.method === "DELETE" ? 204 : 200)
        response.end()
      },
      async (server) => {
        const seen: Array<unknown> = []
        const probe = makeUnaryHttpClient<void, string, never>(
          { baseUrl: server.baseUrl },
          {
            method: "GET",
            path: "/ping",
            decodeSuccess: (input) => {
              seen.push(input)
              return Effect.succeed("decoded")
            },
          },
        )
        assert.equal(await Effect.runPromise(probe(void 0)), "decoded")
        assert.deepEqual(seen, [undefined])
        assert.equal(await run(users.deleteUser({ id: 1 }), { baseUrl: server.baseUrl }), undefined)
        assert.equal(await run(users.ping(), { baseUrl: server.baseUrl }), undefined)
      },
    ))

  test("uses the configured fetch", () =>
    withServer(
      (_, response) => sendJson(response, 200, alice),
      async (server) => {
        const urls: Array<string> = []
        const fetch: typeof globalThis.fetch = (input, init) => {
          urls.push(String(input))
          return globalThis.fetch(input, init)
        }
        await run(users.getUser({ id: 1 }), { baseUrl: server.baseUrl, fetch })
        assert.deepEqual(urls, [`${server.baseUrl}/users/1`])
      },
    ))

  test("URI-encodes placeholders and keeps a catch-all's slashes", () =>
    withServer(
      (_, response) => sendJson(response, 200, null),
      async (server) => {
        const client = makeUnaryHttpClient<{ readonly owner: string; readonly path: string }, unknown, never>(
          { baseUrl: server.baseUrl },
          {
            method: "GET",
            path: "/repos/:owner/files/{*path}",
            encode: (args) => ({ path: { owner: args.owner, "*path": args.path } }),
            decodeSuccess: Effect.succeed,
          },
        )
        await Effect.runPromise(client({ owner: "a/b", path: "docs/read me.md" }))
        assert.equal(server.received[0]?.url, "/repos/a%2Fb/files/docs/read%20me.md")
      },
    ))
})

describe("declared errors and failure reasons", TIMEOUT, () => {
  const statusServer = (status: number, body: string, type = "application/json") =>
    (_: unknown, response: import("node:http").ServerResponse) => {
      response.writeHead(status, { "content-type": type })
      response.end(body)
    }

  test("a declared status decodes to the endpoint's error", async () => {
    await withServer(statusServer(404, JSON.stringify({ _tag: "NotFound", id: "7" })), async (server) => {
      const error = await failure(users.getUser({ id: 7 }), { baseUrl: server.baseUrl })
      assert.ok(error instanceof NotFound)
      assert.equal(error._tag, "NotFound")
      assert.equal(error.id, "7")
    })
    await withServer(statusServer(409, JSON.stringify({ _tag: "Conflict" })), async (server) => {
      const error = await failure(users.createUser({ body: { name: "x" } }), { baseUrl: server.baseUrl })
      assert.ok(error instanceof Conflict)
    })
  })

  const reasons: ReadonlyArray<{
    name: string
    status: number
    body: string
    type?: string
    reason: ApiClientError["reason"]
    expectedBody: unknown
  }> = [
    { name: "undeclared status", status: 500, body: '{"oops":1}', reason: "UnexpectedStatus", expectedBody: { oops: 1 } },
    { name: "undeclared status with text", status: 502, body: "Bad gateway", type: "text/plain", reason: "UnexpectedStatus", expectedBody: "Bad gateway" },
    { name: "undeclared status without body", status: 418, body: "", reason: "UnexpectedStatus", expectedBody: undefined },
    { name: "declared status, body of another shape", status: 404, body: '{"_tag":"Gone"}', reason: "Decode", expectedBody: { _tag: "Gone" } },
    { name: "declared status, body not JSON", status: 404, body: "no such user", type: "text/plain", reason: "Decode", expectedBody: "no such user" },
    { name: "2xx body of another shape", status: 200, body: '{"id":"seven"}', reason: "Decode", expectedBody: { id: "seven" } },
    { name: "2xx body not JSON", status: 200, body: "{oops", reason: "Decode", expectedBody: "{oops" },
  ]
  for (const { name, status, body, type, reason, expectedBody } of reasons) {
    test(`${name} fails with ${reason}`, () =>
      withServer(statusServer(status, body, type), async (server) => {
        const error = clientError(await failure(users.getUser({ id: 1 }), { baseUrl: server.baseUrl }))
        assert.equal(error._tag, "ApiClientError")
        assert.equal(error.reason, reason)
        assert.equal(error.status, status)
        assert.deepEqual(error.body, expectedBody)
        assert.ok(error.message.length > 0)
      }))
  }

  test("a body the schema cannot encode fails with Encode before any request", () =>
    withServer(statusServer(201, "{}"), async (server) => {
      const bad = { name: 42 } as unknown as { readonly name: string }
      const error = clientError(await failure(users.createUser({ body: bad }), { baseUrl: server.baseUrl }))
      assert.equal(error.reason, "Encode")
      assert.equal(error.status, undefined)
      assert.equal(server.received.length, 0)
    }))

  test("a missing path value and a body JSON cannot write fail with Encode", () =>
    withServer(statusServer(200, "{}"), async (server) => {
      const missing = clientError(
        await failure(users.getUser({} as { readonly id: number }), { baseUrl: server.baseUrl }),
      )
      assert.equal(missing.reason, "Encode")
      assert.match(missing.message, /path parameter "id"/)
      const cyclic: Record<string, unknown> = {}
      cyclic.self = cyclic
      const post = makeUnaryHttpClient<void, unknown, never>(
        { baseUrl: server.baseUrl },
        { method: "POST", path: "/x", encode: () => ({ body: cyclic }), decodeSuccess: Effect.succeed },
      )
      const error = clientError((await Effect.runPromise(Effect.flip(post(void 0)))) as unknown)
      assert.equal(error.reason, "Encode")
      assert.equal(server.received.length, 0)
    }))

  test("an unreachable server fails with Transport", async () => {
    const error = clientError(await failure(users.getUser({ id: 1 }), { baseUrl: await closedPortUrl() }))
    assert.equal(error.reason, "Transport")
    assert.equal(error.status, undefined)
  })

  test("a failing fetch or headers function fails with Transport", async () => {
    const fetch: typeof globalThis.fetch = () => Promise.reject(new TypeError("offline"))
    const viaFetch = clientError(await failure(users.ping(), { baseUrl: "http://127.0.0.1:9", fetch }))
    assert.equal(viaFetch.reason, "Transport")
    assert.match(viaFetch.message, /offline/)
    const headers = () => {
      throw new Error("no token")
    }
    const viaHeaders = clientError(await failure(users.ping(), { baseUrl: "http://127.0.0.1:9", fetch, headers }))
    assert.equal(viaHeaders.reason, "Transport")
    assert.match(viaHeaders.message, /no token/)
  })

  test("a connection cut mid-body fails with Transport", () =>
    withServer(
      (_, response) => {
        response.writeHead(200, { "content-type": "application/json", "content-length": "100" })
        response.write('{"id":')
        setTimeout(() => response.destroy(), 20)
      },
      async (server) => {
        const error = clientError(await failure(users.getUser({ id: 1 }), { baseUrl: server.baseUrl }))
        assert.equal(error.reason, "Transport")
      },
    ))
})

describe("binary transports", TIMEOUT, () => {
  const payload = Uint8Array.from([0, 1, 2, 0xff, 0xfe, 0x80, 10, 13])

  test("uploads raw bytes and blobs", () =>
    withServer(
      (request, response) => sendJson(response, 200, { size: request.body.length }),
      async (server) => {
        const config = { baseUrl: server.baseUrl }
        assert.deepEqual(await run(files.uploadFile({ name: "a b.bin", body: payload }), config), { size: 8 })
        await run(files.uploadFile({ name: "b", body: payload.buffer }), config)
        await run(files.uploadFile({ name: "c", body: new Blob([payload], { type: "image/png" }) }), config)
        // A view into a larger buffer sends only its own bytes.
        const shared = Buffer.concat([Buffer.from("head"), Buffer.from(payload), Buffer.from("tail")])
        await run(files.uploadFile({ name: "d", body: shared.subarray(4, 12) }), config)
        await run(files.uploadFile({ name: "e", body: new DataView(shared.buffer, shared.byteOffset + 4, 8) as never }), config)
        const [first, second, third, fourth, fifth] = server.received
        assert.equal(first?.method, "PUT")
        assert.equal(first?.url, "/files/a%20b.bin")
        assert.equal(first?.headers["content-type"], "application/octet-stream")
        assert.deepEqual(new Uint8Array(first?.body ?? []), payload)
        assert.deepEqual(new Uint8Array(second?.body ?? []), payload)
        assert.equal(third?.headers["content-type"], "image/png")
        assert.deepEqual(new Uint8Array(third?.body ?? []), payload)
        assert.deepEqual(new Uint8Array(fourth?.body ?? []), payload)
        assert.deepEqual(new Uint8Array(fifth?.body ?? []), payload)
      },
    ))

  test("a binary body of the wrong kind fails with Encode", () =>
    withServer(
      (_, response) => sendJson(response, 200, { size: 0 }),
      async (server) => {
        const body = "text" as unknown as Uint8Array
        const error = clientError(await failure(files.uploadFile({ name: "x", body }), { baseUrl: server.baseUrl }))
        assert.equal(error.reason, "Encode")
        assert.equal(server.received.length, 0)
      },
    ))

  test("downloads the body as bytes and decodes declared errors", () =>
    withServer(
      (request, response) => {
        if (request.url === "/files/missing") return sendJson(response, 404, { _tag: "NotFound", id: "missing" })
        if (request.url === "/files/broken") return sendJson(response, 503, { retry: true })
        response.writeHead(200, { "content-type": "application/octet-stream" })
        response.end(Buffer.from(payload))
      },
      async (server) => {
        const config = { baseUrl: server.baseUrl }
        const bytes = await run(files.downloadFile({ name: "data" }), config)
        assert.ok(bytes instanceof Uint8Array)
        assert.deepEqual(bytes, payload)
        assert.ok((await failure(files.downloadFile({ name: "missing" }), config)) instanceof NotFound)
        const error = clientError(await failure(files.downloadFile({ name: "broken" }), config))
        assert.equal(error.reason, "UnexpectedStatus")
        assert.equal(error.status, 503)
      },
    ))

  test("an empty download is an empty array", () =>
    withServer(
      (_, response) => {
        response.writeHead(200)
        response.end()
      },
      async (server) => {
        const download = makeBinaryDownloadClient<void, never>({ baseUrl: server.baseUrl }, { method: "GET", path: "/f" })
        assert.deepEqual(await Effect.runPromise(download(void 0)), new Uint8Array())
      },
    ))
})

const collect = <A, E>(stream: Stream.Stream<A, E, ApiConfig>, config: FetchClientConfig) =>
  run(Stream.runCollect(stream), config)

describe("server-sent events", TIMEOUT, () => {
  test("parses events written in pieces into decoded items", () =>
    withServer(
      async (_, response) => {
        response.writeHead(200, { "content-type": "text/event-stream" })
        const pieces = [
          ": hello\n",
          "retry: 1000\n\n",
          'data: {"seq":1,',
          '"text":"one"}\r\n\r',
          '\nevent: update\nid: 2\ndata: {"seq":2,\ndata: "text":"two \u00e9"}\n\n',
          'data: {"seq":3,"text":"unterminated"}\n',
        ]
        for (const piece of pieces) {
          response.write(piece)
          await sleep(5)
        }
        response.end()
      },
      async (server) => {
        const items = await collect(events.streamEvents(), { baseUrl: server.baseUrl })
        assert.deepEqual(items, [
          { seq: 1, text: "one" },
          { seq: 2, text: "two \u00e9" },
        ])
        assert.equal(server.received[0]?.headers.accept, "text/event-stream")
      },
    ))

  test("fills the path and decodes error statuses", () =>
    withServer(
      (request, response) => {
        if (request.url === "/rooms/no%20such/events") return sendJson(response, 404, { _tag: "NotFound", id: "r" })
        sendJson(response, 500, { boom: true })
      },
      async (server) => {
        const config = { baseUrl: server.baseUrl }
        const notFound = await failure(Stream.runCollect(events.roomEvents({ room: "no such" })), config)
        assert.ok(notFound instanceof NotFound)
        const error = clientError(await failure(Stream.runCollect(events.roomEvents({ room: "x" })), config))
        assert.equal(error.reason, "UnexpectedStatus")
        assert.equal(error.status, 500)
        assert.deepEqual(error.body, { boom: true })
      },
    ))

  test("an item that does not decode fails the stream with Decode", () =>
    withServer(
      (_, response) => {
        response.writeHead(200, { "content-type": "text/event-stream" })
        response.end('data: {"seq":1,"text":"ok"}\n\ndata: not json\n\n')
      },
      async (server) => {
        const seen: Array<unknown> = []
        const stream = events.streamEvents().pipe(Stream.tap((item) => Effect.sync(() => seen.push(item))))
        const error = clientError(await failure(Stream.runCollect(stream), { baseUrl: server.baseUrl }))
        assert.equal(error.reason, "Decode")
        assert.equal(error.body, "not json")
        assert.deepEqual(seen, [{ seq: 1, text: "ok" }])
      },
    ))

  test("text data that is not JSON reaches the decoder as a string", () =>
    withServer(
      (_, response) => {
        response.writeHead(200, { "content-type": "text/event-stream" })
        response.end("data: plain text\n\ndata: 42\n\n")
      },
      async (server) => {
        const stream = makeSseClient<void, unknown, never>(
          { baseUrl: server.baseUrl },
          { method: "GET", path: "/plain", decodeSuccess: Effect.succeed },
        )(void 0)
        assert.deepEqual(await Effect.runPromise(Stream.runCollect(stream)), ["plain text", 42])
      },
    ))

  test("an unreachable server fails the stream with Transport", async () => {
    const error = clientError(await failure(Stream.runCollect(events.streamEvents()), { baseUrl: await closedPortUrl() }))
    assert.equal(error.reason, "Transport")
  })

  test("a connection cut mid-stream fails with Transport after the items before it", () =>
    withServer(
      (_, response) => {
        response.writeHead(200, { "content-type": "text/event-stream" })
        response.write('data: {"seq":1,"text":"a"}\n\n')
        setTimeout(() => response.socket?.destroy(), 20)
      },
      async (server) => {
        const seen: Array<unknown> = []
        const stream = events.streamEvents().pipe(Stream.tap((item) => Effect.sync(() => seen.push(item))))
        const error = clientError(await failure(Stream.runCollect(stream), { baseUrl: server.baseUrl }))
        assert.equal(error.reason, "Transport")
        assert.deepEqual(seen, [{ seq: 1, text: "a" }])
      },
    ))
})

describe("interruption aborts the request", TIMEOUT, () => {
  test("a unary call waiting for its response", async () => {
    let abandoned: Promise<boolean> | undefined
    let arrived!: () => void
    const requestArrived = new Promise<void>((resolve) => (arrived = resolve))
    await withServer(
      (_, response) => {
        abandoned = whenAbandoned(response)
        arrived()
      },
      async (server) => {
        const fiber = Effect.runFork(users.getUser({ id: 1 }).pipe(Effect.provide(layer({ baseUrl: server.baseUrl }))))
        await requestArrived
        const exit = await Effect.runPromise(Fiber.interrupt(fiber).pipe(Effect.andThen(Fiber.await(fiber))))
        assert.ok(Exit.isFailure(exit) && exit.cause.reasons.every((reason) => reason._tag === "Interrupt"))
        assert.equal(await abandoned, true)
      },
    )
  })

  test("a download reading its body", async () => {
    let abandoned: Promise<boolean> | undefined
    let arrived!: () => void
    const headersSent = new Promise<void>((resolve) => (arrived = resolve))
    await withServer(
      (_, response) => {
        abandoned = whenAbandoned(response)
        response.writeHead(200, { "content-length": "1000000" })
        response.write(Buffer.alloc(10))
        arrived()
      },
      async (server) => {
        const fiber = Effect.runFork(files.downloadFile({ name: "big" }).pipe(Effect.provide(layer({ baseUrl: server.baseUrl }))))
        await headersSent
        await sleep(20)
        await Effect.runPromise(Fiber.interrupt(fiber))
        assert.equal(await abandoned, true)
      },
    )
  })

  test("an event stream that the consumer stops reading", async () => {
    let abandoned: Promise<boolean> | undefined
    await withServer(
      (_, response) => {
        abandoned = whenAbandoned(response)
        response.writeHead(200, { "content-type": "text/event-stream" })
        let seq = 0
        const timer = setInterval(() => {
          seq++
          response.write(`data: {"seq":${seq},"text":"tick"}\n\n`)
        }, 5)
        response.on("close", () => clearInterval(timer))
      },
      async (server) => {
        const items = await collect(events.streamEvents().pipe(Stream.take(2)), { baseUrl: server.baseUrl })
        assert.deepEqual(items.map((item) => item.seq), [1, 2])
        assert.equal(await abandoned, true)
      },
    )
  })
})
