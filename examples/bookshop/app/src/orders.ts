// Checkout and order tracking: the whole client imported as one namespace,
// and the event stream of one order.
import { Effect, Stream, pipe } from "effect"
import * as api from "@bookshop/api"
import { orderEvents } from "@bookshop/api/endpoints/orders"

/** Places an order; when a book ran out meanwhile, says which one. */
export const checkout = (lines: ReadonlyArray<api.OrderLine>, shipping: api.ShippingAddress) =>
  api.orders.placeOrder({ body: { lines, shipping } }).pipe(
    Effect.catchTag("OutOfStock", (short) =>
      Effect.fail(new Error(`only ${short.available} of ${short.requested} copies of ${short.bookId} left`)),
    ),
  )

/** The order's current status. */
export const orderStatus = (id: string) =>
  pipe({ id }, api.orders.getOrder, Effect.map((order) => order.status))

export const describeStatus = (status: api.OrderStatus): string => {
  switch (status._tag) {
    case "pending":
      return "waiting for payment"
    case "paid":
      return `paid at ${status.paidAt}`
    case "shipped":
      return `shipped with ${status.carrier} (${status.trackingNumber})`
    case "cancelled":
      return `cancelled${status.reason === null ? "" : `: ${status.reason}`}`
  }
}

const isFinal = (status: api.OrderStatus): boolean => status._tag === "shipped" || status._tag === "cancelled"

const statusOf = (event: api.OrderEvent): api.OrderStatus =>
  event._tag === "Snapshot" ? event.order.status : event.status

/** Logs the order's status and its changes until it ships or is cancelled. */
export const followOrder = (id: string) =>
  orderEvents({ id }).pipe(
    Stream.map(statusOf),
    Stream.takeUntil(isFinal),
    Stream.runForEach((status) => Effect.log(`order ${id}: ${describeStatus(status)}`)),
  )
