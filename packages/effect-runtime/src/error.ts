/**
 * The one error type for every client failure that is not a declared API
 * error: the request could not be built, the server could not be reached, a
 * body did not match its schema, or the server answered with a status the
 * endpoint does not declare.
 */
import { Data } from "effect"

/** Why a client call failed. */
export type ApiClientErrorReason = "Transport" | "Encode" | "Decode" | "UnexpectedStatus"

/** Fields of an {@link ApiClientError}. */
export interface ApiClientErrorFields {
  readonly reason: ApiClientErrorReason
  readonly message: string
  /** The HTTP status, when a response was received. */
  readonly status?: number | undefined
  /** The response body (parsed JSON, text, or undefined when empty), when one was received. */
  readonly body?: unknown
  /** The underlying failure, when there was one. */
  readonly cause?: unknown
}

/** A client failure that is not a declared API error; match it with `_tag` "ApiClientError". */
export class ApiClientError extends Data.TaggedError("ApiClientError")<ApiClientErrorFields> {}

/** Renders an unknown thrown value for an error message. */
export const describeCause = (cause: unknown): string => {
  if (cause instanceof Error) {
    const inner = cause.cause instanceof Error ? `: ${cause.cause.message}` : ""
    return `${cause.message}${inner}`
  }
  return String(cause)
}

/**
 * Adds the response status and body to an error raised while decoding that
 * response, so that callers see what the server sent; errors that already
 * carry a status are returned unchanged.
 */
export const withResponse = (error: ApiClientError, status: number, body: unknown): ApiClientError =>
  error.status !== undefined
    ? error
    : new ApiClientError({
        reason: error.reason,
        message: error.message,
        status,
        body: error.body === undefined ? body : error.body,
        cause: error.cause,
      })
