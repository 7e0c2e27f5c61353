/**
 * JSON that serde refuses and the generated schemas must refuse too: missing
 * required keys, unknown or misspelt `_tag`s, nulls where a value is required,
 * and values of the wrong kind.
 */
import type { SchemaName } from "./schemas"

export interface NegativeCase {
  readonly type: SchemaName
  readonly label: string
  readonly json: string
}

const no = (type: SchemaName, label: string, json: unknown): NegativeCase => ({ type, label, json: JSON.stringify(json) })

const primitives = {
  flag: true, tiny: 0, byte: 0, short: 0, ushort: 0, int: 0, uint: 0, long: 0, ulong: 0,
  huge: 0, uhuge: 0, size: 0, isize: 0, single: 0, double: 0, text: "", boxed_text: "",
}
const externals = {
  id: "00000000-0000-0000-0000-000000000000",
  at: "2024-01-01T00:00:00Z",
  price: "1",
  extra: null,
  maybe_extra: null,
}
const optionals = { required: "r", nullable: null }
const without = (object: Record<string, unknown>, key: string) =>
  Object.fromEntries(Object.entries(object).filter(([k]) => k !== key))

export const negativeCases: ReadonlyArray<NegativeCase> = [
  // Missing required keys.
  no("Primitives", "missing flag", without(primitives, "flag")),
  no("Primitives", "missing boxed_text", without(primitives, "boxed_text")),
  no("Externals", "missing at", without(externals, "at")),
  no("Externals", "missing extra", without(externals, "extra")),
  no("Optionals", "missing required", without(optionals, "required")),
  no("Strict", "missing a", { b: null }),
  no("CamelFields", "snake_case key instead of camelCase", { user_id2: 1, firstName: "f", x: true, kept_as_is: 0 }),
  no("KebabFields", "missing first-name", { "user-id2": 1, x: true }),
  no("Renamed", "Rust name instead of the renamed key", {
    odd: 1, "content-type": "", "2fa": true, "with space": 0, "ünïcode": "", $dollar: 0, current_name: "", renamed: "",
    "back\\slash": 0, 'quo"te': 0, "line\nbreak\r": 0,
  }),
  no("Renamed", "backslash key without its backslash", {
    "__a--b": 1, "content-type": "", "2fa": true, "with space": 0, "ünïcode": "", $dollar: 0, current_name: "", renamed: "",
    backslash: 0, 'quo"te': 0, "line\nbreak\r": 0,
  }),
  no("EscapedTags", "tag without its backslash", { _tag: "backslash", n: 0 }),
  no("Shape", "circle without radius", { _tag: "circle" }),
  no("Shape", "labeled without labelText", { _tag: "labeled", colour: null }),
  no("Document", "missing owner", { contact: null, tags: [], status: { _tag: "Active" }, shapes: [], byName: {} }),
  no("WireError", "NotFound without id", { _tag: "NotFound", kind: "k" }),
  no("RuledError", "BAD_INPUT without detail_text", { _tag: "BAD_INPUT" }),
  // Wrong or missing tags.
  no("Status", "unknown tag", { _tag: "Unknown" }),
  no("Status", "tag in the wrong case", { _tag: "active" }),
  no("Status", "missing tag", {}),
  no("Status", "numeric tag", { _tag: 1 }),
  no("Status", "bare string instead of an object", "Active"),
  no("Shape", "Rust variant name instead of the wire name", { _tag: "Circle", radius: 1 }),
  no("Shape", "missing tag", { radius: 1 }),
  no("Shape", "Rust name of a renamed variant", { _tag: "Point" }),
  no("SnakeVariants", "PascalCase tag", { _tag: "XMLParser" }),
  no("KebabVariants", "snake_case tag", { _tag: "x_m_l_parser" }),
  no("CamelVariants", "PascalCase tag", { _tag: "UserId2" }),
  no("ScreamingVariants", "snake_case tag", { _tag: "user_id2" }),
  no("WireError", "unknown tag", { _tag: "Nope" }),
  no("WireError", "Rust name of a renamed variant", { _tag: "Removed", at: "2020-01-01T00:00:00Z" }),
  no("RuledError", "Rust variant name", { _tag: "BadInput", detail_text: "d" }),
  // Null where a value is required.
  no("Primitives", "null bool", { ...primitives, flag: null }),
  no("Primitives", "null integer", { ...primitives, int: null }),
  no("Primitives", "null string", { ...primitives, text: null }),
  no("Optionals", "null required string", { ...optionals, required: null }),
  no("Optionals", "null defaulted integer", { ...optionals, defaulted: null }),
  no("Optionals", "null defaulted list", { ...optionals, defaulted_list: null }),
  no("Externals", "null uuid", { ...externals, id: null }),
  no("Externals", "null datetime", { ...externals, at: null }),
  no("Externals", "null decimal", { ...externals, price: null }),
  no("UserId", "null newtype", null),
  no("Email", "null transparent", null),
  no("Tags", "null list newtype", null),
  no("Tags", "null list element", ["a", null]),
  no("Shape", "null radius", { _tag: "circle", radius: null }),
  no("WireError", "null field of an error", { _tag: "NotFound", id: null, kind: "k" }),
  no("Document", "null nested struct", { owner: externals.id, contact: null, tags: [], status: null, shapes: [], byName: {} }),
  // Values of the wrong kind.
  no("Primitives", "string for a number", { ...primitives, int: "1" }),
  no("Primitives", "number for a bool", { ...primitives, flag: 1 }),
  no("Primitives", "number for a string", { ...primitives, text: 1 }),
  no("Externals", "number for a uuid", { ...externals, id: 1 }),
  no("Tags", "object for a list", {}),
  // Values that only the Rust type rules out.
  no("Primitives", "fraction for an integer", { ...primitives, int: 1.5 }),
  no("Primitives", "u8 out of range", { ...primitives, byte: 256 }),
  no("Primitives", "negative unsigned", { ...primitives, uint: -1 }),
  no("Externals", "malformed uuid", { ...externals, id: "not-a-uuid" }),
  no("Externals", "malformed datetime", { ...externals, at: "yesterday" }),
  no("Externals", "malformed decimal", { ...externals, price: "abc" }),
  no("Measure", "null float", { value: null }),
  no("Strict", "unknown key with deny_unknown_fields", { a: 1, b: null, c: 2 }),
]
