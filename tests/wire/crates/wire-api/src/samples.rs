//! Sample values of every API type, chosen to reach the edges of each shape:
//! empty and non-ASCII strings, integer bounds within 2^53, absent and null
//! options, empty and nested containers, every enum variant.

use std::collections::{BTreeMap, HashMap};

use chrono::{DateTime, Utc};
use rust_decimal::Decimal;
use serde::Serialize;
use serde_json::json;
use uuid::Uuid;

use crate::types::*;

/// The largest integer a JavaScript number holds exactly.
const MAX_SAFE: i64 = (1 << 53) - 1;

/// Each API type's name and its samples as the JSON text serde_json writes.
pub fn all() -> Vec<(&'static str, Vec<String>)> {
    vec![
        ("Primitives", texts(primitives())),
        ("Measure", texts(measures())),
        ("UserId", texts(vec![UserId(Uuid::nil()), UserId(uuid(1))])),
        ("Email", texts(emails())),
        ("Tags", texts(vec![Tags(vec![]), Tags(vec!["a".into(), "".into(), "ü\"\\\n".into()])])),
        ("Externals", texts(externals())),
        ("Containers", texts(containers())),
        ("Optionals", texts(optionals())),
        ("Strict", texts(vec![Strict { a: 0, b: None }, Strict { a: 4_000_000_000, b: Some("x".into()) }])),
        ("Renamed", texts(vec![renamed()])),
        ("CamelFields", texts(vec![CamelFields { user_id2: 1, first_name: "Ada".into(), x: true, overridden: 2 }])),
        ("PascalFields", texts(vec![PascalFields { user_id2: 1, first_name: "Ada".into(), x: true }])),
        ("SnakeFields", texts(vec![SnakeFields { user_id2: 1, first_name: "Ada".into(), x: true }])),
        ("KebabFields", texts(vec![KebabFields { user_id2: 1, first_name: "Ada".into(), x: true }])),
        ("ScreamingFields", texts(vec![ScreamingFields { user_id2: 1, first_name: "Ada".into(), x: true }])),
        ("OddCamelFields", texts(vec![OddCamelFields { XMLParser: 1, __a__b: 2, trailing_: 3 }])),
        ("OddPascalFields", texts(vec![OddPascalFields { XMLParser: 1, __a__b: 2, trailing_: 3 }])),
        ("OddSnakeCapitals", texts(vec![OddSnakeCapitals { XMLParser: 1 }])),
        ("OddSnakeUnderscores", texts(vec![OddSnakeUnderscores { __a__b: 1 }])),
        ("OddKebabCapitals", texts(vec![OddKebabCapitals { XMLParser: 1 }])),
        ("OddKebabUnderscores", texts(vec![OddKebabUnderscores { __a__b: 1 }])),
        ("OddScreamingCapitals", texts(vec![OddScreamingCapitals { XMLParser: 1 }])),
        ("OddScreamingUnderscores", texts(vec![OddScreamingUnderscores { __a__b: 1 }])),
        ("EscapedTags", texts(vec![EscapedTags::Quote, EscapedTags::Backslash { n: 1 }, EscapedTags::LineBreak])),
        ("Status", texts(vec![Status::Active, Status::Suspended, Status::Deleted])),
        ("Shape", texts(shapes())),
        ("CamelVariants", texts(vec![CamelVariants::XMLParser, CamelVariants::UserId2, CamelVariants::V2Name { some_field: 1 }])),
        ("PascalVariants", texts(vec![PascalVariants::XMLParser, PascalVariants::UserId2, PascalVariants::V2Name { some_field: 1 }])),
        ("SnakeVariants", texts(vec![SnakeVariants::XMLParser, SnakeVariants::UserId2, SnakeVariants::V2Name { some_field: 1 }])),
        ("KebabVariants", texts(vec![KebabVariants::XMLParser, KebabVariants::UserId2, KebabVariants::V2Name { some_field: 1 }])),
        ("ScreamingVariants", texts(vec![ScreamingVariants::XMLParser, ScreamingVariants::UserId2, ScreamingVariants::V2Name { some_field: 1 }])),
        ("OddCamelVariant", texts(vec![OddCamelVariant::Odd_Name])),
        ("OddPascalVariant", texts(vec![OddPascalVariant::Odd_Name])),
        ("OddSnakeVariant", texts(vec![OddSnakeVariant::Odd_Name])),
        ("OddKebabVariant", texts(vec![OddKebabVariant::Odd_Name])),
        ("OddScreamingVariant", texts(vec![OddScreamingVariant::Odd_Name])),
        ("Document", texts(documents())),
        ("WireError", texts(wire_errors())),
        ("RuledError", texts(ruled_errors())),
    ]
}

