//! Authors of the books in the catalogue.

use std::collections::HashMap;

use bookshop_types::BookId;
use serde::{Deserialize, Serialize};
use uuid::Uuid;
use vantrel::{api, api_router, Api, ApiRouter, Json, Path};

use crate::error::ShopError;
use crate::store::store;

/// Someone who wrote at least one book in the catalogue.
#[derive(Clone, Debug, Serialize, Deserialize, Api)]
#[serde(rename_all = "camelCase")]
pub struct Author {
    pub id: Uuid,
    pub name: String,
    /// A short biography in Markdown. Records imported before 2023 call it `bio`.
    #[serde(alias = "bio")]
    pub biography: Option<String>,
    /// Links to the author's pages, keyed by site (`"website"`, `"wikipedia"`).
    #[serde(default)]
    pub links: HashMap<String, String>,
    /// Extra data from the publisher's feed, passed through unchanged.
    pub publisher_data: serde_json::Value,
    /// The author's books in the catalogue, oldest first.
    pub book_ids: Vec<BookId>,
}

/// Fetches one author with the ids of their books.
#[api(get, "/authors/{id}")]
pub async fn get_author(id: Path<Uuid>) -> Result<Json<Author>, ShopError> {
    store()
        .authors
        .read()
        .get(&*id)
        .cloned()
        .map(Json)
        .ok_or_else(|| ShopError::not_found("author", *id))
}

#[api_router]
pub fn router() -> ApiRouter {
    ApiRouter::new().endpoint(get_author)
}
