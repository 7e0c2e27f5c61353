//! One echo endpoint per API type, so that every type is reachable from an
//! endpoint and lands in the generated client. The handlers never run.
#![allow(dead_code)]

use wire_macros::{api, api_router};

use crate::types::*;
use crate::web::{ApiRouter, Body, Json};

#[api(post, "/echo/primitives")]
pub async fn echo_primitives(body: Body<Primitives>) -> Result<Json<Primitives>, WireError> {
    Ok(Json(body.0))
}

#[api(post, "/echo/user-id")]
pub async fn echo_user_id(body: Body<UserId>) -> Result<Json<UserId>, WireError> {
    Ok(Json(body.0))
}

#[api(post, "/echo/email")]
pub async fn echo_email(body: Body<Email>) -> Result<Json<Email>, WireError> {
    Ok(Json(body.0))
}

#[api(post, "/echo/tags")]
pub async fn echo_tags(body: Body<Tags>) -> Result<Json<Tags>, WireError> {
    Ok(Json(body.0))
}

#[api(post, "/echo/externals")]
pub async fn echo_externals(body: Body<Externals>) -> Result<Json<Externals>, WireError> {
    Ok(Json(body.0))
}

#[api(post, "/echo/containers")]
pub async fn echo_containers(body: Body<Containers>) -> Result<Json<Containers>, WireError> {
    Ok(Json(body.0))
}

#[api(post, "/echo/optionals")]
pub async fn echo_optionals(body: Body<Optionals>) -> Result<Json<Optionals>, WireError> {
    Ok(Json(body.0))
}

#[api(post, "/echo/strict")]
pub async fn echo_strict(body: Body<Strict>) -> Result<Json<Strict>, WireError> {
    Ok(Json(body.0))
}

#[api(post, "/echo/renamed")]
pub async fn echo_renamed(body: Body<Renamed>) -> Result<Json<Renamed>, WireError> {
    Ok(Json(body.0))
}

#[api(post, "/echo/camel-fields")]
pub async fn echo_camel_fields(body: Body<CamelFields>) -> Result<Json<CamelFields>, WireError> {
    Ok(Json(body.0))
}

#[api(post, "/echo/pascal-fields")]
pub async fn echo_pascal_fields(body: Body<PascalFields>) -> Result<Json<PascalFields>, WireError> {
    Ok(Json(body.0))
}

#[api(post, "/echo/snake-fields")]
pub async fn echo_snake_fields(body: Body<SnakeFields>) -> Result<Json<SnakeFields>, WireError> {
    Ok(Json(body.0))
}

#[api(post, "/echo/kebab-fields")]
pub async fn echo_kebab_fields(body: Body<KebabFields>) -> Result<Json<KebabFields>, WireError> {
    Ok(Json(body.0))
}

#[api(post, "/echo/screaming-fields")]
pub async fn echo_screaming_fields(body: Body<ScreamingFields>) -> Result<Json<ScreamingFields>, WireError> {
    Ok(Json(body.0))
}

#[api(post, "/echo/odd-camel-fields")]
pub async fn echo_odd_camel_fields(body: Body<OddCamelFields>) -> Result<Json<OddCamelFields>, WireError> {
    Ok(Json(body.0))
}

#[api(post, "/echo/odd-pascal-fields")]
pub async fn echo_odd_pascal_fields(body: Body<OddPascalFields>) -> Result<Json<OddPascalFields>, WireError> {
    Ok(Json(body.0))
}

#[api(post, "/echo/odd-snake-capitals")]
pub async fn echo_odd_snake_capitals(body: Body<OddSnakeCapitals>) -> Result<Json<OddSnakeCapitals>, WireError> {
    Ok(Json(body.0))
}

#[api(post, "/echo/odd-snake-underscores")]
pub async fn echo_odd_snake_underscores(body: Body<OddSnakeUnderscores>) -> Result<Json<OddSnakeUnderscores>, WireError> {
    Ok(Json(body.0))
}

#[api(post, "/echo/odd-kebab-capitals")]
pub async fn echo_odd_kebab_capitals(body: Body<OddKebabCapitals>) -> Result<Json<OddKebabCapitals>, WireError> {
    Ok(Json(body.0))
}

#[api(post, "/echo/odd-kebab-underscores")]
pub async fn echo_odd_kebab_underscores(body: Body<OddKebabUnderscores>) -> Result<Json<OddKebabUnderscores>, WireError> {
    Ok(Json(body.0))
}

#[api(post, "/echo/odd-screaming-capitals")]
pub async fn echo_odd_screaming_capitals(body: Body<OddScreamingCapitals>) -> Result<Json<OddScreamingCapitals>, WireError> {
    Ok(Json(body.0))
}

#[api(post, "/echo/odd-screaming-underscores")]
pub async fn echo_odd_screaming_underscores(body: Body<OddScreamingUnderscores>) -> Result<Json<OddScreamingUnderscores>, WireError> {
    Ok(Json(body.0))
}

