//! Cover images: raw bytes in, raw bytes out.

use bookshop_types::BookId;
use bytes::Bytes;
use serde::{Deserialize, Serialize};
use vantrel::{api, api_router, ApiError, ApiRouter, Binary, NoContent, Path};

use crate::store::store;

/// The largest cover image the shop accepts.
const MAX_COVER_BYTES: u32 = 2 * 1024 * 1024;

/// Why a cover could not be stored or served.
#[derive(Clone, Debug, Serialize, Deserialize, ApiError)]
#[serde(tag = "_tag", rename_all_fields = "camelCase")]
pub enum CoverError {
    #[status(404)]
    BookNotFound { book_id: BookId },
    /// The book exists but nobody has uploaded a cover for it yet.
    #[status(404)]
    NoCover { book_id: BookId },
    #[status(413)]
    CoverTooLarge { max_bytes: u32, actual_bytes: u32 },
    /// Covers must be JPEG, PNG or WebP images.
    #[status(415)]
    UnsupportedImage,
}

/// Stores the request body as the book's cover, replacing any earlier one.
#[api(put, "/books/{id}/cover")]
pub async fn upload_cover(id: Path<BookId>, image: Binary<Bytes>) -> Result<NoContent, CoverError> {
    if !store().books.read().contains_key(&*id) {
        return Err(CoverError::BookNotFound { book_id: *id });
    }
    let actual_bytes = u32::try_from(image.len()).unwrap_or(u32::MAX);
    if actual_bytes > MAX_COVER_BYTES {
        return Err(CoverError::CoverTooLarge {
            max_bytes: MAX_COVER_BYTES,
            actual_bytes,
        });
    }
    if !is_supported_image(&image) {
        return Err(CoverError::UnsupportedImage);
    }
    store().covers.write().insert(*id, Bytes::clone(&image));
    Ok(NoContent)
}

/// The book's cover image, as uploaded.
#[api(get, "/books/{id}/cover")]
pub async fn download_cover(id: Path<BookId>) -> Result<Binary<Bytes>, CoverError> {
    if !store().books.read().contains_key(&*id) {
        return Err(CoverError::BookNotFound { book_id: *id });
    }
    let covers = store().covers.read();
    let cover = covers.get(&*id).ok_or(CoverError::NoCover { book_id: *id })?;
    Ok(Binary(cover.clone()))
}

/// Recognises JPEG, PNG and WebP images by their magic bytes.
fn is_supported_image(bytes: &[u8]) -> bool {
    matches!(
        bytes,
        [0xFF, 0xD8, 0xFF, ..]
            | [0x89, b'P', b'N', b'G', ..]
            | [b'R', b'I', b'F', b'F', _, _, _, _, b'W', b'E', b'B', b'P', ..]
    )
}

#[api_router]
pub fn router() -> ApiRouter {
    ApiRouter::new().endpoint(upload_cover).endpoint(download_cover)
}
