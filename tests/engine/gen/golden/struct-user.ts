
/** A user of the system. */
export interface User {
  readonly id: number
  readonly nickname: string | null
}
export const User = Schema.Struct({
  id: Schema.Number,
  nickname: Schema.NullOr(Schema.String),
})
---- marks
schemas.ts 2:17 47-51 Type type:20a8fe27ef3fc604 `User`
schemas.ts 3:11 65-67 Field field:2d70f2bdf3f1f339 `id`
schemas.ts 4:11 87-95 Field field:e01024fe6b07c2e0 `nickname`
schemas.ts 6:13 126-130 Type type:20a8fe27ef3fc604 `User`
schemas.ts 7:2 151-153 FieldKey field:2d70f2bdf3f1f339 `id`
schemas.ts 8:2 172-180 FieldKey field:e01024fe6b07c2e0 `nickname`
