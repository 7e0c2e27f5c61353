//! The API types whose JSON the conformance suite compares: one type per
//! wire shape, so that a disagreement points at the shape that causes it.
//!
//! Names that serde and vantrel are known to convert differently live in
//! their own `Odd*` types, so that they cannot hide the outcome of the
//! well-behaved names next to them.
#![allow(non_snake_case, non_camel_case_types)]

use std::collections::{BTreeMap, HashMap};

use chrono::{DateTime, Utc};
use rust_decimal::Decimal;
use serde::{Deserialize, Serialize};
use uuid::Uuid;
use wire_macros::{Api, ApiError};

/// Every primitive kind, with integers kept within 2^53.
#[derive(Clone, Debug, PartialEq, Serialize, Deserialize, Api)]
pub struct Primitives {
    pub flag: bool,
    pub tiny: i8,
    pub byte: u8,
    pub short: i16,
    pub ushort: u16,
    pub int: i32,
    pub uint: u32,
    pub long: i64,
    pub ulong: u64,
    pub huge: i128,
    pub uhuge: u128,
    pub size: usize,
    pub isize: isize,
    pub single: f32,
    pub double: f64,
    pub text: String,
    pub boxed_text: Box<str>,
}

/// A lone float, for the values JSON has no number for.
#[derive(Clone, Debug, PartialEq, Serialize, Deserialize, Api)]
pub struct Measure {
    pub value: f64,
}

/// A tuple newtype: its JSON is the inner value.
#[derive(Clone, Debug, PartialEq, Serialize, Deserialize, Api)]
pub struct UserId(pub Uuid);

/// A transparent struct: its JSON is the one field's value.
#[derive(Clone, Debug, PartialEq, Serialize, Deserialize, Api)]
#[serde(transparent)]
pub struct Email {
    pub address: String,
}

/// A newtype around a list.
#[derive(Clone, Debug, PartialEq, Serialize, Deserialize, Api)]
pub struct Tags(pub Vec<String>);

/// The outside types that vantrel knows.
#[derive(Clone, Debug, PartialEq, Serialize, Deserialize, Api)]
pub struct Externals {
    pub id: Uuid,
    pub at: DateTime<Utc>,
    pub price: Decimal,
    pub extra: serde_json::Value,
    pub maybe_extra: Option<serde_json::Value>,
}

/// Lists, boxes, maps and nested options.
#[derive(Clone, Debug, PartialEq, Serialize, Deserialize, Api)]
pub struct Containers {
    pub list: Vec<i32>,
    pub boxed: Box<Externals>,
    pub hash: HashMap<String, u32>,
    pub btree: BTreeMap<String, Vec<Option<String>>>,
    pub nested_option: Option<Option<u32>>,
    pub option_list: Option<Vec<Option<i32>>>,
    pub list_of_lists: Vec<Vec<String>>,
    pub map_of_maps: BTreeMap<String, HashMap<String, bool>>,
    pub ids: Vec<UserId>,
    pub boxed_list: Box<Vec<Box<Email>>>,
}

fn default_count() -> u32 {
    7
}

/// Every way a field can be optional on the wire.
#[derive(Clone, Debug, PartialEq, Serialize, Deserialize, Api)]
pub struct Optionals {
    pub required: String,
    pub nullable: Option<String>,
    #[serde(default)]
    pub defaulted: u32,
    #[serde(default = "default_count")]
    pub custom_default: u32,
    #[serde(default)]
    pub defaulted_list: Vec<String>,
    #[serde(default)]
    pub defaulted_option: Option<String>,
    #[serde(default, skip_serializing_if = "Option::is_none")]
    pub skipped: Option<String>,
    #[serde(skip_serializing_if = "Option::is_none")]
    pub skipped_without_default: Option<i32>,
    #[serde(skip_serializing_if = "std::option::Option::is_none")]
    pub skipped_full_path: Option<Tags>,
}

/// Unknown keys are refused by serde.
#[derive(Clone, Debug, PartialEq, Serialize, Deserialize, Api)]
#[serde(deny_unknown_fields)]
pub struct Strict {
    pub a: u32,
    pub b: Option<String>,
}

/// `rename` and `alias` on fields, including wire names that are not
/// TypeScript identifiers.
#[derive(Clone, Debug, PartialEq, Serialize, Deserialize, Api)]
pub struct Renamed {
    #[serde(rename = "__a--b")]
    pub odd: u32,
    #[serde(rename = "content-type")]
    pub content_type: String,
    #[serde(rename = "2fa")]
    pub two_factor: bool,
    #[serde(rename = "with space")]
    pub spaced: i32,
    #[serde(rename = "ünïcode")]
    pub unicode: String,
    #[serde(rename = "$dollar")]
    pub dollar: u8,
    #[serde(alias = "old_name", alias = "older_name")]
    pub current_name: String,
    #[serde(rename = "renamed", alias = "legacy")]
    pub was_named: String,
    #[serde(rename = "back\\slash")]
    pub backslash: u32,
    #[serde(rename = "quo\"te")]
    pub quote: u32,
    #[serde(rename = "line\nbreak\r")]
    pub line_break: u32,
}

