/**
 * Building a fetch request from a generated request configuration and the
 * caller's arguments, and reading the response back.
 *
 * Everything that can go wrong before the request leaves (a throwing encoder,
 * a missing path parameter, a body that JSON cannot represent) is an "Encode"
 * failure; everything between handing the request to fetch and holding the
 * whole response body is a "Transport" failure.
 */
import { Effect } from "effect"
import { ApiClientError, describeCause } from "./error.js"

/** Request headers; an undefined value leaves the header out. */
export type HeaderRecord = Readonly<Record<string, string | undefined>>

/** How the clients reach the server. */
export interface FetchClientConfig {
  /** Prefix of every request URL, such as "https://api.example.com" or "/api" in a browser. */
  readonly baseUrl: string | URL
  /** The fetch implementation; defaults to `globalThis.fetch` looked up at call time. */
  readonly fetch?: typeof globalThis.fetch | undefined
  /**
   * Headers added to every request. A function is called once per request,
   * so it can return a fresh auth token; it may return a promise.
   */
  readonly headers?: HeaderRecord | (() => HeaderRecord | PromiseLike<HeaderRecord>) | undefined
}

/** A raw request body, sent as it is with bodyKind "binary". */
export type BinaryRequestBody = Uint8Array | ArrayBuffer | Blob

/** The HTTP methods that endpoints use. */
export type HttpMethod = "GET" | "POST" | "PUT" | "PATCH" | "DELETE"

/** What a request configuration's `encode` makes of the arguments. */
export interface EncodedRequest {
  /** Values for the route's placeholders, by parameter name. */
  readonly path?: Readonly<Record<string, unknown>> | undefined
  /** Query values; undefined and null entries are left out. */
  readonly query?: Readonly<Record<string, unknown>> | undefined
  /** The body: JSON-ready for "json" (the default), a {@link BinaryRequestBody} for "binary". */
  readonly body?: unknown
  readonly bodyKind?: "json" | "binary" | undefined
}

/**
 * Maps an error status and its body to the endpoint's declared error, or
 * returns undefined for a status the endpoint does not declare.
 */
export type ErrorDecoder<E> = (status: number, input: unknown) => Effect.Effect<E, ApiClientError> | undefined

/** The part of a request configuration shared by all four transports. */
export interface RequestConfig<Args, E> {
  readonly method: HttpMethod
  /** Route template: "{name}" and ":name" placeholders, "{*name}" and "*name" catch-alls. */
  readonly path: string
  readonly encode?: ((args: Args) => EncodedRequest) | undefined
  readonly decodeError?: ErrorDecoder<E> | undefined
}

/** Request configuration of a client whose 2xx body is decoded into one value. */
export interface DecodingRequestConfig<Args, A, E> extends RequestConfig<Args, E> {
  /** Gets the parsed 2xx body, undefined when it was empty. */
  readonly decodeSuccess: (input: unknown) => Effect.Effect<A, ApiClientError>
}

/** A request ready for fetch. */
export interface PreparedRequest {
  readonly url: string
  readonly method: HttpMethod
  /** The method and route template, for messages. */
  readonly label: string
  readonly headers: Headers
  readonly body: BodyInit | undefined
}

/** The status, content type and whole body of a response. */
export interface BufferedResponse {
  readonly status: number
  readonly contentType: string
  readonly bytes: Uint8Array
}

const encodeFailure = (message: string, cause?: unknown): ApiClientError =>
  new ApiClientError({ reason: "Encode", message, cause })

const transportFailure = (label: string, cause: unknown): ApiClientError =>
  new ApiClientError({ reason: "Transport", message: `${label} failed: ${describeCause(cause)}`, cause })

type Fill = { readonly ok: true; readonly text: string } | { readonly ok: false; readonly message: string }

const scalarText = (value: unknown): string | undefined => {
  switch (typeof value) {
    case "string":
      return value
    case "number":
    case "bigint":
    case "boolean":
      return String(value)
    default:
      return undefined
  }
}

/** Looks a placeholder up; a catch-all "*rest" may be given as "*rest" or as "rest". */
const lookup = (values: Readonly<Record<string, unknown>>, name: string): unknown => {
  if (Object.hasOwn(values, name)) return values[name]
  if (name.startsWith("*") && Object.hasOwn(values, name.slice(1))) return values[name.slice(1)]
  return undefined
}

const fillOne = (values: Readonly<Record<string, unknown>>, name: string): Fill => {
  const value = lookup(values, name)
  if (value === undefined || value === null) return { ok: false, message: `missing value for path parameter "${name}"` }
  const text = scalarText(value)
  if (text === undefined) {
    return { ok: false, message: `path parameter "${name}" must be a string, number or boolean` }
  }
  // A catch-all spans segments: its slashes stay, each segment is encoded on its own.
  const encoded = name.startsWith("*")
    ? text.split("/").map(encodeURIComponent).join("/")
    : encodeURIComponent(text)
  return { ok: true, text: encoded }
}

