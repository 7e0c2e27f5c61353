
export interface GetUserArgs {
  readonly id: number
}

export const getUserRoute = {
  method: "GET",
  path: "/users/{id}",
} as const

/** Fetch one user. */
export const getUser = (args: GetUserArgs): Effect.Effect<User, UserError | ApiClientError, ApiConfig> =>
  ApiConfig.use((config) => makeUnaryHttpClient<GetUserArgs, User, UserError>(
    config,
    {
      method: "GET",
      path: "/users/{id}",
      encode: (args) => ({
        path: {
          id: args.id,
        },
      }),
      decodeSuccess: (input) => decodeWithSchema(input, User),
      decodeError: decodeUserError,
    },
  )(args))