#[api(post, "/echo/escaped-tags")]
pub async fn echo_escaped_tags(body: Body<EscapedTags>) -> Result<Json<EscapedTags>, WireError> {
    Ok(Json(body.0))
}

#[api(post, "/echo/status")]
pub async fn echo_status(body: Body<Status>) -> Result<Json<Status>, WireError> {
    Ok(Json(body.0))
}

#[api(post, "/echo/shape")]
pub async fn echo_shape(body: Body<Shape>) -> Result<Json<Shape>, WireError> {
    Ok(Json(body.0))
}

#[api(post, "/echo/camel-variants")]
pub async fn echo_camel_variants(body: Body<CamelVariants>) -> Result<Json<CamelVariants>, WireError> {
    Ok(Json(body.0))
}

#[api(post, "/echo/pascal-variants")]
pub async fn echo_pascal_variants(body: Body<PascalVariants>) -> Result<Json<PascalVariants>, WireError> {
    Ok(Json(body.0))
}

#[api(post, "/echo/snake-variants")]
pub async fn echo_snake_variants(body: Body<SnakeVariants>) -> Result<Json<SnakeVariants>, WireError> {
    Ok(Json(body.0))
}

#[api(post, "/echo/kebab-variants")]
pub async fn echo_kebab_variants(body: Body<KebabVariants>) -> Result<Json<KebabVariants>, WireError> {
    Ok(Json(body.0))
}

#[api(post, "/echo/screaming-variants")]
pub async fn echo_screaming_variants(body: Body<ScreamingVariants>) -> Result<Json<ScreamingVariants>, WireError> {
    Ok(Json(body.0))
}

#[api(post, "/echo/odd-camel-variant")]
pub async fn echo_odd_camel_variant(body: Body<OddCamelVariant>) -> Result<Json<OddCamelVariant>, WireError> {
    Ok(Json(body.0))
}

#[api(post, "/echo/odd-pascal-variant")]
pub async fn echo_odd_pascal_variant(body: Body<OddPascalVariant>) -> Result<Json<OddPascalVariant>, WireError> {
    Ok(Json(body.0))
}

#[api(post, "/echo/odd-snake-variant")]
pub async fn echo_odd_snake_variant(body: Body<OddSnakeVariant>) -> Result<Json<OddSnakeVariant>, WireError> {
    Ok(Json(body.0))
}

#[api(post, "/echo/odd-kebab-variant")]
pub async fn echo_odd_kebab_variant(body: Body<OddKebabVariant>) -> Result<Json<OddKebabVariant>, WireError> {
    Ok(Json(body.0))
}

#[api(post, "/echo/odd-screaming-variant")]
pub async fn echo_odd_screaming_variant(body: Body<OddScreamingVariant>) -> Result<Json<OddScreamingVariant>, WireError> {
    Ok(Json(body.0))
}

#[api(post, "/echo/document")]
pub async fn echo_document(body: Body<Document>) -> Result<Json<Document>, RuledError> {
    Ok(Json(body.0))
}

#[api(post, "/echo/measure")]
pub async fn echo_measure(body: Body<Measure>) -> Result<Json<Measure>, WireError> {
    Ok(Json(body.0))
}

/// Every echo endpoint.
#[api_router]
pub fn app() -> ApiRouter {
    ApiRouter::new()
        .endpoint(echo_primitives)
        .endpoint(echo_user_id)
        .endpoint(echo_email)
        .endpoint(echo_tags)
        .endpoint(echo_externals)
        .endpoint(echo_containers)
        .endpoint(echo_optionals)
        .endpoint(echo_strict)
        .endpoint(echo_renamed)
        .endpoint(echo_camel_fields)
        .endpoint(echo_pascal_fields)
        .endpoint(echo_snake_fields)
        .endpoint(echo_kebab_fields)
        .endpoint(echo_screaming_fields)
        .endpoint(echo_odd_camel_fields)
        .endpoint(echo_odd_pascal_fields)
        .endpoint(echo_odd_snake_capitals)
        .endpoint(echo_odd_snake_underscores)
        .endpoint(echo_odd_kebab_capitals)
        .endpoint(echo_odd_kebab_underscores)
        .endpoint(echo_odd_screaming_capitals)
        .endpoint(echo_odd_screaming_underscores)
        .endpoint(echo_escaped_tags)
        .endpoint(echo_status)
        .endpoint(echo_shape)
        .endpoint(echo_camel_variants)
        .endpoint(echo_pascal_variants)
        .endpoint(echo_snake_variants)
        .endpoint(echo_kebab_variants)
        .endpoint(echo_screaming_variants)
        .endpoint(echo_odd_camel_variant)
        .endpoint(echo_odd_pascal_variant)
        .endpoint(echo_odd_snake_variant)
        .endpoint(echo_odd_kebab_variant)
        .endpoint(echo_odd_screaming_variant)
        .endpoint(echo_document)
        .endpoint(echo_measure)
}
