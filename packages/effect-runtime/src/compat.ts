/**
 * The Effect modules that generated packages use, re-exported from one place.
 *
 * Generated code imports `Context`, `Effect`, `Layer`, `Schema` and `Stream`
 * from here rather than from "effect" directly, so that a generated package
 * only ever depends on this runtime and the runtime decides which Effect
 * modules those names stand for.
 */
export { Context, Effect, Layer, Schema, Stream } from "effect"
