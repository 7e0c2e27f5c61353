/**
 * Values built in TypeScript from the generated types, which the client
 * encodes and the Rust program must accept. Unless a case says otherwise,
 * serde must answer with exactly the JSON the client sent; where serde fills
 * in defaults or leaves out skipped keys, the case states serde's answer.
 */
import * as api from "@wire/api"
import type { SchemaName, TypeOf } from "./schemas"

export interface ValueCase {
  readonly type: SchemaName
  readonly label: string
  readonly value: unknown
  readonly expected?: unknown
}

const value = <K extends SchemaName>(type: K, label: string, v: TypeOf<K>): ValueCase => ({ type, label, value: v })

const answered = <K extends SchemaName>(type: K, label: string, v: TypeOf<K>, expected: unknown): ValueCase => ({
  type,
  label,
  value: v,
  expected,
})

const primitives: api.Primitives = {
  flag: true,
  tiny: -128,
  byte: 255,
  short: -32768,
  ushort: 65535,
  int: -2147483648,
  uint: 4294967295,
  long: -9007199254740991,
  ulong: 9007199254740991,
  huge: 9007199254740991,
  uhuge: 0,
  size: 42,
  isize: -42,
  single: 0.5,
  double: Math.PI,
  text: "line\nbreak \"quoted\" \\ \u0000 \u{1F980} \u2028",
  boxed_text: "",
}

const externals: api.Externals = {
  id: "c0ffee00-0000-4000-8000-000000000001",
  at: "2024-01-01T00:00:00Z",
  price: "1234.5600",
  extra: { list: [1, 2.5, null, true, "s"], nested: { deep: {} } },
  maybe_extra: null,
}

const optionalsFull: api.Optionals = {
  required: "r",
  nullable: "n",
  defaulted: 1,
  custom_default: 2,
  defaulted_list: ["a", "b"],
  defaulted_option: "o",
  skipped: "s",
  skipped_without_default: 0,
  skipped_full_path: ["t"],
}

const shapes: ReadonlyArray<api.Shape> = [
  { _tag: "circle", radius: 0.25 },
  { _tag: "rounded_rect", width: 1, height: 2, corner_radius: null },
  { _tag: "dot" },
  { _tag: "labeled", labelText: "l", fontSize: 9, colour: "blue", note: "n" },
]

