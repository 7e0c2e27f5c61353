//! The bookshop's HTTP API server.
//!
//! Handlers live next to their types in `catalog` and `orders`; the routers
//! below put them together: `/health` at the top, everything else under the
//! version prefix `/api/v1`.

mod catalog;
mod error;
mod health;
mod orders;
mod store;

use vantrel::{api_router, ApiRouter};

/// Every route the server answers.
#[api_router]
pub fn app() -> ApiRouter {
    ApiRouter::new()
        .endpoint(health::health)
        .nest("/api/v1", api_v1())
}

/// Version 1 of the public API.
#[api_router]
fn api_v1() -> ApiRouter {
    ApiRouter::new()
        .merge(catalog::router())
        .merge(orders::router())
}

#[tokio::main]
async fn main() {
    health::started_at();
    let addr = std::env::var("BOOKSHOP_ADDR").unwrap_or_else(|_| "127.0.0.1:3000".to_owned());
    let listener = tokio::net::TcpListener::bind(&addr).await.expect("bind");
    println!("bookshop listening on http://{addr}");
    axum::serve(listener, app().into_router())
        .await
        .expect("serve");
}
