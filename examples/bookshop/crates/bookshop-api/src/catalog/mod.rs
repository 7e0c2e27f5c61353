//! The catalogue: books, their covers and their authors.

pub mod authors;
pub mod books;
pub mod covers;

use vantrel::{api_router, ApiRouter};

/// Every catalogue route; mounted under the API version prefix by `crate::api_v1`.
#[api_router]
pub fn router() -> ApiRouter {
    ApiRouter::new()
        .merge(books::router())
        .merge(covers::router())
        .merge(authors::router())
}
