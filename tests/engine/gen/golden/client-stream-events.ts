
export const streamEventsRoute = {
  method: "GET",
  path: "/events",
} as const

export const streamEvents = (): Stream.Stream<Event, ApiClientError, ApiConfig> =>
  Stream.unwrap(ApiConfig.use((config) => Effect.succeed(makeSseClient<void, Event, never>(
    config,
    {
      method: "GET",
      path: "/events",
      decodeSuccess: (input) => decodeWithSchema(input, Event),
    },
  )(void 0))))
