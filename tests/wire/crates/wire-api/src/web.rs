//! Stand-ins for the extractor and router types of the `vantrel` crate.
//!
//! vantrel recognises handlers and routers by the names of these types, so
//! the wire crate declares them itself instead of depending on a web stack.

/// A JSON request body.
pub struct Body<T>(pub T);

/// A JSON response body.
pub struct Json<T>(pub T);

/// A router; `endpoint` only has to type-check.
pub struct ApiRouter;

impl ApiRouter {
    pub fn new() -> Self {
        ApiRouter
    }

    pub fn endpoint<F>(self, _handler: F) -> Self {
        self
    }
}
