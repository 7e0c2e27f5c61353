/**
 * The four client constructors that generated endpoint functions call: one
 * for JSON request/response endpoints, one for raw uploads, one for raw
 * downloads and one for server-sent event streams. Each takes the app's
 * {@link FetchClientConfig} and the endpoint's request configuration and
 * returns a function of the endpoint's arguments.
 *
 * Responses are handled alike: a 2xx status is the endpoint's success, any
 * other status goes to the endpoint's error decoder, and a status the
 * endpoint does not declare becomes an "UnexpectedStatus" failure carrying
 * the status and the body.
 */
import { Effect, Stream } from "effect"
import { ApiClientError, describeCause, withResponse } from "./error.js"
import {
  type BufferedResponse,
  type DecodingRequestConfig,
  type ErrorDecoder,
  type FetchClientConfig,
  type PreparedRequest,
  type RequestConfig,
  isSuccess,
  prepareRequest,
  readAll,
  sendBuffered,
  startFetch,
} from "./request.js"
import { EventStreamParser, type ServerSentEvent } from "./sse.js"

type Parsed = { readonly ok: true; readonly value: unknown } | { readonly ok: false; readonly text: string }

/** Parses a body as JSON; an empty (or blank) body is undefined. */
const parseJsonBody = (bytes: Uint8Array): Parsed => {
  const text = new TextDecoder("utf-8").decode(bytes)
  if (text.trim() === "") return { ok: true, value: undefined }
  try {
    return { ok: true, value: JSON.parse(text) as unknown }
  } catch {
    return { ok: false, text }
  }
}

/** An error body as JSON when it is JSON, else as the text the server sent. */
const errorBody = (bytes: Uint8Array): unknown => {
  const parsed = parseJsonBody(bytes)
  return parsed.ok ? parsed.value : parsed.text
}

const runErrorDecoder = <E>(
  decodeError: ErrorDecoder<E> | undefined,
  status: number,
  body: unknown,
): Effect.Effect<E, ApiClientError> | undefined => {
  if (decodeError === undefined) return undefined
  try {
    return decodeError(status, body)
  } catch (cause) {
    return Effect.fail(
      new ApiClientError({
        reason: "Decode",
        message: `decoding the error response failed: ${describeCause(cause)}`,
        status,
        body,
        cause,
      }),
    )
  }
}

/** Fails with the declared error for a non-2xx response, or with "UnexpectedStatus". */
const failFromResponse = <E>(
  request: RequestConfig<never, E>,
  prepared: PreparedRequest,
  response: BufferedResponse,
): Effect.Effect<never, E | ApiClientError> => {
  const { status } = response
  const body = errorBody(response.bytes)
  const decoded = runErrorDecoder(request.decodeError, status, body)
  if (decoded === undefined) {
    return Effect.fail(
      new ApiClientError({
        reason: "UnexpectedStatus",
        message: `${prepared.label} answered with unexpected status ${status}`,
        status,
        body,
      }),
    )
  }
  return decoded.pipe(
    Effect.mapError((error) => withResponse(error, status, body)),
    Effect.flatMap((error) => Effect.fail(error)),
  )
}

const decodeSuccessBody = <A>(
  decodeSuccess: (input: unknown) => Effect.Effect<A, ApiClientError>,
  prepared: PreparedRequest,
  response: BufferedResponse,
): Effect.Effect<A, ApiClientError> => {
  const parsed = parseJsonBody(response.bytes)
  if (!parsed.ok) {
    return Effect.fail(
      new ApiClientError({
        reason: "Decode",
        message: `${prepared.label} answered with a body that is not JSON`,
        status: response.status,
        body: parsed.text,
      }),
    )
  }
  return Effect.suspend(() => decodeSuccess(parsed.value)).pipe(
    Effect.mapError((error) => withResponse(error, response.status, parsed.value)),
  )
}

const makeDecodingClient =
  <Args, A, E>(config: FetchClientConfig, request: DecodingRequestConfig<Args, A, E>, bodyKind: "json" | "binary") =>
  (args: Args): Effect.Effect<A, E | ApiClientError> =>
    prepareRequest(config, request, args, { accept: "application/json", bodyKind }).pipe(
      Effect.flatMap((prepared) =>
        sendBuffered(config, prepared).pipe(
          Effect.flatMap(
            (response): Effect.Effect<A, E | ApiClientError> =>
              isSuccess(response.status)
                ? decodeSuccessBody(request.decodeSuccess, prepared, response)
                : failFromResponse(request, prepared, response),
          ),
        ),
      ),
    )