/** End of a ":name" or "*name" placeholder that starts at `from`. */
const segmentEnd = (template: string, from: number): number => {
  const slash = template.indexOf("/", from)
  return slash === -1 ? template.length : slash
}

/**
 * Fills the placeholders of a route template with URI-encoded values:
 * "{name}" anywhere, ":name" and "*name" at the start of a segment.
 */
export const fillPath = (template: string, values: Readonly<Record<string, unknown>>): Fill => {
  let out = ""
  let i = 0
  while (i < template.length) {
    const ch = template[i]
    const segmentStart = i > 0 && template[i - 1] === "/"
    let name: string | undefined
    let next = i + 1
    if (ch === "{") {
      const close = template.indexOf("}", i + 1)
      if (close !== -1) {
        name = template.slice(i + 1, close)
        next = close + 1
      }
    } else if ((ch === ":" || ch === "*") && segmentStart) {
      const end = segmentEnd(template, i + 1)
      if (end > i + 1) {
        name = ch === "*" ? template.slice(i, end) : template.slice(i + 1, end)
        next = end
      }
    }
    if (name === undefined) {
      out += ch
      i++
      continue
    }
    const filled = fillOne(values, name)
    if (!filled.ok) return filled
    out += filled.text
    i = next
  }
  return { ok: true, text: out }
}

/** One query entry as "key=value" pairs; arrays repeat the key. */
const queryPairs = (key: string, value: unknown): Fill | ReadonlyArray<string> => {
  if (value === undefined || value === null) return []
  const items = Array.isArray(value) ? value : [value]
  const pairs: Array<string> = []
  for (const item of items) {
    if (item === undefined || item === null) continue
    const text = scalarText(item)
    if (text === undefined) {
      return { ok: false, message: `query parameter "${key}" must be a string, number, boolean or an array of them` }
    }
    pairs.push(`${encodeURIComponent(key)}=${encodeURIComponent(text)}`)
  }
  return pairs
}

/** The query string ("" or "?a=1&b=2") from the defined entries, in the object's order. */
export const queryString = (query: Readonly<Record<string, unknown>> | undefined): Fill => {
  if (query === undefined) return { ok: true, text: "" }
  const parts: Array<string> = []
  for (const [key, value] of Object.entries(query)) {
    const pairs = queryPairs(key, value)
    if ("ok" in pairs) return pairs
    parts.push(...pairs)
  }
  return { ok: true, text: parts.length === 0 ? "" : `?${parts.join("&")}` }
}

/** Joins the base URL and a filled path without doubling or losing the slash between them. */
export const joinUrl = (baseUrl: string | URL, path: string): string => {
  const base = String(baseUrl).replace(/\/+$/, "")
  if (path === "") return base
  return path.startsWith("/") ? base + path : `${base}/${path}`
}

// Tag checks rather than instanceof, so that bytes made in another realm (a
// worker, a test DOM, a vm context) are still recognised.
const isArrayBuffer = (value: unknown): value is ArrayBuffer =>
  Object.prototype.toString.call(value) === "[object ArrayBuffer]"

const isBlob = (value: unknown): value is Blob => typeof Blob !== "undefined" && value instanceof Blob

/** The bytes of a raw body as an ArrayBuffer-backed view (what fetch accepts), or undefined when it is not raw. */
const rawBytes = (body: unknown): Uint8Array<ArrayBuffer> | undefined => {
  if (isArrayBuffer(body)) return new Uint8Array(body)
  if (!ArrayBuffer.isView(body)) return undefined
  const view = new Uint8Array(body.buffer, body.byteOffset, body.byteLength)
  // A view over shared memory is copied; fetch only takes plain buffers.
  return isArrayBuffer(view.buffer) ? (view as Uint8Array<ArrayBuffer>) : new Uint8Array(view)
}

interface EncodedBody {
  readonly body: BodyInit | undefined
  readonly contentType: string | undefined
}

const encodeBody = (encoded: EncodedRequest, defaultKind: "json" | "binary"): EncodedBody | ApiClientError => {
  const kind = encoded.bodyKind ?? defaultKind
  const body = encoded.body
  if (body === undefined) return { body: undefined, contentType: undefined }
  if (kind === "binary") {
    if (isBlob(body)) return { body, contentType: body.type === "" ? "application/octet-stream" : body.type }
    const bytes = rawBytes(body)
    if (bytes === undefined) return encodeFailure("a binary request body must be a Uint8Array, an ArrayBuffer or a Blob")
    return { body: bytes, contentType: "application/octet-stream" }
  }
  try {
    const text = JSON.stringify(body)
    if (text === undefined) return encodeFailure("the request body has no JSON representation")
    return { body: text, contentType: "application/json" }
  } catch (cause) {
    return encodeFailure(`the request body cannot be written as JSON: ${describeCause(cause)}`, cause)
  }
}

