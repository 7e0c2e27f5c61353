#!/usr/bin/env python3
"""Writes a synthetic TypeScript app that uses the client of a synthetic
workspace (bench/synth_workspace.py, one crate): every file imports endpoint
functions by name and through a namespace, pipes them through Effect, catches
an error tag, reads a route constant and names schema types."""
import argparse
import os


def main():
    ap = argparse.ArgumentParser(description=__doc__)
    ap.add_argument("--out", required=True)
    ap.add_argument("--files", type=int, default=2000)
    ap.add_argument("--endpoints", type=int, default=1000)
    ap.add_argument("--types", type=int, default=2000)
    a = ap.parse_args()
    os.makedirs(a.out, exist_ok=True)
    for i in range(a.files):
        e1, e2, e3 = (i * 3) % a.endpoints, (i * 3 + 1) % a.endpoints, (i * 3 + 2) % a.endpoints
        t = (i * 5) % a.types
        text = f"""// Synthetic app module {i}.
import {{ Effect, pipe }} from "effect"
import type {{ C0Type{t} }} from "@bench/api-0/schemas"
import {{ c0Handler{e1}, c0Handler{e2}Route }} from "@bench/api-0/endpoints/c0"
import * as c0 from "@bench/api-0/endpoints/c0"

export interface View{i} {{
  readonly item: C0Type{t} | undefined
  readonly label: string
}}

export const load{i} = (id: number) =>
  pipe(
    c0Handler{e1}({{ id }} as never),
    Effect.map((item): View{i} => ({{ item: item as never, label: `item ${{id}}` }})),
    Effect.catchTag("NotFound", () => Effect.succeed({{ item: undefined, label: "missing" }})),
  )

export const other{i} = (id: number) => c0.c0Handler{e3}({{ id }} as never).pipe(Effect.orElseSucceed(() => null))

export const url{i} = (id: number) => c0Handler{e2}Route.path.replace("{{id}}", String(id))

export function describe{i}(views: ReadonlyArray<View{i}>): string {{
  let out = ""
  for (const view of views) {{
    if (view.item !== undefined && view.label.length > 3) {{
      out += `${{view.label}}; `
    }}
  }}
  return out.trim()
}}
"""
        with open(os.path.join(a.out, f"module{i}.ts"), "w") as f:
            f.write(text)


if __name__ == "__main__":
    main()
