//! Books: browsing, reading one, and the back-office operations on them.

use std::collections::BTreeMap;

use bookshop_types::{BookId, Genre, Isbn, Money};
use chrono::{DateTime, Utc};
use rust_decimal::Decimal;
use serde::{Deserialize, Serialize};
use uuid::Uuid;
use vantrel::{api, api_router, Api, ApiRouter, Body, Created, Json, NoContent, Path, Query};

use crate::error::ShopError;
use crate::store::store;

/// Page size when the query does not ask for one.
const DEFAULT_LIMIT: u32 = 20;
/// The largest page a client may ask for.
const MAX_LIMIT: u32 = 100;

/// A book in the catalogue.
#[derive(Clone, Debug, Serialize, Deserialize, Api)]
#[serde(rename_all = "camelCase")]
pub struct Book {
    pub id: BookId,
    pub isbn: Isbn,
    pub title: String,
    /// The subtitle, for editions that have one.
    pub subtitle: Option<String>,
    pub author_id: Uuid,
    pub genre: Genre,
    pub price: Money,
    pub page_count: u16,
    /// Copies on hand, keyed by warehouse code (`"ber-1"`, `"lon-2"`).
    pub stock: BTreeMap<String, u32>,
    #[serde(rename = "published")]
    pub published_at: DateTime<Utc>,
    /// Mean reader rating from 1 to 5; absent until someone has rated the book.
    #[serde(default, skip_serializing_if = "Option::is_none")]
    pub average_rating: Option<f32>,
}

impl Book {
    pub fn copies_in_stock(&self) -> u32 {
        self.stock.values().sum()
    }

    fn summary(&self) -> BookSummary {
        BookSummary {
            id: self.id,
            title: self.title.clone(),
            genre: self.genre,
            price: self.price,
            in_stock: self.copies_in_stock() > 0,
        }
    }
}

/// What a listing shows of a book.
#[derive(Clone, Debug, Serialize, Deserialize, Api)]
#[serde(rename_all = "camelCase")]
pub struct BookSummary {
    pub id: BookId,
    pub title: String,
    pub genre: Genre,
    pub price: Money,
    pub in_stock: bool,
}

/// One page of a book listing.
#[derive(Debug, Serialize, Api)]
#[serde(rename_all = "camelCase")]
pub struct BookPage {
    pub items: Vec<BookSummary>,
    /// How many books match the query across all pages.
    pub total: u32,
    /// Pass this as `cursor` to fetch the next page; absent on the last page.
    #[serde(skip_serializing_if = "Option::is_none")]
    pub next_cursor: Option<String>,
}

/// Filters for [`list_books`], read from the query string.
#[derive(Debug, Default, Deserialize, Api)]
#[serde(rename_all = "camelCase")]
pub struct BookQuery {
    /// Case-insensitive words to find in the title.
    #[serde(rename = "q")]
    pub search: Option<String>,
    pub author_id: Option<Uuid>,
    /// Only books at or below this price, in the book's own currency.
    pub max_price: Option<Decimal>,
    pub published_after: Option<DateTime<Utc>>,
    /// Leave out books with no copy on hand.
    #[serde(default)]
    pub in_stock_only: bool,
    #[serde(default)]
    pub limit: Option<u32>,
    /// The `nextCursor` of the previous page.
    #[serde(default)]
    pub cursor: Option<String>,
}

/// A book to add to the catalogue.
#[derive(Debug, Deserialize, Api)]
#[serde(rename_all = "camelCase", deny_unknown_fields)]
pub struct NewBook {
    pub isbn: Isbn,
    pub title: String,
    #[serde(default)]
    pub subtitle: Option<String>,
    pub author_id: Uuid,
    pub genre: Genre,
    pub price: Money,
    pub page_count: u16,
    pub published_at: DateTime<Utc>,
    /// Initial copies per warehouse; none when left out.
    #[serde(default)]
    pub stock: BTreeMap<String, u32>,
}

/// Changes to a book; fields left out stay as they are.
#[derive(Debug, Default, Serialize, Deserialize, Api)]
#[serde(rename_all = "camelCase", deny_unknown_fields)]
pub struct BookPatch {
    #[serde(default, skip_serializing_if = "Option::is_none")]
    pub title: Option<String>,
    #[serde(default, skip_serializing_if = "Option::is_none")]
    pub price: Option<Money>,
    /// Replaces the whole stock map.
    #[serde(default, skip_serializing_if = "Option::is_none")]
    pub stock: Option<BTreeMap<String, u32>>,
}

