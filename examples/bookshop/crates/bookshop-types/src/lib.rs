//! Value types that every bookshop service agrees on.
//!
//! They derive `Api` so that the HTTP API can use them in requests and
//! responses, and the generated TypeScript client gets the same shapes.

pub mod catalog;
pub mod money;

pub use catalog::{BookId, Genre, Isbn};
pub use money::{Currency, Money};
