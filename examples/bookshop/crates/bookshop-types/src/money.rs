//! Prices and totals.

use std::fmt;

use rust_decimal::Decimal;
use serde::{Deserialize, Serialize};
use vantrel::Api;

/// An amount of money in one currency.
///
/// The amount travels as a decimal string (`"12.50"`), never as a float, so
/// that no client rounds a price.
#[derive(Clone, Copy, Debug, PartialEq, Eq, Serialize, Deserialize, Api)]
#[serde(rename_all = "camelCase")]
pub struct Money {
    pub amount: Decimal,
    pub currency: Currency,
}

impl Money {
    pub fn new(amount: Decimal, currency: Currency) -> Self {
        Self { amount, currency }
    }

    /// The price of `quantity` items at this unit price.
    pub fn times(self, quantity: u32) -> Self {
        Self::new(self.amount * Decimal::from(quantity), self.currency)
    }
}

impl fmt::Display for Money {
    fn fmt(&self, f: &mut fmt::Formatter<'_>) -> fmt::Result {
        write!(f, "{} {:?}", self.amount.round_dp(2), self.currency)
    }
}

/// The currencies the shop sells in, as ISO 4217 codes.
#[derive(Clone, Copy, Debug, PartialEq, Eq, Hash, Serialize, Deserialize, Api)]
#[serde(tag = "_tag", rename_all = "SCREAMING_SNAKE_CASE")]
pub enum Currency {
    Eur,
    Gbp,
    Usd,
}
