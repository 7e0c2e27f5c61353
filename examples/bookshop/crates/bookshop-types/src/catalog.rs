//! Identifiers and classifications of catalogue entries.

use serde::{Deserialize, Serialize};
use uuid::Uuid;
use vantrel::Api;

/// The primary key of a book.
pub type BookId = Uuid;

/// An ISBN-13, digits only (`"9780441013593"`).
#[derive(Clone, Debug, PartialEq, Eq, Hash, Serialize, Deserialize, Api)]
pub struct Isbn(pub String);

impl Isbn {
    /// Accepts an ISBN-13 written with or without hyphens and checks its
    /// check digit.
    pub fn parse(text: &str) -> Option<Self> {
        let digits: Vec<u32> = text
            .chars()
            .filter(|c| *c != '-')
            .map(|c| c.to_digit(10))
            .collect::<Option<_>>()?;
        if digits.len() != 13 {
            return None;
        }
        let sum: u32 = digits
            .iter()
            .enumerate()
            .map(|(i, d)| if i % 2 == 0 { *d } else { d * 3 })
            .sum();
        if !sum.is_multiple_of(10) {
            return None;
        }
        Some(Self(digits.iter().map(|d| char::from_digit(*d, 10).unwrap()).collect()))
    }
}

/// Where a book is shelved.
#[derive(Clone, Copy, Debug, PartialEq, Eq, Hash, Serialize, Deserialize, Api)]
#[serde(tag = "_tag", rename_all = "kebab-case")]
pub enum Genre {
    Fiction,
    NonFiction,
    ScienceFiction,
    Poetry,
    Children,
}
