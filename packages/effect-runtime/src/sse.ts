/**
 * An incremental parser for the `text/event-stream` format.
 *
 * Bytes arrive in arbitrary chunks: a chunk may end inside a UTF-8 sequence,
 * inside a line, or between the CR and LF of one line break. The parser keeps
 * what it has not finished and hands out whole events as soon as their
 * terminating blank line has arrived. The rules are those of the HTML event
 * stream interpretation: lines end with CRLF, LF or CR; a leading byte order
 * mark is dropped; lines starting with ":" are comments; one space after the
 * field's colon is removed; "data" lines are joined with LF; an "id" holding
 * NUL is ignored; "retry" counts only when it is all ASCII digits; a blank
 * line dispatches the event unless it has no data; an event not closed by a
 * blank line when the stream ends is discarded.
 */

/** One dispatched server-sent event. */
export interface ServerSentEvent {
  /** The "event" field, "message" when the event did not set one. */
  readonly event: string
  /** The joined "data" lines. */
  readonly data: string
  /** The last event id set on this stream so far (it carries over between events). */
  readonly id: string
  /** The reconnection time (milliseconds) most recently set by a valid "retry" field on this stream. */
  readonly retry?: number | undefined
}

const LF = 0x0a
const CR = 0x0d

export class EventStreamParser {
  // The decoder drops a leading byte order mark itself; `started` covers text fed directly.
  private readonly decoder = new TextDecoder("utf-8")
  private started = false
  private line = ""
  private endedWithCR = false
  private data = ""
  private hasData = false
  private eventType = ""
  private lastEventId = ""
  private retry: number | undefined = undefined

  /** Feeds a chunk of the stream (bytes or already decoded text) and returns the events it completes. */
  push(chunk: Uint8Array | string): Array<ServerSentEvent> {
    const text = typeof chunk === "string" ? chunk : this.decoder.decode(chunk, { stream: true })
    return this.scan(text)
  }

  /** Ends the stream: flushes the decoder and drops an event that was never closed by a blank line. */
  finish(): Array<ServerSentEvent> {
    const events = this.scan(this.decoder.decode())
    this.line = ""
    this.resetEvent()
    return events
  }

  private scan(input: string): Array<ServerSentEvent> {
    if (input === "") return []
    let text = input
    if (!this.started) {
      this.started = true
      if (text.charCodeAt(0) === 0xfeff) text = text.slice(1)
    }
    const events: Array<ServerSentEvent> = []
    // A CR that ended the previous chunk and an LF that starts this one are one line break.
    let start = this.endedWithCR && text.charCodeAt(0) === LF ? 1 : 0
    this.endedWithCR = false
    for (let i = start; i < text.length; i++) {
      const code = text.charCodeAt(i)
      if (code !== LF && code !== CR) continue
      this.line += text.slice(start, i)
      const event = this.takeLine()
      if (event !== undefined) events.push(event)
      if (code === CR && i + 1 === text.length) this.endedWithCR = true
      if (code === CR && text.charCodeAt(i + 1) === LF) i++
      start = i + 1
    }
    this.line += text.slice(start)
    return events
  }

  private takeLine(): ServerSentEvent | undefined {
    const line = this.line
    this.line = ""
    if (line === "") return this.dispatch()
    if (line.startsWith(":")) return undefined
    const colon = line.indexOf(":")
    const field = colon === -1 ? line : line.slice(0, colon)
    let value = colon === -1 ? "" : line.slice(colon + 1)
    if (value.startsWith(" ")) value = value.slice(1)
    this.applyField(field, value)
    return undefined
  }

  private applyField(field: string, value: string): void {
    switch (field) {
      case "event":
        this.eventType = value
        return
      case "data":
        this.data += value + "\n"
        this.hasData = true
        return
      case "id":
        if (!value.includes("\0")) this.lastEventId = value
        return
      case "retry":
        if (/^[0-9]+$/.test(value)) this.retry = Number.parseInt(value, 10)
        return
      default:
        return
    }
  }

  private dispatch(): ServerSentEvent | undefined {
    if (!this.hasData) {
      this.resetEvent()
      return undefined
    }
    const event: ServerSentEvent = {
      event: this.eventType === "" ? "message" : this.eventType,
      // Every data line added a trailing LF; the last one is not part of the data.
      data: this.data.slice(0, -1),
      id: this.lastEventId,
      ...(this.retry === undefined ? {} : { retry: this.retry }),
    }
    this.resetEvent()
    return event
  }

  private resetEvent(): void {
    this.data = ""
    this.hasData = false
    this.eventType = ""
  }
}