/// Lists books, newest first, matching the filters of the query string.
#[api(get, "/books")]
pub async fn list_books(query: Query<BookQuery>) -> Result<Json<BookPage>, ShopError> {
    let limit = query.limit.unwrap_or(DEFAULT_LIMIT);
    if limit == 0 || limit > MAX_LIMIT {
        return Err(ShopError::invalid("limit", format!("must be between 1 and {MAX_LIMIT}")));
    }
    let offset: usize = match &query.cursor {
        Some(cursor) => cursor
            .parse()
            .map_err(|_| ShopError::invalid("cursor", "not a cursor from a previous page"))?,
        None => 0,
    };
    let search = query.search.as_deref().map(str::to_lowercase);

    let books = store().books.read();
    let mut matching: Vec<&Book> = books
        .values()
        .filter(|book| {
            search.as_deref().is_none_or(|s| book.title.to_lowercase().contains(s))
                && query.author_id.is_none_or(|id| book.author_id == id)
                && query.max_price.is_none_or(|max| book.price.amount <= max)
                && query.published_after.is_none_or(|after| book.published_at > after)
                && (!query.in_stock_only || book.copies_in_stock() > 0)
        })
        .collect();
    matching.sort_by(|a, b| b.published_at.cmp(&a.published_at).then(a.id.cmp(&b.id)));

    let end = (offset + limit as usize).min(matching.len());
    Ok(Json(BookPage {
        items: matching.get(offset..end).unwrap_or_default().iter().map(|b| b.summary()).collect(),
        total: matching.len() as u32,
        next_cursor: (end < matching.len()).then(|| end.to_string()),
    }))
}

/// Fetches one book.
#[api(get, "/books/{id}")]
pub async fn get_book(id: Path<BookId>) -> Result<Json<Book>, ShopError> {
    store()
        .books
        .read()
        .get(&*id)
        .cloned()
        .map(Json)
        .ok_or_else(|| ShopError::not_found("book", *id))
}

/// Adds a book to the catalogue.
#[api(post, "/books")]
pub async fn create_book(body: Body<NewBook>) -> Result<Created<Book>, ShopError> {
    if body.title.trim().is_empty() {
        return Err(ShopError::invalid("title", "must not be empty"));
    }
    if !store().authors.read().contains_key(&body.author_id) {
        return Err(ShopError::not_found("author", body.author_id));
    }
    let mut books = store().books.write();
    if let Some(existing) = books.values().find(|b| b.isbn == body.isbn) {
        return Err(ShopError::DuplicateIsbn {
            isbn: body.isbn.clone(),
            existing_id: existing.id,
        });
    }
    let book = Book {
        id: Uuid::new_v4(),
        isbn: body.isbn.clone(),
        title: body.title.trim().to_owned(),
        subtitle: body.subtitle.clone(),
        author_id: body.author_id,
        genre: body.genre,
        price: body.price,
        page_count: body.page_count,
        stock: body.stock.clone(),
        published_at: body.published_at,
        average_rating: None,
    };
    books.insert(book.id, book.clone());
    Ok(Created(book))
}

/// Changes a book's title, price or stock.
#[api(patch, "/books/{id}")]
pub async fn update_book(id: Path<BookId>, patch: Body<BookPatch>) -> Result<Json<Book>, ShopError> {
    let mut books = store().books.write();
    let book = books.get_mut(&*id).ok_or_else(|| ShopError::not_found("book", *id))?;
    if let Some(title) = &patch.title {
        book.title = title.trim().to_owned();
    }
    if let Some(price) = patch.price {
        book.price = price;
    }
    if let Some(stock) = &patch.stock {
        book.stock = stock.clone();
    }
    Ok(Json(book.clone()))
}

/// Removes a book and its cover from the catalogue.
#[api(delete, "/books/{id}")]
pub async fn delete_book(id: Path<BookId>) -> Result<NoContent, ShopError> {
    store()
        .books
        .write()
        .remove(&*id)
        .ok_or_else(|| ShopError::not_found("book", *id))?;
    store().covers.write().remove(&*id);
    Ok(NoContent)
}

#[api_router]
pub fn router() -> ApiRouter {
    ApiRouter::new()
        .endpoint(list_books)
        .endpoint(get_book)
        .endpoint(create_book)
        .endpoint(update_book)
        .endpoint(delete_book)
}

#[cfg(test)]
mod tests {
    use super::*;

    #[test]
    fn stock_is_summed_over_warehouses() {
        let book = Book {
            id: Uuid::nil(),
            isbn: Isbn::parse("978-0-441-01359-3").unwrap(),
            title: "Dune".to_owned(),
            subtitle: None,
            author_id: Uuid::nil(),
            genre: Genre::ScienceFiction,
            price: Money::new(Decimal::new(1299, 2), bookshop_types::Currency::Eur),
            page_count: 896,
            stock: BTreeMap::from([("ber-1".to_owned(), 2), ("lon-2".to_owned(), 3)]),
            published_at: Utc::now(),
            average_rating: None,
        };
        assert_eq!(book.copies_in_stock(), 5);
        assert!(book.summary().in_stock);
    }
}