const resolveHeaders = (config: FetchClientConfig, label: string): Effect.Effect<HeaderRecord, ApiClientError> => {
  const headers = config.headers
  if (headers === undefined) return Effect.succeed({})
  if (typeof headers !== "function") return Effect.succeed(headers)
  return Effect.tryPromise({
    try: async () => headers(),
    catch: (cause) =>
      new ApiClientError({
        reason: "Transport",
        message: `${label} failed: the headers function threw: ${describeCause(cause)}`,
        cause,
      }),
  })
}

const runEncode = <Args>(request: RequestConfig<Args, unknown>, args: Args): EncodedRequest | ApiClientError => {
  if (request.encode === undefined) return {}
  try {
    return request.encode(args)
  } catch (cause) {
    if (cause instanceof ApiClientError) return cause
    return encodeFailure(`encoding the request failed: ${describeCause(cause)}`, cause)
  }
}

/** Options that differ between the transports. */
export interface PrepareOptions {
  /** The Accept header sent unless the configured headers set one. */
  readonly accept?: string | undefined
  /** How a body is sent when `encode` gives no bodyKind. */
  readonly bodyKind: "json" | "binary"
}

/** Encodes the arguments and builds the URL, headers and body of one request. */
export const prepareRequest = <Args>(
  config: FetchClientConfig,
  request: RequestConfig<Args, unknown>,
  args: Args,
  options: PrepareOptions,
): Effect.Effect<PreparedRequest, ApiClientError> =>
  Effect.suspend(() => {
    const label = `${request.method} ${request.path}`
    const encoded = runEncode(request, args)
    if (encoded instanceof ApiClientError) return Effect.fail(encoded)
    const path = fillPath(request.path, encoded.path ?? {})
    if (!path.ok) return Effect.fail(encodeFailure(`${label}: ${path.message}`))
    const query = queryString(encoded.query)
    if (!query.ok) return Effect.fail(encodeFailure(`${label}: ${query.message}`))
    const body = encodeBody(encoded, options.bodyKind)
    if (body instanceof ApiClientError) return Effect.fail(body)
    return Effect.map(resolveHeaders(config, label), (extra): PreparedRequest => {
      const headers = new Headers()
      if (options.accept !== undefined) headers.set("accept", options.accept)
      for (const [name, value] of Object.entries(extra)) {
        if (value !== undefined) headers.set(name, value)
      }
      // The body's own type wins: it describes the bytes actually sent.
      if (body.contentType !== undefined) headers.set("content-type", body.contentType)
      return {
        url: joinUrl(config.baseUrl, path.text) + query.text,
        method: request.method,
        label,
        headers,
        body: body.body,
      }
    })
  })

const fetchOf = (config: FetchClientConfig): typeof globalThis.fetch => config.fetch ?? globalThis.fetch

/** Starts the request; the signal aborts it. The promise rejects with a "Transport" {@link ApiClientError}. */
export const startFetch = async (
  config: FetchClientConfig,
  prepared: PreparedRequest,
  signal: AbortSignal,
): Promise<Response> => {
  const doFetch = fetchOf(config)
  try {
    return await doFetch(prepared.url, {
      method: prepared.method,
      headers: prepared.headers,
      body: prepared.body ?? null,
      signal,
    })
  } catch (cause) {
    throw transportFailure(prepared.label, cause)
  }
}

/** Reads a whole response body; a failure is a "Transport" {@link ApiClientError}. */
export const readAll = async (prepared: PreparedRequest, response: Response): Promise<BufferedResponse> => {
  try {
    const bytes = new Uint8Array(await response.arrayBuffer())
    return { status: response.status, contentType: response.headers.get("content-type") ?? "", bytes }
  } catch (cause) {
    throw transportFailure(prepared.label, cause)
  }
}

/**
 * Sends a request and reads its whole response. Interrupting the effect
 * aborts the request, whether it is still waiting for headers or reading the
 * body.
 */
export const sendBuffered = (
  config: FetchClientConfig,
  prepared: PreparedRequest,
): Effect.Effect<BufferedResponse, ApiClientError> =>
  Effect.tryPromise({
    try: async (signal) => readAll(prepared, await startFetch(config, prepared, signal)),
    catch: (cause) => (cause instanceof ApiClientError ? cause : transportFailure(prepared.label, cause)),
  })

/** A 2xx status. */
export const isSuccess = (status: number): boolean => status >= 200 && status <= 299