fn texts<T: Serialize>(values: Vec<T>) -> Vec<String> {
    values.iter().map(|v| serde_json::to_string(v).expect("samples serialise")).collect()
}

fn uuid(n: u128) -> Uuid {
    Uuid::from_u128(0x0123_4567_89ab_cdef_0123_4567_89ab_cdef ^ n)
}

fn time(text: &str) -> DateTime<Utc> {
    DateTime::parse_from_rfc3339(text).expect("valid time").with_timezone(&Utc)
}

fn primitives() -> Vec<Primitives> {
    let zero = Primitives {
        flag: false,
        tiny: 0,
        byte: 0,
        short: 0,
        ushort: 0,
        int: 0,
        uint: 0,
        long: 0,
        ulong: 0,
        huge: 0,
        uhuge: 0,
        size: 0,
        isize: 0,
        single: 0.0,
        double: 0.0,
        text: String::new(),
        boxed_text: "".into(),
    };
    let high = Primitives {
        flag: true,
        tiny: i8::MAX,
        byte: u8::MAX,
        short: i16::MAX,
        ushort: u16::MAX,
        int: i32::MAX,
        uint: u32::MAX,
        long: MAX_SAFE,
        ulong: MAX_SAFE as u64,
        huge: MAX_SAFE as i128,
        uhuge: MAX_SAFE as u128,
        size: MAX_SAFE as usize,
        isize: MAX_SAFE as isize,
        single: 0.1,
        double: 1.0e300,
        text: "quote \" backslash \\ newline \n tab \t nul \u{0} emoji 🦀 ß".into(),
        boxed_text: "boxed ✓".into(),
    };
    let low = Primitives {
        flag: false,
        tiny: i8::MIN,
        byte: 1,
        short: i16::MIN,
        ushort: 1,
        int: i32::MIN,
        uint: 1,
        long: -MAX_SAFE,
        ulong: 1,
        huge: -MAX_SAFE as i128,
        uhuge: 1,
        size: 1,
        isize: -MAX_SAFE as isize,
        single: -3.5,
        double: -0.1,
        text: "\u{2028}\u{7f}".into(),
        boxed_text: "x".into(),
    };
    vec![zero, high, low]
}

fn measures() -> Vec<Measure> {
    vec![
        Measure { value: 5e-324 },
        Measure { value: 1.7976931348623157e308 },
        Measure { value: 123456.789 },
        Measure { value: 1.0 },
        Measure { value: -0.0 },
        // JSON has no number for these; serde_json writes null.
        Measure { value: f64::NAN },
        Measure { value: f64::NEG_INFINITY },
    ]
}

fn emails() -> Vec<Email> {
    vec![Email { address: "ada@example.com".into() }, Email { address: String::new() }]
}

fn externals() -> Vec<Externals> {
    vec![
        Externals {
            id: Uuid::nil(),
            at: time("1970-01-01T00:00:00Z"),
            price: Decimal::ZERO,
            extra: serde_json::Value::Null,
            maybe_extra: None,
        },
        Externals {
            id: uuid(2),
            at: time("2024-02-29T23:59:59.123456789Z"),
            price: Decimal::new(150, 2),
            extra: json!({"nested": [1, 2.5, "three", null, true, {"deep": {}}], "empty": []}),
            maybe_extra: Some(json!("text")),
        },
        Externals {
            id: uuid(3),
            at: time("2031-06-15T12:30:00+02:00"),
            price: Decimal::MAX,
            extra: json!(-9007199254740991i64),
            maybe_extra: Some(json!([])),
        },
        Externals {
            id: uuid(4),
            at: time("1999-12-31T23:59:59.5Z"),
            price: Decimal::new(-123456, 3),
            extra: json!("a string"),
            maybe_extra: Some(json!({"k": false})),
        },
    ]
}

