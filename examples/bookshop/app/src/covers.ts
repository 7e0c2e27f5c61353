// Cover images: a binary upload, and a URL for the download that the
// browser fetches itself.
import { readFile } from "node:fs/promises"
import { Effect } from "effect"
import { books } from "@bookshop/api"
import { downloadCoverRoute } from "@bookshop/api/endpoints/books"
import { baseUrl } from "./config"

/** Uploads an image file as the book's cover. */
export const uploadCoverFile = (id: string, file: string) =>
  Effect.promise(() => readFile(file)).pipe(
    Effect.flatMap((image) => books.uploadCover({ id, body: image })),
    Effect.catchTag("CoverTooLarge", (tooLarge) =>
      Effect.fail(new Error(`${file} has ${tooLarge.actualBytes} bytes; covers may have ${tooLarge.maxBytes}`)),
    ),
  )

/** The address of a book's cover, for an `<img src>`. */
export const coverUrl = (id: string): string =>
  new URL(downloadCoverRoute.path.replace("{id}", encodeURIComponent(id)), baseUrl).href
