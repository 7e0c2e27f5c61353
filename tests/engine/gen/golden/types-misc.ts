
export interface Opts {
  /**
   * First line.
   * Second line.
   */
  readonly a?: string
  readonly b?: string | null
  readonly "content-type": Readonly<Record<string, number>>
}
export const Opts = Schema.Struct({
  a: Schema.optionalKey(Schema.String),
  b: Schema.optionalKey(Schema.NullOr(Schema.String)),
  "content-type": Schema.Record(Schema.String, Schema.Number),
})

export interface LevelLow {
  readonly _tag: "low"
}
export interface LevelHigh {
  readonly _tag: "high"
}
export type Level = LevelLow | LevelHigh
export const Level = Schema.Union([
  Schema.Struct({
    _tag: Schema.Literal("low"),
  }),
  Schema.Struct({
    _tag: Schema.Literal("high"),
  }),
])

export type UserId = string
export const UserId = Schema.String

export interface Empty {}
export const Empty = Schema.Struct({})

export type Never = never
export const Never = Schema.Union([])
---- marks
schemas.ts 1:17 18-22 Type type:1390bce0970d6ea5 `Opts`
schemas.ts 6:11 83-84 Field field:9fae9c7a505f089a `a`
schemas.ts 7:11 105-106 Field field:9fae9b7a505f06e7 `b`
schemas.ts 8:11 134-148 Field field:ccb6b04066663fc7 `"content-type"`
schemas.ts 10:13 198-202 Type type:1390bce0970d6ea5 `Opts`
schemas.ts 11:2 223-224 FieldKey field:9fae9c7a505f089a `a`
schemas.ts 12:2 263-264 FieldKey field:9fae9b7a505f06e7 `b`
schemas.ts 13:2 318-332 FieldKey field:ccb6b04066663fc7 `"content-type"`
schemas.ts 17:11 422-426 EnumVariant enum_variant:d6af584b26d67876 `_tag`
schemas.ts 20:11 476-480 EnumVariant enum_variant:cc956bd6fb631238 `_tag`
schemas.ts 22:12 503-508 Type type:f41e079cdcd37d07 `Level`
schemas.ts 23:13 545-550 Type type:f41e079cdcd37d07 `Level`
schemas.ts 25:4 590-594 EnumVariant enum_variant:d6af584b26d67876 `_tag`
schemas.ts 28:4 647-651 EnumVariant enum_variant:cc956bd6fb631238 `_tag`
schemas.ts 32:12 699-705 Type type:cca7860a6aa6cc29 `UserId`
schemas.ts 33:13 728-734 Type type:cca7860a6aa6cc29 `UserId`
schemas.ts 35:17 769-774 Type type:80262c172a186e04 `Empty`
schemas.ts 36:13 791-796 Type type:80262c172a186e04 `Empty`
schemas.ts 38:12 830-835 Type type:beb1af461f8e26d3 `Never`
schemas.ts 39:13 857-862 Type type:beb1af461f8e26d3 `Never`
