// The storefront's command-line demo: check the server, find a book, order
// it and follow the order until it ships.
import { Effect } from "effect"
import { health } from "@bookshop/api/endpoints/health"
import { bookDetails, searchInStock } from "./catalog"
import { BookshopApi } from "./config"
import { checkout, describeStatus, followOrder, orderStatus } from "./orders"

const program = Effect.gen(function* () {
  const server = yield* health()
  yield* Effect.log(`bookshop ${server.version}, up for ${server.uptimeSeconds}s`)

  const [first] = yield* searchInStock("dune")
  if (first === undefined) {
    return yield* Effect.log("nothing in stock")
  }
  const details = yield* bookDetails(first.id)
  yield* Effect.log(`${first.title} by ${details?.authorName ?? "unknown"}: ${first.price.amount}`)

  const order = yield* checkout([{ bookId: first.id, quantity: 1 }], {
    recipient: "Ada Lovelace",
    street: "12 St James's Square",
    city: "London",
    postalCode: "SW1Y 4JH",
    country: "GB",
  })
  const status = yield* orderStatus(order.id)
  yield* Effect.log(`order ${order.id} placed, ${describeStatus(status)}`)
  yield* followOrder(order.id)
}).pipe(Effect.provide(BookshopApi))

Effect.runPromise(program).catch(console.error)
