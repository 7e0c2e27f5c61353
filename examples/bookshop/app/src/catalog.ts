// Browsing the catalogue: plain named imports of the endpoint functions.
import { Effect, pipe } from "effect"
import type { Book } from "@bookshop/api/schemas"
import { getAuthor } from "@bookshop/api/endpoints/authors"
import { getBook, listBooks } from "@bookshop/api/endpoints/books"

/** The first page of books in stock whose title contains `words`. */
export const searchInStock = (words: string) =>
  listBooks({ q: words, inStockOnly: true, limit: 10 }).pipe(Effect.map((page) => page.items))

export interface BookDetails {
  readonly book: Book
  readonly authorName: string
}

/** A book with its author's name, or undefined when either is gone. */
export const bookDetails = (id: string) =>
  pipe(
    getBook({ id }),
    Effect.flatMap((book) =>
      getAuthor({ id: book.authorId }).pipe(
        Effect.map((author): BookDetails => ({ book, authorName: author.name })),
      ),
    ),
    Effect.catchTag("NotFound", (missing) =>
      Effect.log(`no ${missing.resource} ${missing.id}`).pipe(Effect.as(undefined)),
    ),
  )
