import assert from "node:assert/strict"
import { describe, test } from "node:test"
import { EventStreamParser, type ServerSentEvent } from "../src/sse.js"

const parseAll = (chunks: ReadonlyArray<string | Uint8Array>): Array<ServerSentEvent> => {
  const parser = new EventStreamParser()
  const events = chunks.flatMap((chunk) => parser.push(chunk))
  return [...events, ...parser.finish()]
}

const message = (data: string, id = "", extra: Partial<ServerSentEvent> = {}): ServerSentEvent => ({
  event: "message",
  data,
  id,
  ...extra,
})

describe("event-stream parsing", () => {
  const cases: ReadonlyArray<[string, string, Array<ServerSentEvent>]> = [
    ["one event", "data: hello\n\n", [message("hello")]],
    ["data lines are joined with LF", "data: a\ndata: b\n\n", [message("a\nb")]],
    ["only one leading space is removed", "data:  two\ndata:none\n\n", [message(" two\nnone")]],
    ["CRLF and CR line breaks", "data: a\r\n\r\ndata: b\r\rdata: c\n\n", [message("a"), message("b"), message("c")]],
    ["comments are skipped", ": keep-alive\ndata: x\n: more\n\n", [message("x")]],
    ["event type", "event: update\ndata: 1\n\ndata: 2\n\n", [{ event: "update", data: "1", id: "" }, message("2")]],
    ["id carries over to later events", "id: 7\ndata: a\n\ndata: b\n\n", [message("a", "7"), message("b", "7")]],
    ["id with NUL is ignored", "id: 1\ndata: a\n\nid: 2\0x\ndata: b\n\n", [message("a", "1"), message("b", "1")]],
    ["empty id resets", "id: 1\ndata: a\n\nid\ndata: b\n\n", [message("a", "1"), message("b", "")]],
    ["events without data are not dispatched", "event: ping\n\nid: 3\n\ndata: x\n\n", [message("x", "3")]],
    ["a data field with no value is an empty event", "data\n\n", [message("")]],
    ["retry needs digits only and persists", "retry: 50\n\ndata: a\n\nretry: 1x\ndata: b\n\n", [
      message("a", "", { retry: 50 }),
      message("b", "", { retry: 50 }),
    ]],
    ["unknown fields are ignored", "foo: bar\ndata: x\n\n", [message("x")]],
    ["a field name without colon has an empty value", "data\ndata\n\n", [message("\n")]],
    ["an unterminated last event is discarded", "data: a\n\ndata: b\n", [message("a")]],
    ["a leading byte order mark is dropped", "\uFEFFdata: a\n\n", [message("a")]],
    ["a byte order mark later is data", "data: \uFEFFa\n\n", [message("\uFEFFa")]],
  ]
  for (const [name, text, expected] of cases) {
    test(name, () => assert.deepEqual(parseAll([text]), expected))
  }

  test("every split of a stream into two chunks parses the same", () => {
    const text = "\uFEFFid: 1\r\nevent: e\r\ndata: caf\u00e9 \u{1F600}\r\n\r\ndata: x\rdata: y\r\r: c\n\n"
    const bytes = new TextEncoder().encode(text)
    const whole = parseAll([bytes])
    assert.equal(whole.length, 2)
    assert.deepEqual(whole[0], { event: "e", data: "caf\u00e9 \u{1F600}", id: "1" })
    for (let cut = 0; cut <= bytes.length; cut++) {
      assert.deepEqual(parseAll([bytes.subarray(0, cut), bytes.subarray(cut)]), whole, `bytes cut at ${cut}`)
    }
    for (let cut = 0; cut <= text.length; cut++) {
      assert.deepEqual(parseAll([text.slice(0, cut), text.slice(cut)]), whole, `text cut at ${cut}`)
    }
  })

  test("a CR ending one chunk and an LF starting the next are one line break", () => {
    assert.deepEqual(parseAll(["data: a\r", "\ndata: b\r", "\n\r", "\n"]), [message("a\nb")])
  })

  test("events are returned as soon as their blank line arrives", () => {
    const parser = new EventStreamParser()
    assert.deepEqual(parser.push("data: a\n"), [])
    assert.deepEqual(parser.push("\ndata: b"), [message("a")])
    assert.deepEqual(parser.push("\n\n"), [message("b")])
  })
})
