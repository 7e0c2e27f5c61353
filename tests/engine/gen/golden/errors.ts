
export class NotFound extends Schema.TaggedErrorClass<NotFound>()("NotFound", {}) {}

export class Conflict extends Schema.TaggedErrorClass<Conflict>()("Conflict", {}) {}

export type UserError = NotFound | Conflict
export const UserError = Schema.Union([
  NotFound,
  Conflict,
])
export const decodeUserError = (
  status: number,
  input: unknown,
): Effect.Effect<UserError, ApiClientError> | undefined => {
  switch (status) {
    case 404:
    case 409:
      return decodeWithSchema(input, UserError)
    default:
      return undefined
  }
}

export class Gone extends Schema.TaggedErrorClass<Gone>()(
  "Gone",
  {
    id: Schema.String,
  },
) {}

export class Missing extends Schema.TaggedErrorClass<Missing>()("Missing", {}) {}

export class Lost extends Schema.TaggedErrorClass<Lost>()("Lost", {}) {}

export type ItemError = Gone | Missing | Lost
export const ItemError = Schema.Union([
  Gone,
  Missing,
  Lost,
])
export const decodeItemError = (
  status: number,
  input: unknown,
): Effect.Effect<ItemError, ApiClientError> | undefined => {
  switch (status) {
    case 404:
    case 409:
      return decodeWithSchema(input, ItemError)
    default:
      return undefined
  }
}

export type NoVariants = never
export const NoVariants = Schema.Union([])
export const decodeNoVariants = (
  status: number,
  input: unknown,
): Effect.Effect<NoVariants, ApiClientError> | undefined => {
  switch (status) {
    default:
      return undefined
  }
}
---- marks
errors.ts 1:13 14-22 ErrorVariant error_variant:8a02ed807df893ff `NotFound`
errors.ts 3:13 100-108 ErrorVariant error_variant:a1a2c53b5b5eaf3e `Conflict`
errors.ts 5:12 185-194 Error error:81b676420f12b946 `UserError`
errors.ts 6:13 230-239 Error error:81b676420f12b946 `UserError`
errors.ts 23:13 566-570 ErrorVariant error_variant:b58cc5dbb4c33447 `Gone`
errors.ts 26:4 630-632 FieldKey field:a87dcd86a9a3a7e2 `id`
errors.ts 30:13 673-680 ErrorVariant error_variant:e5e3e47285e0e9a8 `Missing`
errors.ts 32:13 756-760 ErrorVariant error_variant:3b31d8827db6d76e `Lost`
errors.ts 34:12 829-838 Error error:b077d79cf3b9f172 `ItemError`
errors.ts 35:13 876-885 Error error:b077d79cf3b9f172 `ItemError`
errors.ts 53:12 1214-1224 Error error:e4b318d2c686f50e `NoVariants`
errors.ts 54:13 1246-1256 Error error:e4b318d2c686f50e `NoVariants`