export const valueCases: ReadonlyArray<ValueCase> = [
  value("Primitives", "bounds and escapes", primitives),
  value("Primitives", "f32 value exact in binary", { ...primitives, single: -1024.125 }),
  value("Primitives", "f32 value not exact in binary", { ...primitives, single: 0.1 }),
  value("Primitives", "f32 value with more digits than f32 holds", { ...primitives, single: 16777217 }),
  value("Measure", "fraction", { value: 0.1 }),
  value("Measure", "smallest subnormal", { value: 5e-324 }),
  value("Measure", "NaN", { value: Number.NaN }),
  value("UserId", "uuid", "00000000-0000-0000-0000-000000000000"),
  value("Email", "transparent", "x@y.z"),
  value("Tags", "list newtype", ["", "b"]),
  value("Externals", "utc instant", externals),
  answered("Externals", "offset instant is normalised to UTC", { ...externals, at: "2024-01-01T01:30:00+01:30" }, {
    ...externals,
    at: "2024-01-01T00:00:00Z",
  }),
  value("Externals", "scalar json value", { ...externals, extra: "text", maybe_extra: [] }),
  value("Containers", "filled", {
    list: [1, -1],
    boxed: externals,
    hash: { a: 1, "": 2, "10": 3 },
    btree: { k: ["x", null] },
    nested_option: 3,
    option_list: [null, 4],
    list_of_lists: [[], ["y"]],
    map_of_maps: { o: { i: false } },
    ids: ["c0ffee00-0000-4000-8000-000000000002"],
    boxed_list: ["e@x"],
  }),
  value("Containers", "empty", {
    list: [],
    boxed: externals,
    hash: {},
    btree: {},
    nested_option: null,
    option_list: null,
    list_of_lists: [],
    map_of_maps: {},
    ids: [],
    boxed_list: [],
  }),
  value("Optionals", "every key", optionalsFull),
  answered("Optionals", "only required keys", { required: "r", nullable: null }, {
    required: "r",
    nullable: null,
    defaulted: 0,
    custom_default: 7,
    defaulted_list: [],
    defaulted_option: null,
  }),
  answered(
    "Optionals",
    "explicit nulls",
    { ...optionalsFull, defaulted_option: null, skipped: null, skipped_without_default: null, skipped_full_path: null },
    { required: "r", nullable: "n", defaulted: 1, custom_default: 2, defaulted_list: ["a", "b"], defaulted_option: null },
  ),
  value("Strict", "known keys only", { a: 1, b: "x" }),
  value("Renamed", "non-identifier keys", {
    "__a--b": 1,
    "content-type": "text/plain",
    "2fa": false,
    "with space": 0,
    "ünïcode": "ä",
    $dollar: 255,
    current_name: "c",
    renamed: "r",
    "back\\slash": 1,
    'quo"te': 2,
    "line\nbreak\r": 3,
  }),
  value("EscapedTags", "quote", { _tag: 'quo"te' }),
  value("EscapedTags", "backslash", { _tag: "back\\slash", n: 0 }),
  value("EscapedTags", "line break", { _tag: "line\nbreak" }),
  value("CamelFields", "camelCase", { userId2: 1, firstName: "f", x: false, kept_as_is: 0 }),
  value("PascalFields", "PascalCase", { UserId2: 1, FirstName: "f", X: false }),
  value("SnakeFields", "snake_case", { user_id2: 1, first_name: "f", x: false }),
  value("KebabFields", "kebab-case", { "user-id2": 1, "first-name": "f", x: false }),
  value("ScreamingFields", "SCREAMING_SNAKE_CASE", { USER_ID2: 1, FIRST_NAME: "f", X: false }),
  value("Status", "unit variant", { _tag: "Suspended" }),
  value("Status", "renamed unit variant", { _tag: "gone" }),
  ...shapes.map((s) => value("Shape", `variant ${s._tag}`, s)),
  answered("Shape", "variant labeled without defaulted and skipped keys", { _tag: "labeled", labelText: "", colour: null }, {
    _tag: "labeled",
    labelText: "",
    fontSize: 0,
    colour: null,
  }),
  value("CamelVariants", "camelCase", { _tag: "v2Name", some_field: 1 }),
  value("PascalVariants", "PascalCase", { _tag: "XMLParser" }),
  value("SnakeVariants", "snake_case", { _tag: "x_m_l_parser" }),
  value("KebabVariants", "kebab-case", { _tag: "user-id2" }),
  value("ScreamingVariants", "SCREAMING_SNAKE_CASE", { _tag: "V2_NAME", some_field: 0 }),
  value("Document", "nested references", {
    owner: "c0ffee00-0000-4000-8000-000000000003",
    contact: null,
    tags: [],
    status: { _tag: "Active" },
    shapes,
    byName: { only: optionalsFull },
    strict: { a: 0, b: null },
  }),
  value("WireError", "data variant", new api.NotFound({ id: "c0ffee00-0000-4000-8000-000000000004", kind: "k" })),
  value("WireError", "unit variant", new api.Conflict({})),
  value("WireError", "renamed variant", new api.Gone({ at: "2000-01-01T00:00:00Z" })),
  answered("WireError", "variant without its defaulted key", new api.InvalidInput({ fieldName: "f", reason: null }), {
    _tag: "InvalidInput",
    fieldName: "f",
    reason: null,
    hints: [],
  }),
  value("RuledError", "SCREAMING_SNAKE_CASE variant", new api.BAD_INPUT({ detail_text: "d" })),
  value("RuledError", "per-variant PascalCase fields", new api.UNAVAILABLE({ RetryAfter: 5 })),
]
