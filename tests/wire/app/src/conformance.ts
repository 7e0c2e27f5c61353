/**
 * The checks of the wire-conformance suite, kept free of Node APIs so that
 * `tsc` checks them together with the generated package.
 *
 * Every check has a name. A failing check whose name is listed in
 * known-failures.ts is reported apart and does not fail the run; a listed
 * check that passes does fail it, so the list never outlives the fault.
 */
import { Effect, Exit } from "effect"
import { decodeWithSchema, encodeWithSchema } from "@vantrel/effect-runtime"
import { knownFailures } from "./known-failures"
import { negativeCases } from "./negatives"
import { schemaFor, type WireSchema } from "./schemas"
import { valueCases } from "./values"

/** serde's answer for one JSON text: the re-serialised text or its error. */
export type SerdeResult = { readonly ok: true; readonly json: string } | { readonly ok: false; readonly error: string }

/** Asks the Rust program to deserialise and re-serialise each text as its type. */
export type SerdeRoundtrip = (
  cases: ReadonlyArray<{ readonly type: string; readonly json: string }>,
) => ReadonlyArray<SerdeResult>

export interface Outcome {
  readonly name: string
  readonly passed: boolean
  readonly detail: string
}

export interface Report {
  readonly passed: ReadonlyArray<Outcome>
  readonly failed: ReadonlyArray<Outcome>
  readonly knownFailures: ReadonlyArray<Outcome & { readonly reason: string }>
  readonly unexpectedPasses: ReadonlyArray<Outcome & { readonly reason: string }>
}

/** JSON equality: objects compare by their keys and values, not key order. */
export const jsonEqual = (a: unknown, b: unknown): boolean => {
  if (a === b) return true
  if (Array.isArray(a) || Array.isArray(b)) {
    return Array.isArray(a) && Array.isArray(b) && a.length === b.length && a.every((x, i) => jsonEqual(x, b[i]))
  }
  if (typeof a !== "object" || typeof b !== "object" || a === null || b === null) return false
  const ka = Object.keys(a)
  const kb = Object.keys(b)
  return (
    ka.length === kb.length &&
    ka.every((k) => Object.prototype.hasOwnProperty.call(b, k)) &&
    ka.every((k) => jsonEqual((a as Record<string, unknown>)[k], (b as Record<string, unknown>)[k]))
  )
}

const show = (value: unknown): string => JSON.stringify(value) ?? String(value)

/** The decoded value, or the decoder's message. */
const decode = (schema: WireSchema, input: unknown): { ok: true; value: unknown } | { ok: false; error: string } => {
  const exit = Effect.runSyncExit(decodeWithSchema(input, schema))
  return Exit.isSuccess(exit) ? { ok: true, value: exit.value } : { ok: false, error: String(exit.cause) }
}

/** The encoded JSON value, or the encoder's message. */
const encode = (schema: WireSchema, value: unknown): { ok: true; json: unknown } | { ok: false; error: string } => {
  try {
    // What a client sends is the encoded value after JSON.stringify.
    const text = JSON.stringify(encodeWithSchema(value, schema))
    return { ok: true, json: text === undefined ? undefined : JSON.parse(text) }
  } catch (cause) {
    return { ok: false, error: cause instanceof Error ? cause.message : String(cause) }
  }
}

/** serde's text decodes, and encoding the result gives serde's JSON back. */
const checkSample = (type: string, text: string): string | undefined => {
  const json: unknown = JSON.parse(text)
  const decoded = decode(schemaFor(type), json)
  if (!decoded.ok) return `decode failed for ${text}: ${decoded.error}`
  const encoded = encode(schemaFor(type), decoded.value)
  if (!encoded.ok) return `re-encode failed for ${text}: ${encoded.error}`
  if (!jsonEqual(encoded.json, json)) return `re-encoded ${show(encoded.json)}, serde wrote ${text}`
  return undefined
}

/** serde's reply to a client-encoded value is what the case expects, and decodes again. */
const checkReply = (type: string, sent: unknown, expected: unknown, reply: SerdeResult): string | undefined => {
  if (!reply.ok) return `serde rejected ${show(sent)}: ${reply.error}`
  const back: unknown = JSON.parse(reply.json)
  if (!jsonEqual(back, expected)) return `sent ${show(sent)}, serde answered ${reply.json}, expected ${show(expected)}`
  const decoded = decode(schemaFor(type), back)
  if (!decoded.ok) return `serde's answer ${reply.json} does not decode: ${decoded.error}`
  return undefined
}

export const runConformance = (samples: Readonly<Record<string, ReadonlyArray<string>>>, serde: SerdeRoundtrip): Report => {
  const outcomes: Array<Outcome> = []
  const record = (name: string, failure: string | undefined, detail = "") =>
    outcomes.push({ name, passed: failure === undefined, detail: failure ?? detail })

  // 1. Everything serde writes decodes and re-encodes to the same JSON.
  for (const [type, texts] of Object.entries(samples)) {
    texts.forEach((text, i) => record(`decode ${type}#${i}`, checkSample(type, text), text))
  }

  // 2. Everything a client encodes is accepted by serde and comes back as expected.
  const encoded = valueCases.map((c) => ({ c, result: encode(schemaFor(c.type), c.value) }))
  const sendable = encoded.flatMap(({ c, result }) => (result.ok ? [{ c, json: result.json }] : []))
  const replies = serde(sendable.map(({ c, json }) => ({ type: c.type, json: JSON.stringify(json) ?? "" })))
  for (const { c, result } of encoded) {
    if (!result.ok) record(`encode ${c.type}: ${c.label}`, `encode failed: ${result.error}`)
  }
  sendable.forEach(({ c, json }, i) =>
    record(`encode ${c.type}: ${c.label}`, checkReply(c.type, json, "expected" in c ? c.expected : json, replies[i]!), show(json)),
  )

  // 3. What serde refuses, the schema refuses too. Each case is first
  // confirmed with serde, so a case that serde accepts is itself a failure.
  const verdicts = serde(negativeCases.map((c) => ({ type: c.type, json: c.json })))
  negativeCases.forEach((c, i) => {
    const name = `reject ${c.type}: ${c.label}`
    const verdict = verdicts[i]!
    if (verdict.ok) return record(name, `serde accepts ${c.json} (the case is wrong)`)
    const decoded = decode(schemaFor(c.type), JSON.parse(c.json))
    record(name, decoded.ok ? `schema accepts ${c.json}; serde: ${verdict.error}` : undefined, c.json)
  })

  const known = new Map(knownFailures.map((k) => [k.check, k.reason]))
  const seen = new Set(outcomes.map((o) => o.name))
  for (const k of knownFailures) {
    if (!seen.has(k.check)) outcomes.push({ name: k.check, passed: false, detail: "listed as a known failure but no such check exists" })
  }
  return {
    passed: outcomes.filter((o) => o.passed && !known.has(o.name)),
    failed: outcomes.filter((o) => !o.passed && (!known.has(o.name) || !seen.has(o.name))),
    knownFailures: outcomes.flatMap((o) => (!o.passed && known.has(o.name) && seen.has(o.name) ? [{ ...o, reason: known.get(o.name)! }] : [])),
    unexpectedPasses: outcomes.flatMap((o) => (o.passed && known.has(o.name) ? [{ ...o, reason: known.get(o.name)! }] : [])),
  }
}
