//! Placing orders and following them until they ship.

mod model;

pub use model::*;

use std::collections::HashMap;
use std::time::Duration;

use bookshop_types::Money;
use chrono::Utc;
use futures::stream::{self, BoxStream, StreamExt};
use rust_decimal::Decimal;
use tokio_stream::wrappers::BroadcastStream;
use uuid::Uuid;
use vantrel::{api, api_router, ApiRouter, Body, Created, Json, Path, Sse};

use crate::error::ShopError;
use crate::store::store;

/// Checks stock, reserves the copies and places the order.
///
/// Either every line is reserved or none is.
#[api(post, "/orders")]
pub async fn place_order(order: Body<NewOrder>) -> Result<Created<Order>, ShopError> {
    if order.lines.is_empty() {
        return Err(ShopError::invalid("lines", "an order needs at least one line"));
    }
    let mut books = store().books.write();

    // Check everything before taking anything, so a failed order changes nothing.
    let mut wanted: HashMap<Uuid, u32> = HashMap::new();
    for line in &order.lines {
        *wanted.entry(line.book_id).or_default() += line.quantity;
    }
    let mut total: Option<Money> = None;
    for (book_id, requested) in &wanted {
        let book = books.get(book_id).ok_or_else(|| ShopError::not_found("book", *book_id))?;
        let available = book.copies_in_stock();
        if available < *requested {
            return Err(ShopError::OutOfStock {
                book_id: *book_id,
                requested: *requested,
                available,
            });
        }
        let cost = book.price.times(*requested);
        total = Some(match total {
            None => cost,
            Some(sum) if sum.currency == cost.currency => Money::new(sum.amount + cost.amount, sum.currency),
            Some(_) => return Err(ShopError::invalid("lines", "all books of an order must share a currency")),
        });
    }
    for (book_id, requested) in wanted {
        let book = books.get_mut(&book_id).expect("checked above");
        let mut remaining = requested;
        for copies in book.stock.values_mut() {
            let taken = remaining.min(*copies);
            *copies -= taken;
            remaining -= taken;
        }
    }

    let placed = Order {
        id: Uuid::new_v4(),
        status: OrderStatus::Pending,
        lines: order.lines.clone(),
        total: total.unwrap_or(Money::new(Decimal::ZERO, bookshop_types::Currency::Eur)),
        shipping: order.shipping.clone(),
        placed_at: Utc::now(),
        gift_note: order.gift_note.clone(),
    };
    store().orders.write().insert(placed.id, placed.clone());
    tokio::spawn(fulfil(placed.id));
    Ok(Created(placed))
}

/// Fetches one order with its current status.
#[api(get, "/orders/{id}")]
pub async fn get_order(id: Path<Uuid>) -> Result<Json<Order>, ShopError> {
    store()
        .orders
        .read()
        .get(&*id)
        .cloned()
        .map(Json)
        .ok_or_else(|| ShopError::not_found("order", *id))
}

/// Streams the order as server-sent events: first as it is now, then each
/// change of its status, until the client disconnects.
#[api(sse, "/orders/{id}/events")]
pub async fn order_events(
    id: Path<Uuid>,
) -> Result<Sse<OrderEvent, BoxStream<'static, OrderEvent>>, ShopError> {
    let order_id = *id;
    // Subscribe before taking the snapshot so that no change falls between them.
    let changes = BroadcastStream::new(store().order_events.subscribe());
    let order = store()
        .orders
        .read()
        .get(&order_id)
        .cloned()
        .ok_or_else(|| ShopError::not_found("order", order_id))?;
    // A subscriber that lags behind skips the events it missed; the client
    // can always fetch the order again for its current state.
    let changes = changes.filter_map(move |event| async move {
        event.ok().filter(|e| e.order_id() == order_id)
    });
    let events = stream::once(async move { OrderEvent::Snapshot { order } })
        .chain(changes)
        .boxed();
    Ok(Sse::new(events))
}

/// The demo's stand-in for the payment provider and the warehouse: marks a
/// new order paid, then shipped, a few seconds apart.
async fn fulfil(order_id: Uuid) {
    tokio::time::sleep(Duration::from_secs(2)).await;
    set_status(order_id, OrderStatus::Paid { paid_at: Utc::now() });
    tokio::time::sleep(Duration::from_secs(3)).await;
    let tracking_number = order_id.simple().to_string()[..12].to_uppercase();
    set_status(
        order_id,
        OrderStatus::Shipped {
            carrier: "DHL".to_owned(),
            tracking_number,
            shipped_at: Utc::now(),
        },
    );
}

fn set_status(order_id: Uuid, status: OrderStatus) {
    match store().orders.write().get_mut(&order_id) {
        Some(order) => order.status = status.clone(),
        None => return,
    }
    // Nobody may be following the order; then the event is simply dropped.
    let _ = store().order_events.send(OrderEvent::StatusChanged {
        order_id,
        status,
        at: Utc::now(),
    });
}

#[api_router]
pub fn router() -> ApiRouter {
    ApiRouter::new()
        .endpoint(place_order)
        .endpoint(get_order)
        .endpoint(order_events)
}