fn containers() -> Vec<Containers> {
    let empty = Containers {
        list: vec![],
        boxed: Box::new(externals().remove(0)),
        hash: HashMap::new(),
        btree: BTreeMap::new(),
        nested_option: None,
        option_list: None,
        list_of_lists: vec![],
        map_of_maps: BTreeMap::new(),
        ids: vec![],
        boxed_list: Box::new(vec![]),
    };
    let mut hash = HashMap::new();
    hash.insert("one".to_string(), 1);
    hash.insert("".to_string(), 0);
    hash.insert("1".to_string(), 100);
    let mut btree = BTreeMap::new();
    btree.insert("a".to_string(), vec![Some("x".to_string()), None]);
    btree.insert("b".to_string(), vec![]);
    let mut inner = HashMap::new();
    inner.insert("yes".to_string(), true);
    let mut map_of_maps = BTreeMap::new();
    map_of_maps.insert("outer".to_string(), inner);
    map_of_maps.insert("blank".to_string(), HashMap::new());
    let full = Containers {
        list: vec![-1, 0, i32::MAX],
        boxed: Box::new(externals().remove(1)),
        hash,
        btree,
        nested_option: Some(Some(5)),
        option_list: Some(vec![Some(1), None, Some(-3)]),
        list_of_lists: vec![vec![], vec!["x".into(), "y".into()]],
        map_of_maps,
        ids: vec![UserId(uuid(5)), UserId(Uuid::nil())],
        boxed_list: Box::new(vec![Box::new(Email { address: "b@x".into() })]),
    };
    // Some(None) is written as null, the same JSON as None.
    let inner_none = Containers { nested_option: Some(None), option_list: Some(vec![]), ..empty.clone() };
    vec![empty, full, inner_none]
}

fn optionals() -> Vec<Optionals> {
    let bare = Optionals {
        required: "r".into(),
        nullable: None,
        defaulted: 0,
        custom_default: 7,
        defaulted_list: vec![],
        defaulted_option: None,
        skipped: None,
        skipped_without_default: None,
        skipped_full_path: None,
    };
    let full = Optionals {
        required: String::new(),
        nullable: Some("n".into()),
        defaulted: 3,
        custom_default: 0,
        defaulted_list: vec!["d".into()],
        defaulted_option: Some("o".into()),
        skipped: Some("s".into()),
        skipped_without_default: Some(-1),
        skipped_full_path: Some(Tags(vec!["t".into()])),
    };
    vec![bare, full]
}

fn renamed() -> Renamed {
    Renamed {
        odd: 1,
        content_type: "application/json".into(),
        two_factor: true,
        spaced: -2,
        unicode: "ü".into(),
        dollar: 3,
        current_name: "now".into(),
        was_named: "then".into(),
        backslash: 4,
        quote: 5,
        line_break: 6,
    }
}

fn shapes() -> Vec<Shape> {
    vec![
        Shape::Circle { radius: 1.5 },
        Shape::RoundedRect { width: 2.0, height: 3.25, corner_radius: None },
        Shape::RoundedRect { width: 0.0, height: 0.0, corner_radius: Some(0.5) },
        Shape::Point,
        Shape::Labeled { label_text: "hi".into(), font_size: 0, color: None, note: None },
        Shape::Labeled { label_text: "".into(), font_size: 12, color: Some("red".into()), note: Some("n".into()) },
    ]
}

fn documents() -> Vec<Document> {
    let mut by_name = BTreeMap::new();
    by_name.insert("first".to_string(), optionals().remove(1));
    by_name.insert("second".to_string(), optionals().remove(0));
    vec![
        Document {
            owner: UserId(uuid(6)),
            contact: None,
            tags: Tags(vec![]),
            status: Status::Active,
            shapes: vec![],
            by_name: BTreeMap::new(),
            strict: None,
        },
        Document {
            owner: UserId(uuid(7)),
            contact: Some(emails().remove(0)),
            tags: Tags(vec!["x".into()]),
            status: Status::Deleted,
            shapes: shapes(),
            by_name,
            strict: Some(Strict { a: 1, b: None }),
        },
    ]
}

fn wire_errors() -> Vec<WireError> {
    vec![
        WireError::NotFound { id: uuid(8), kind: "book".into() },
        WireError::Conflict,
        WireError::InvalidInput { field_name: "title".into(), reason: None, hints: vec![] },
        WireError::InvalidInput { field_name: "".into(), reason: Some("empty".into()), hints: vec!["h".into()] },
        WireError::Removed { at: time("2020-01-01T00:00:00Z") },
    ]
}

fn ruled_errors() -> Vec<RuledError> {
    vec![
        RuledError::BadInput { detail_text: "d".into() },
        RuledError::Unavailable { retry_after: None },
        RuledError::Unavailable { retry_after: Some(30) },
    ]
}
