import assert from "node:assert/strict"
import { describe, test } from "node:test"
import { fillPath, joinUrl, queryString } from "../src/request.js"

describe("route placeholders", () => {
  const cases: ReadonlyArray<[string, string, Record<string, unknown>, string]> = [
    ["braced name", "/users/{id}", { id: 7 }, "/users/7"],
    ["several names", "/users/{id}/posts/{post_id}", { id: "a", post_id: 2 }, "/users/a/posts/2"],
    ["reserved characters are encoded", "/users/{id}", { id: "a b/c?d#e%" }, "/users/a%20b%2Fc%3Fd%23e%25"],
    ["non-ASCII text is UTF-8 encoded", "/tags/{tag}", { tag: "café" }, "/tags/caf%C3%A9"],
    ["colon segment", "/files/:name/meta", { name: "x y" }, "/files/x%20y/meta"],
    ["colon inside a segment is literal", "/a/b:c", {}, "/a/b:c"],
    ["braced catch-all keeps slashes", "/files/{*path}", { path: "dir one/b?/c.txt" }, "/files/dir%20one/b%3F/c.txt"],
    ["catch-all keyed with its star", "/files/{*path}", { "*path": "a/b" }, "/files/a/b"],
    ["star segment catch-all", "/raw/*rest", { rest: "x/y z" }, "/raw/x/y%20z"],
    ["booleans and bigints", "/f/{a}/{b}", { a: false, b: 12n }, "/f/false/12"],
    ["unclosed brace stays literal", "/a/{b", {}, "/a/{b"],
  ]
  for (const [name, template, values, expected] of cases) {
    test(name, () => assert.deepEqual(fillPath(template, values), { ok: true, text: expected }))
  }

  test("a missing or unrepresentable value is an error naming the parameter", () => {
    assert.deepEqual(fillPath("/users/{id}", {}), { ok: false, message: 'missing value for path parameter "id"' })
    assert.deepEqual(fillPath("/users/:id", { id: null }), {
      ok: false,
      message: 'missing value for path parameter "id"',
    })
    assert.deepEqual(fillPath("/users/{id}", { id: { nested: 1 } }), {
      ok: false,
      message: 'path parameter "id" must be a string, number or boolean',
    })
  })

  test("inherited properties do not count as values", () => {
    assert.equal(fillPath("/x/{toString}", {}).ok, false)
  })
})

describe("query strings", () => {
  const cases: ReadonlyArray<[string, Record<string, unknown> | undefined, string]> = [
    ["no query", undefined, ""],
    ["only undefined entries", { page: undefined, q: undefined }, ""],
    ["defined entries in order", { page: 2, q: undefined, all: true }, "?page=2&all=true"],
    ["null is left out", { q: null, page: 1 }, "?page=1"],
    ["keys and values are encoded", { "name-prefix": "a&b=c d", "ü": "+" }, "?name-prefix=a%26b%3Dc%20d&%C3%BC=%2B"],
    ["arrays repeat the key", { tag: ["a", "b c"], n: [] }, "?tag=a&tag=b%20c"],
    ["empty string is kept", { q: "" }, "?q="],
  ]
  for (const [name, query, expected] of cases) {
    test(name, () => assert.deepEqual(queryString(query), { ok: true, text: expected }))
  }

  test("a nested object is an error", () => {
    const result = queryString({ filter: { a: 1 } })
    assert.equal(result.ok, false)
  })
})

describe("base URL joining", () => {
  const cases: ReadonlyArray<[string | URL, string, string]> = [
    ["http://h:1", "/users", "http://h:1/users"],
    ["http://h:1/", "/users", "http://h:1/users"],
    ["http://h:1/api/", "/users", "http://h:1/api/users"],
    [new URL("http://h:1/api"), "/users", "http://h:1/api/users"],
    ["", "/users", "/users"],
    ["/api", "/", "/api/"],
  ]
  for (const [base, path, expected] of cases) {
    test(`${String(base)} + ${path}`, () => assert.equal(joinUrl(base, path), expected))
  }
})