/// Tags that need escaping in a TypeScript string literal.
#[derive(Clone, Debug, PartialEq, Serialize, Deserialize, Api)]
#[serde(tag = "_tag")]
pub enum EscapedTags {
    #[serde(rename = "quo\"te")]
    Quote,
    #[serde(rename = "back\\slash")]
    Backslash { n: u32 },
    #[serde(rename = "line\nbreak")]
    LineBreak,
}

/// camelCase over snake_case field names.
#[derive(Clone, Debug, PartialEq, Serialize, Deserialize, Api)]
#[serde(rename_all = "camelCase")]
pub struct CamelFields {
    pub user_id2: u32,
    pub first_name: String,
    pub x: bool,
    #[serde(rename = "kept_as_is")]
    pub overridden: u8,
}

/// PascalCase over snake_case field names.
#[derive(Clone, Debug, PartialEq, Serialize, Deserialize, Api)]
#[serde(rename_all = "PascalCase")]
pub struct PascalFields {
    pub user_id2: u32,
    pub first_name: String,
    pub x: bool,
}

/// snake_case over snake_case field names.
#[derive(Clone, Debug, PartialEq, Serialize, Deserialize, Api)]
#[serde(rename_all = "snake_case")]
pub struct SnakeFields {
    pub user_id2: u32,
    pub first_name: String,
    pub x: bool,
}

/// kebab-case over snake_case field names.
#[derive(Clone, Debug, PartialEq, Serialize, Deserialize, Api)]
#[serde(rename_all = "kebab-case")]
pub struct KebabFields {
    pub user_id2: u32,
    pub first_name: String,
    pub x: bool,
}

/// SCREAMING_SNAKE_CASE over snake_case field names.
#[derive(Clone, Debug, PartialEq, Serialize, Deserialize, Api)]
#[serde(rename_all = "SCREAMING_SNAKE_CASE")]
pub struct ScreamingFields {
    pub user_id2: u32,
    pub first_name: String,
    pub x: bool,
}

/// camelCase over field names with capitals and extra underscores.
#[derive(Clone, Debug, PartialEq, Serialize, Deserialize, Api)]
#[serde(rename_all = "camelCase")]
pub struct OddCamelFields {
    pub XMLParser: u32,
    pub __a__b: u32,
    pub trailing_: u32,
}

/// PascalCase over field names with capitals and extra underscores.
#[derive(Clone, Debug, PartialEq, Serialize, Deserialize, Api)]
#[serde(rename_all = "PascalCase")]
pub struct OddPascalFields {
    pub XMLParser: u32,
    pub __a__b: u32,
    pub trailing_: u32,
}

/// snake_case over a field name with capitals.
#[derive(Clone, Debug, PartialEq, Serialize, Deserialize, Api)]
#[serde(rename_all = "snake_case")]
pub struct OddSnakeCapitals {
    pub XMLParser: u32,
}

/// snake_case over a field name with leading and doubled underscores.
#[derive(Clone, Debug, PartialEq, Serialize, Deserialize, Api)]
#[serde(rename_all = "snake_case")]
pub struct OddSnakeUnderscores {
    pub __a__b: u32,
}

/// kebab-case over a field name with capitals.
#[derive(Clone, Debug, PartialEq, Serialize, Deserialize, Api)]
#[serde(rename_all = "kebab-case")]
pub struct OddKebabCapitals {
    pub XMLParser: u32,
}

/// kebab-case over a field name with leading and doubled underscores.
#[derive(Clone, Debug, PartialEq, Serialize, Deserialize, Api)]
#[serde(rename_all = "kebab-case")]
pub struct OddKebabUnderscores {
    pub __a__b: u32,
}

/// SCREAMING_SNAKE_CASE over a field name with capitals.
#[derive(Clone, Debug, PartialEq, Serialize, Deserialize, Api)]
#[serde(rename_all = "SCREAMING_SNAKE_CASE")]
pub struct OddScreamingCapitals {
    pub XMLParser: u32,
}

/// SCREAMING_SNAKE_CASE over a field name with leading and doubled
/// underscores.
#[derive(Clone, Debug, PartialEq, Serialize, Deserialize, Api)]
#[serde(rename_all = "SCREAMING_SNAKE_CASE")]
pub struct OddScreamingUnderscores {
    pub __a__b: u32,
}

/// A unit-only enum: every variant is an object holding only `_tag`.
#[derive(Clone, Debug, PartialEq, Serialize, Deserialize, Api)]
#[serde(tag = "_tag")]
pub enum Status {
    Active,
    Suspended,
    #[serde(rename = "gone", alias = "Deleted")]
    Deleted,
}

