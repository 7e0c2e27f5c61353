//! Liveness endpoint for load balancers and the storefront's start-up check.

use std::sync::OnceLock;
use std::time::Instant;

use serde::Serialize;
use vantrel::{api, Api, Json};

/// The server's version and how long it has been running.
#[derive(Debug, Serialize, Api)]
#[serde(rename_all = "camelCase")]
pub struct Health {
    pub version: String,
    pub uptime_seconds: u32,
}

/// Reports that the server is up.
#[api(get, "/health")]
pub async fn health() -> Json<Health> {
    Json(Health {
        version: env!("CARGO_PKG_VERSION").to_owned(),
        uptime_seconds: started_at().elapsed().as_secs().try_into().unwrap_or(u32::MAX),
    })
}

/// The moment the server started; `main` touches it before serving.
pub fn started_at() -> Instant {
    static STARTED: OnceLock<Instant> = OnceLock::new();
    *STARTED.get_or_init(Instant::now)
}
