
export interface ShapeCircle {
  readonly _tag: "circle"
  readonly radius: number
}
export interface ShapeSquare {
  readonly _tag: "square"
  readonly side: number
}
export type Shape = ShapeCircle | ShapeSquare
export const Shape = Schema.Union([
  Schema.Struct({
    _tag: Schema.Literal("circle"),
    radius: Schema.Number,
  }),
  Schema.Struct({
    _tag: Schema.Literal("square"),
    side: Schema.Number,
  }),
])
---- marks
schemas.ts 2:11 43-47 EnumVariant enum_variant:3c4c063440dc2e1f `_tag`
schemas.ts 3:11 69-75 Field field:3658257316d7aa5a `radius`
schemas.ts 6:11 128-132 EnumVariant enum_variant:bcf4ab851204ae80 `_tag`
schemas.ts 7:11 154-158 Field field:bd1ac76e9f6a020e `side`
schemas.ts 9:12 181-186 Type type:aa977e866f54a2c0 `Shape`
schemas.ts 10:13 228-233 Type type:aa977e866f54a2c0 `Shape`
schemas.ts 12:4 273-277 EnumVariant enum_variant:3c4c063440dc2e1f `_tag`
schemas.ts 13:4 309-315 FieldKey field:3658257316d7aa5a `radius`
schemas.ts 16:4 360-364 EnumVariant enum_variant:bcf4ab851204ae80 `_tag`
schemas.ts 17:4 396-400 FieldKey field:bd1ac76e9f6a020e `side`
