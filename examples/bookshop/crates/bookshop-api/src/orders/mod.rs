//! Placing orders and following them until they ship.

mod model;

pub use model::*;

use std::collections::HashMap;

use bookshop_types::Money;
use chrono::Utc;
use futures::stream::{BoxStream, StreamExt};
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

/// Streams the order's status changes as server-sent events until the client
/// disconnects.
#[api(sse, "/orders/{id}/events")]
pub async fn order_events(
    id: Path<Uuid>,
) -> Result<Sse<OrderEvent, BoxStream<'static, OrderEvent>>, ShopError> {
    let order_id = *id;
    if !store().orders.read().contains_key(&order_id) {
        return Err(ShopError::not_found("order", order_id));
    }
    // A subscriber that lags behind skips the events it missed; the client
    // can always fetch the order again for its current state.
    let events = BroadcastStream::new(store().order_events.subscribe())
        .filter_map(move |event| async move { event.ok().filter(|e| e.order_id() == order_id) })
        .boxed();
    Ok(Sse::new(events))
}

#[api_router]
pub fn router() -> ApiRouter {
    ApiRouter::new()
        .endpoint(place_order)
        .endpoint(get_order)
        .endpoint(order_events)
}
