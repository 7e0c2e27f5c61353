/**
 * Schema helpers that generated code calls to turn response bodies into typed
 * values and request bodies into their JSON form.
 */
import { Effect, Schema } from "effect"
import { ApiClientError, describeCause } from "./error.js"

/** A schema whose decoding needs no services. */
export type DecodableSchema = Schema.Top & { readonly DecodingServices: never }

/** A schema whose encoding needs no services. */
export type EncodableSchema = Schema.Encoder<unknown, never>

/**
 * Decodes an unknown value (usually a parsed JSON body) with a schema. A value
 * that does not match fails with an "Decode" {@link ApiClientError} that keeps
 * the input as its body.
 */
export const decodeWithSchema = <S extends DecodableSchema>(
  input: unknown,
  schema: S,
): Effect.Effect<S["Type"], ApiClientError> =>
  Schema.decodeUnknownEffect(schema)(input).pipe(
    Effect.mapError(
      (error) =>
        new ApiClientError({
          reason: "Decode",
          message: `response body does not match its schema: ${error.message}`,
          body: input,
          cause: error,
        }),
    ),
  )

/**
 * The encoded, JSON-ready form of a value. A value that the schema cannot
 * encode throws an "Encode" {@link ApiClientError}; the client constructors
 * turn that throw into a failed effect.
 */
export const encodeWithSchema = <S extends EncodableSchema>(value: S["Type"], schema: S): S["Encoded"] => {
  try {
    return Schema.encodeUnknownSync(schema)(value)
  } catch (cause) {
    throw new ApiClientError({
      reason: "Encode",
      message: `request body does not match its schema: ${describeCause(cause)}`,
      cause,
    })
  }
}
