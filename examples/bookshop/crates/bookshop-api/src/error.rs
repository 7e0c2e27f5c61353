//! The errors that the catalogue and order endpoints report to clients.

use bookshop_types::{BookId, Isbn};
use serde::{Deserialize, Serialize};
use uuid::Uuid;
use vantrel::ApiError;

/// Why a catalogue or order request failed.
///
/// Every variant is a JSON object tagged by `_tag`; the generated client turns
/// each one into an error class that apps can catch by tag.
#[derive(Clone, Debug, Serialize, Deserialize, ApiError)]
#[serde(tag = "_tag", rename_all_fields = "camelCase")]
pub enum ShopError {
    /// No resource of that kind has the given id.
    #[status(404)]
    NotFound { resource: String, id: Uuid },
    /// A request field failed validation.
    #[status(422)]
    InvalidInput { field: String, message: String },
    /// Another book already carries this ISBN.
    #[status(409)]
    DuplicateIsbn { isbn: Isbn, existing_id: BookId },
    /// An order asked for more copies than the shop holds.
    #[status(409)]
    OutOfStock {
        book_id: BookId,
        requested: u32,
        available: u32,
    },
}

impl ShopError {
    pub fn not_found(resource: &str, id: Uuid) -> Self {
        Self::NotFound {
            resource: resource.to_owned(),
            id,
        }
    }

    pub fn invalid(field: &str, message: impl Into<String>) -> Self {
        Self::InvalidInput {
            field: field.to_owned(),
            message: message.into(),
        }
    }
}
