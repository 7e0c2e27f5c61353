/**
 * The generated schemas by name: the Rust type name is the generated name of
 * its schema constant (for an API error, of its union schema).
 */
import * as api from "@wire/api"
import type { DecodableSchema, EncodableSchema } from "@vantrel/effect-runtime"

export type WireSchema = DecodableSchema & EncodableSchema

type Api = typeof api

/** The names under which the generated package exports a schema. */
export type SchemaName = { [K in keyof Api]: Api[K] extends WireSchema ? K : never }[keyof Api]

/** The value type of the schema called K. */
export type TypeOf<K extends SchemaName> = Api[K] extends WireSchema ? Api[K]["Type"] : never

export const schemaFor = (name: string): WireSchema => {
  const schema = (api as Record<string, unknown>)[name]
  if (schema === undefined) throw new Error(`the generated package exports no schema \`${name}\``)
  return schema as WireSchema
}
