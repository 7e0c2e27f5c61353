//! The serde side of the wire-conformance suite.
//!
//! `wire-api samples` prints every API type's samples as serde_json writes
//! them: one JSON object mapping each type name to a list of JSON texts.
//!
//! `wire-api roundtrip` reads a JSON list of `{"type": name, "json": text}`
//! from standard input, deserialises each text as that type and serialises
//! the value again, and prints a list of `{"ok": true, "json": text}` or
//! `{"ok": false, "error": message}` in the same order.

mod handlers;
mod samples;
mod types;
mod web;

use std::io::Read;

use serde_json::{json, Value};

use crate::types::*;

/// Deserialises `text` as the API type called `name` and serialises it again;
/// `None` for a name that is not an API type.
macro_rules! roundtrip_by_name {
    ($name:expr, $text:expr, [$($ty:ident),* $(,)?]) => {
        match $name {
            $(stringify!($ty) => Some(reserialise::<$ty>($text)),)*
            _ => None,
        }
    };
}

fn reserialise<T: serde::Serialize + serde::de::DeserializeOwned>(text: &str) -> Result<String, String> {
    let value: T = serde_json::from_str(text).map_err(|e| e.to_string())?;
    serde_json::to_string(&value).map_err(|e| e.to_string())
}

fn roundtrip(name: &str, text: &str) -> Result<String, String> {
    roundtrip_by_name!(name, text, [
        Primitives, Measure, UserId, Email, Tags, Externals, Containers, Optionals, Strict, Renamed,
        CamelFields, PascalFields, SnakeFields, KebabFields, ScreamingFields,
        OddCamelFields, OddPascalFields, OddSnakeCapitals, OddSnakeUnderscores, OddKebabCapitals,
        OddKebabUnderscores, OddScreamingCapitals, OddScreamingUnderscores,
        EscapedTags, Status, Shape, CamelVariants, PascalVariants, SnakeVariants, KebabVariants, ScreamingVariants,
        OddCamelVariant, OddPascalVariant, OddSnakeVariant, OddKebabVariant, OddScreamingVariant,
        Document, WireError, RuledError,
    ])
    .unwrap_or_else(|| Err(format!("unknown API type `{name}`")))
}

fn print_samples() {
    let mut out = serde_json::Map::new();
    for (name, texts) in samples::all() {
        out.insert(name.to_string(), json!(texts));
    }
    println!("{}", Value::Object(out));
}

fn run_roundtrips() -> Result<(), String> {
    let mut input = String::new();
    std::io::stdin().read_to_string(&mut input).map_err(|e| e.to_string())?;
    let cases: Vec<Value> = serde_json::from_str(&input).map_err(|e| format!("bad input: {e}"))?;
    let mut results = Vec::with_capacity(cases.len());
    for case in &cases {
        let name = case["type"].as_str().ok_or("a case lacks \"type\"")?;
        let text = case["json"].as_str().ok_or("a case lacks \"json\"")?;
        results.push(match roundtrip(name, text) {
            Ok(json) => json!({ "ok": true, "json": json }),
            Err(error) => json!({ "ok": false, "error": error }),
        });
    }
    println!("{}", Value::Array(results));
    Ok(())
}

fn main() {
    let _ = handlers::app();
    let command = std::env::args().nth(1).unwrap_or_default();
    let outcome = match command.as_str() {
        "samples" => Ok(print_samples()),
        "roundtrip" => run_roundtrips(),
        _ => Err("usage: wire-api samples | wire-api roundtrip < cases.json".to_string()),
    };
    if let Err(message) = outcome {
        eprintln!("wire-api: {message}");
        std::process::exit(1);
    }
}
