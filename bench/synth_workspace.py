#!/usr/bin/env python3
"""Writes a synthetic Cargo workspace for vantrel's benchmarks.

Every crate is a configured API package. Its modules form chains `depth`
deep (n0 declares n1, n1 declares n2, ...); each module holds its share of
API types (structs referring to other types, including across modules through
`use`), handlers and one #[api_router] function that serves its handlers and
nests the next module's router. The output is deterministic for equal
parameters.
"""
import argparse
import os


def write(path, text):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "w") as f:
        f.write(text)


def spread(total, parts):
    base, extra = divmod(total, parts)
    return [base + (1 if i < extra else 0) for i in range(parts)]


def module_files(crate_dir, files, depth):
    """(name, file path, depth level, parent index or None) for each module."""
    mods = []
    for j in range(files):
        level = j % depth
        name = f"n{j}"
        if level == 0:
            path = os.path.join(crate_dir, "src", name + ".rs")
            parent = None
        else:
            parent = j - 1
            parent_path = mods[parent][1]
            path = os.path.join(parent_path[:-3], name + ".rs")
        mods.append((name, path, level, parent))
    return mods


def module_path(mods, j):
    parts = []
    while j is not None:
        parts.append(mods[j][0])
        j = mods[j][3]
    return "::".join(reversed(parts))


def crate_sources(k, crate_dir, files, types, endpoints, depth):
    mods = module_files(crate_dir, files, depth)
    type_counts = spread(types, files)
    endpoint_counts = spread(endpoints, files)
    type_names = []  # per module
    next_type = 0
    for j in range(files):
        type_names.append([f"C{k}Type{next_type + i}" for i in range(type_counts[j])])
        next_type += type_counts[j]
    texts = {}
    next_endpoint = 0
    for j, (name, path, level, parent) in enumerate(mods):
        lines = [
            "//! Generated for benchmarks.",
            "use serde::{Deserialize, Serialize};",
            "use vantrel::{api, api_router, Api, ApiRouter, Json, Path, Query, Body, Created, NoContent};",
            "use crate::ServiceError;",
        ]
        # One cross-module reference per module keeps the resolver busy; it
        # points at an earlier module so that the types stay acyclic.
        other = (j * 7 + 3) % j if j > 0 else None
        if other is not None and type_names[other]:
            lines.append(f"use crate::{module_path(mods, other)}::{type_names[other][0]};")
            foreign = type_names[other][0]
        else:
            foreign = None
        has_child = j + 1 < files and mods[j + 1][3] == j
        if has_child:
            lines.append(f"pub mod {mods[j + 1][0]};")
        lines.append("")
        names = type_names[j]
        for i, tname in enumerate(names):
            lines.append(f"/// {tname} is a generated API type.")
            lines.append("#[derive(Debug, Clone, Serialize, Deserialize, Api)]")
            lines.append('#[serde(rename_all = "camelCase")]')
            lines.append(f"pub struct {tname} {{")
            lines.append("    pub id: u32,")
            lines.append("    pub display_name: String,")
            lines.append("    pub tags: Vec<String>,")
            lines.append("    #[serde(default)]")
            lines.append("    pub note: Option<String>,")
            lines.append("    pub score: f64,")
            if i > 0:
                lines.append(f"    pub previous: Option<Vec<{names[i - 1]}>>,")
            elif foreign:
                lines.append(f"    pub related: Option<{foreign}>,")
            lines.append("}")
            lines.append("")
        handlers = []
        for e in range(endpoint_counts[j]):
            n = next_endpoint + e
            # The last type of a module reaches all the others through `previous`.
            tname = names[len(names) - 1 - (e % len(names))] if names else None
            fname = f"c{k}_handler{n}"
            handlers.append(fname)
            lines.append(f"/// Handler {n}.")
            if tname is None:
                lines.append(f'#[api(delete, "/c{k}/h{n}/{{id}}")]')
                lines.append(f"pub async fn {fname}(id: Path<u32>) -> Result<NoContent, ServiceError> {{")
            elif n % 3 == 0:
                lines.append(f'#[api(get, "/c{k}/h{n}/{{id}}")]')
                lines.append(f"pub async fn {fname}(id: Path<u32>) -> Result<Json<{tname}>, ServiceError> {{")
            elif n % 3 == 1:
                lines.append(f'#[api(post, "/c{k}/h{n}")]')
                lines.append(f"pub async fn {fname}(body: Body<{tname}>) -> Result<Created<{tname}>, ServiceError> {{")
            else:
                lines.append(f'#[api(put, "/c{k}/h{n}/{{id}}")]')
                lines.append(
                    f"pub async fn {fname}(id: Path<u32>, body: Body<{tname}>) -> Result<Json<Vec<{tname}>>, ServiceError> {{")
            lines.append("    todo!()")
            lines.append("}")
            lines.append("")
        next_endpoint += endpoint_counts[j]
        lines.append("#[api_router]")
        lines.append("pub fn router() -> ApiRouter {")
        chain = "    ApiRouter::new()"
        for h in handlers:
            chain += f"\n        .endpoint({h})"
        if has_child:
            chain += f"\n        .merge({mods[j + 1][0]}::router())"
        lines.append(chain)
        lines.append("}")
        texts[path] = "\n".join(lines) + "\n"
    roots = [m for m in mods if m[2] == 0]
    lib = ["//! Generated for benchmarks.", "use serde::Serialize;", "use vantrel::{api_router, ApiError, ApiRouter};", ""]
    for m in roots:
        lib.append(f"pub mod {m[0]};")
    lib += [
        "",
        "/// Errors of every handler.",
        "#[derive(Debug, Serialize, ApiError)]",
        '#[serde(tag = "_tag")]',
        "pub enum ServiceError {",
        "    #[status(404)]",
        "    NotFound,",
        "    #[status(409)]",
        "    Conflict { reason: String },",
        "}",
        "",
        "#[api_router]",
        "pub fn router() -> ApiRouter {",
        "    ApiRouter::new()" + "".join(f"\n        .merge({m[0]}::router())" for m in roots),
        "}",
    ]
    texts[os.path.join(crate_dir, "src", "lib.rs")] = "\n".join(lib) + "\n"
    return texts


