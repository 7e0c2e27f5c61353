// Where the bookshop API lives, and the layer that points the generated
// client at it.
import { layer } from "@bookshop/api"

export const baseUrl = process.env.BOOKSHOP_URL ?? "http://127.0.0.1:3000"

export const BookshopApi = layer({ baseUrl })
