// Back-office tasks: the books module imported as a namespace.
import { Effect } from "effect"
import type { Money, NewBook } from "@bookshop/api"
import * as books from "@bookshop/api/endpoints/books"

/** Adds a book; an ISBN that is already listed gives the existing book's id. */
export const addBook = (book: NewBook) =>
  books.createBook({ body: book }).pipe(
    Effect.map((created) => created.id),
    Effect.catchTags({
      DuplicateIsbn: (duplicate) => Effect.succeed(duplicate.existingId),
      InvalidInput: (invalid) => Effect.fail(new Error(`${invalid.field}: ${invalid.message}`)),
    }),
  )

/** Changes a book's price and leaves everything else as it is. */
export const reprice = (id: string, price: Money) => books.updateBook({ id, body: { price } })
