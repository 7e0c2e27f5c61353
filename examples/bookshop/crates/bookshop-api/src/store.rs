//! In-memory storage behind the handlers.
//!
//! The demo server keeps everything in process memory; a real deployment
//! would put a database behind the same small interface.

use std::collections::HashMap;
use std::sync::{OnceLock, RwLock, RwLockReadGuard, RwLockWriteGuard};

use bookshop_types::BookId;
use bytes::Bytes;
use tokio::sync::broadcast;
use uuid::Uuid;

use crate::catalog::authors::Author;
use crate::catalog::books::Book;
use crate::orders::{Order, OrderEvent};

/// How many order events a slow subscriber may fall behind before it misses some.
const EVENT_BACKLOG: usize = 256;

pub struct Store {
    pub books: Table<BookId, Book>,
    pub authors: Table<Uuid, Author>,
    /// Cover images, as uploaded.
    pub covers: Table<BookId, Bytes>,
    pub orders: Table<Uuid, Order>,
    pub order_events: broadcast::Sender<OrderEvent>,
}

/// One map of records behind a lock.
pub struct Table<K, V>(RwLock<HashMap<K, V>>);

impl<K, V> Table<K, V> {
    pub fn read(&self) -> RwLockReadGuard<'_, HashMap<K, V>> {
        self.0.read().expect("store lock poisoned")
    }

    pub fn write(&self) -> RwLockWriteGuard<'_, HashMap<K, V>> {
        self.0.write().expect("store lock poisoned")
    }
}

impl<K, V> Default for Table<K, V> {
    fn default() -> Self {
        Self(RwLock::new(HashMap::new()))
    }
}

impl Store {
    fn new() -> Self {
        let (order_events, _) = broadcast::channel(EVENT_BACKLOG);
        Self {
            books: Table::default(),
            authors: Table::default(),
            covers: Table::default(),
            orders: Table::default(),
            order_events,
        }
    }
}

/// The process-wide store, created on first use.
pub fn store() -> &'static Store {
    static STORE: OnceLock<Store> = OnceLock::new();
    STORE.get_or_init(Store::new)
}