def main():
    ap = argparse.ArgumentParser(description=__doc__)
    ap.add_argument("--out", required=True)
    ap.add_argument("--crates", type=int, default=1)
    ap.add_argument("--files", type=int, default=500, help="module files in all")
    ap.add_argument("--types", type=int, default=2000)
    ap.add_argument("--endpoints", type=int, default=1000)
    ap.add_argument("--depth", type=int, default=4)
    a = ap.parse_args()
    members = []
    config = []
    files = spread(a.files, a.crates)
    types = spread(a.types, a.crates)
    endpoints = spread(a.endpoints, a.crates)
    for k in range(a.crates):
        name = f"bench-api-{k}"
        crate_dir = os.path.join(a.out, "crates", name)
        members.append(f'"crates/{name}"')
        config.append(f'[[package]]\ncargo = "{name}"\nts = "@bench/api-{k}"\n')
        write(os.path.join(crate_dir, "Cargo.toml"),
              f'[package]\nname = "{name}"\nversion = "0.1.0"\nedition = "2021"\n\n[dependencies]\nserde = "1"\n')
        # lib.rs counts as one of the files
        for path, text in crate_sources(k, crate_dir, max(1, files[k] - 1), types[k], endpoints[k], a.depth).items():
            write(path, text)
    write(os.path.join(a.out, "Cargo.toml"), "[workspace]\nmembers = [" + ", ".join(members) + "]\n")
    write(os.path.join(a.out, "vantrel.toml"), "\n".join(config) + '\n[lint]\nunused-endpoints = "warn"\n')


if __name__ == "__main__":
    main()