/// A data-carrying enum with variant renames and per-variant field rules.
#[derive(Clone, Debug, PartialEq, Serialize, Deserialize, Api)]
#[serde(tag = "_tag", rename_all = "snake_case")]
pub enum Shape {
    Circle {
        radius: f64,
    },
    RoundedRect {
        width: f64,
        height: f64,
        corner_radius: Option<f64>,
    },
    #[serde(rename = "dot")]
    Point,
    #[serde(rename_all = "camelCase")]
    Labeled {
        label_text: String,
        #[serde(default)]
        font_size: u32,
        #[serde(rename = "colour")]
        color: Option<String>,
        #[serde(default, skip_serializing_if = "Option::is_none")]
        note: Option<String>,
    },
}

/// camelCase over variant names.
#[derive(Clone, Debug, PartialEq, Serialize, Deserialize, Api)]
#[serde(tag = "_tag", rename_all = "camelCase")]
pub enum CamelVariants {
    XMLParser,
    UserId2,
    V2Name { some_field: u32 },
}

/// PascalCase over variant names.
#[derive(Clone, Debug, PartialEq, Serialize, Deserialize, Api)]
#[serde(tag = "_tag", rename_all = "PascalCase")]
pub enum PascalVariants {
    XMLParser,
    UserId2,
    V2Name { some_field: u32 },
}

/// snake_case over variant names.
#[derive(Clone, Debug, PartialEq, Serialize, Deserialize, Api)]
#[serde(tag = "_tag", rename_all = "snake_case")]
pub enum SnakeVariants {
    XMLParser,
    UserId2,
    V2Name { some_field: u32 },
}

/// kebab-case over variant names.
#[derive(Clone, Debug, PartialEq, Serialize, Deserialize, Api)]
#[serde(tag = "_tag", rename_all = "kebab-case")]
pub enum KebabVariants {
    XMLParser,
    UserId2,
    V2Name { some_field: u32 },
}

/// SCREAMING_SNAKE_CASE over variant names.
#[derive(Clone, Debug, PartialEq, Serialize, Deserialize, Api)]
#[serde(tag = "_tag", rename_all = "SCREAMING_SNAKE_CASE")]
pub enum ScreamingVariants {
    XMLParser,
    UserId2,
    V2Name { some_field: u32 },
}

/// camelCase over a variant name with an underscore.
#[derive(Clone, Debug, PartialEq, Serialize, Deserialize, Api)]
#[serde(tag = "_tag", rename_all = "camelCase")]
pub enum OddCamelVariant {
    Odd_Name,
}

/// PascalCase over a variant name with an underscore.
#[derive(Clone, Debug, PartialEq, Serialize, Deserialize, Api)]
#[serde(tag = "_tag", rename_all = "PascalCase")]
pub enum OddPascalVariant {
    Odd_Name,
}

/// snake_case over a variant name with an underscore.
#[derive(Clone, Debug, PartialEq, Serialize, Deserialize, Api)]
#[serde(tag = "_tag", rename_all = "snake_case")]
pub enum OddSnakeVariant {
    Odd_Name,
}

/// kebab-case over a variant name with an underscore.
#[derive(Clone, Debug, PartialEq, Serialize, Deserialize, Api)]
#[serde(tag = "_tag", rename_all = "kebab-case")]
pub enum OddKebabVariant {
    Odd_Name,
}

/// SCREAMING_SNAKE_CASE over a variant name with an underscore.
#[derive(Clone, Debug, PartialEq, Serialize, Deserialize, Api)]
#[serde(tag = "_tag", rename_all = "SCREAMING_SNAKE_CASE")]
pub enum OddScreamingVariant {
    Odd_Name,
}

/// A document that names the other types, so that references between
/// schemas are exercised.
#[derive(Clone, Debug, PartialEq, Serialize, Deserialize, Api)]
#[serde(rename_all = "camelCase")]
pub struct Document {
    pub owner: UserId,
    pub contact: Option<Email>,
    pub tags: Tags,
    pub status: Status,
    pub shapes: Vec<Shape>,
    pub by_name: BTreeMap<String, Optionals>,
    #[serde(default, skip_serializing_if = "Option::is_none")]
    pub strict: Option<Strict>,
}

/// An API error with unit and data-carrying variants.
#[derive(Clone, Debug, PartialEq, Serialize, Deserialize, ApiError)]
#[serde(tag = "_tag")]
pub enum WireError {
    #[status(404)]
    NotFound { id: Uuid, kind: String },
    #[status(409)]
    Conflict,
    /// A request field failed validation.
    #[status(422)]
    #[serde(rename_all = "camelCase")]
    InvalidInput {
        field_name: String,
        reason: Option<String>,
        #[serde(default)]
        hints: Vec<String>,
    },
    #[status(409)]
    #[serde(rename = "Gone")]
    Removed { at: DateTime<Utc> },
}

/// An API error whose variant names and fields follow container rules.
#[derive(Clone, Debug, PartialEq, Serialize, Deserialize, ApiError)]
#[serde(tag = "_tag", rename_all = "SCREAMING_SNAKE_CASE")]
pub enum RuledError {
    #[status(400)]
    BadInput { detail_text: String },
    #[status(503)]
    #[serde(rename_all = "PascalCase")]
    Unavailable { retry_after: Option<u32> },
}
