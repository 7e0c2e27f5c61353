//! What an order looks like on the wire.

use bookshop_types::{BookId, Money};
use chrono::{DateTime, Utc};
use serde::{Deserialize, Serialize};
use uuid::Uuid;
use vantrel::Api;

/// An order as the customer submits it.
#[derive(Debug, Deserialize, Api)]
#[serde(rename_all = "camelCase")]
pub struct NewOrder {
    pub lines: Vec<OrderLine>,
    pub shipping: ShippingAddress,
    /// Printed on a card in the parcel.
    #[serde(default)]
    pub gift_note: Option<String>,
}

/// Some copies of one book.
#[derive(Clone, Debug, Serialize, Deserialize, Api)]
#[serde(rename_all = "camelCase")]
pub struct OrderLine {
    pub book_id: BookId,
    pub quantity: u32,
}

#[derive(Clone, Debug, Serialize, Deserialize, Api)]
#[serde(rename_all = "camelCase")]
pub struct ShippingAddress {
    pub recipient: String,
    pub street: String,
    pub city: String,
    pub postal_code: String,
    /// ISO 3166-1 alpha-2 country code, such as `"DE"`.
    pub country: String,
}

/// A placed order.
#[derive(Clone, Debug, Serialize, Api)]
#[serde(rename_all = "camelCase")]
pub struct Order {
    pub id: Uuid,
    pub status: OrderStatus,
    pub lines: Vec<OrderLine>,
    pub total: Money,
    pub shipping: ShippingAddress,
    pub placed_at: chrono::DateTime<chrono::Utc>,
    #[serde(skip_serializing_if = "Option::is_none")]
    pub gift_note: Option<String>,
}

/// Where an order is in its life.
#[derive(Clone, Debug, Serialize, Deserialize, Api)]
#[serde(tag = "_tag", rename_all = "snake_case", rename_all_fields = "camelCase")]
pub enum OrderStatus {
    /// Waiting for the payment provider.
    Pending,
    Paid {
        paid_at: DateTime<Utc>,
    },
    Shipped {
        carrier: String,
        tracking_number: String,
        shipped_at: DateTime<Utc>,
    },
    Cancelled {
        /// Given by the customer or the shop, if any.
        reason: Option<String>,
    },
}

/// What clients following an order receive: first the order as it is, then
/// every change of its status.
#[derive(Clone, Debug, Serialize, Api)]
#[serde(tag = "_tag", rename_all_fields = "camelCase")]
pub enum OrderEvent {
    Snapshot {
        order: Order,
    },
    StatusChanged {
        order_id: Uuid,
        status: OrderStatus,
        at: DateTime<Utc>,
    },
}

impl OrderEvent {
    pub fn order_id(&self) -> Uuid {
        match self {
            Self::Snapshot { order } => order.id,
            Self::StatusChanged { order_id, .. } => *order_id,
        }
    }
}
