//! No-op stand-ins for the derives and attributes of the `vantrel` crate.
//!
//! The wire-conformance crate only needs its API types to compile and
//! serialise with serde; what the real macros generate (routing glue) plays
//! no part in the JSON, so these expand to nothing or to the item unchanged.

use proc_macro::TokenStream;

/// Marks an API type; generates nothing.
#[proc_macro_derive(Api)]
pub fn derive_api(_item: TokenStream) -> TokenStream {
    TokenStream::new()
}

/// Marks an API error enum; accepts `#[status(...)]` on its variants.
#[proc_macro_derive(ApiError, attributes(status))]
pub fn derive_api_error(_item: TokenStream) -> TokenStream {
    TokenStream::new()
}

/// Marks a handler; the function is kept as written.
#[proc_macro_attribute]
pub fn api(_args: TokenStream, item: TokenStream) -> TokenStream {
    item
}

/// Marks a router function; the function is kept as written.
#[proc_macro_attribute]
pub fn api_router(_args: TokenStream, item: TokenStream) -> TokenStream {
    item
}