/**
 * A client for an endpoint with a JSON (or no) request body and a JSON (or
 * empty) response body: the 2xx body, parsed, goes to `decodeSuccess`.
 */
export const makeUnaryHttpClient = <Args, A, E>(
  config: FetchClientConfig,
  request: DecodingRequestConfig<Args, A, E>,
): ((args: Args) => Effect.Effect<A, E | ApiClientError>) => makeDecodingClient(config, request, "json")

/**
 * A client for an endpoint whose request body is raw bytes
 * (`BinaryRequestBody`); a body is sent raw unless `encode` says "json".
 */
export const makeBinaryUploadClient = <Args, A, E>(
  config: FetchClientConfig,
  request: DecodingRequestConfig<Args, A, E>,
): ((args: Args) => Effect.Effect<A, E | ApiClientError>) => makeDecodingClient(config, request, "binary")

/** A client for an endpoint whose 2xx response body is raw bytes, returned as they arrived. */
export const makeBinaryDownloadClient =
  <Args, E>(config: FetchClientConfig, request: RequestConfig<Args, E>) =>
  (args: Args): Effect.Effect<Uint8Array, E | ApiClientError> =>
    prepareRequest(config, request, args, { bodyKind: "json" }).pipe(
      Effect.flatMap((prepared) =>
        sendBuffered(config, prepared).pipe(
          Effect.flatMap(
            (response): Effect.Effect<Uint8Array, E | ApiClientError> =>
              isSuccess(response.status) ? Effect.succeed(response.bytes) : failFromResponse(request, prepared, response),
          ),
        ),
      ),
    )

/** The item an event's data stands for: its JSON value, or the text itself when it is not JSON. */
const eventInput = (event: ServerSentEvent): unknown => {
  try {
    return JSON.parse(event.data) as unknown
  } catch {
    return event.data
  }
}

/** An abort controller that aborts when the surrounding scope closes, however it closes. */
const scopedAbortController = Effect.acquireRelease(
  Effect.sync(() => new AbortController()),
  (controller) => Effect.sync(() => controller.abort()),
)

/**
 * Opens the event stream: the response headers of a 2xx response, or the
 * endpoint's failure for any other status.
 */
const openEventStream = <Args, E>(
  config: FetchClientConfig,
  request: RequestConfig<Args, E>,
  args: Args,
  signal: AbortSignal,
) =>
  Effect.gen(function* () {
    const prepared = yield* prepareRequest(config, request, args, { accept: "text/event-stream", bodyKind: "json" })
    const response = yield* Effect.tryPromise({
      // The scope's controller, not this step's own signal: the request must stay
      // open after its headers arrive, for as long as the stream is read.
      try: () => startFetch(config, prepared, signal),
      catch: (cause) => cause as ApiClientError,
    })
    if (!isSuccess(response.status)) {
      const buffered = yield* Effect.tryPromise({
        try: () => readAll(prepared, response),
        catch: (cause) => cause as ApiClientError,
      })
      return yield* failFromResponse(request, prepared, buffered)
    }
    return { prepared, response }
  })

/**
 * A client for a server-sent event endpoint. Each dispatched event's data
 * (parsed as JSON when it is JSON) goes to `decodeSuccess` and becomes one
 * item of the stream. The stream ends when the server closes the connection;
 * it does not reconnect. Ending or interrupting the stream aborts the request.
 */
export const makeSseClient =
  <Args, A, E>(config: FetchClientConfig, request: DecodingRequestConfig<Args, A, E>) =>
  (args: Args): Stream.Stream<A, E | ApiClientError> =>
    Stream.unwrap(
      Effect.gen(function* () {
        const controller = yield* scopedAbortController
        const { prepared, response } = yield* openEventStream(config, request, args, controller.signal)
        const body = response.body
        if (body === null) return Stream.empty
        return Stream.fromReadableStream({
          evaluate: () => body,
          // Cancelling a body that already failed rejects, and that rejection would
          // replace the stream's Transport failure with a defect; the scope's abort
          // ends the request instead.
          releaseLockOnEnd: true,
          onError: (cause) =>
            new ApiClientError({
              reason: "Transport",
              message: `${prepared.label} failed while streaming: ${describeCause(cause)}`,
              cause,
            }),
        }).pipe(
          Stream.mapAccum(
            () => new EventStreamParser(),
            (parser, chunk: Uint8Array) => [parser, parser.push(chunk)] as const,
            { onHalt: (parser) => parser.finish() },
          ),
          Stream.mapEffect((event) => request.decodeSuccess(eventInput(event))),
        )
      }),
    )
