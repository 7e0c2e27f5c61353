// The scaffold's files are fixed texts; {NAME}, {API} (the generated
// client's npm name), {OUT} (its output directory) and {VERSION} (this
// tool's version) are filled in. The project is the reference for a minimal
// working setup, so the texts change only together with the tool.
#include "cli/scaffold.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ostream>

#include "cli/cli.h"

namespace vantrel::cli {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kCargoToml = R"([workspace]
members = ["server"]
resolver = "2"
)";

constexpr std::string_view kVantrelToml = R"([[package]]
cargo = "server"
ts = "{API}"

[app]
src = ["app/src/**/*.ts"]

[lint]
unused-endpoints = "warn"
)";

constexpr std::string_view kGitignore = R"(/target
node_modules/
)";

constexpr std::string_view kServerCargoToml = R"([package]
name = "server"
version = "0.1.0"
edition = "2021"

[dependencies]
axum = "0.8"
serde = { version = "1", features = ["derive"] }
tokio = { version = "1", features = ["macros", "net", "rt-multi-thread"] }
vantrel = "{VERSION}"
)";

constexpr std::string_view kServerMainRs = R"(use serde::{Deserialize, Serialize};
use vantrel::{api, api_router, Api, ApiError, ApiRouter, Body, Created, Json, Path};

/// A user of the system.
#[derive(Clone, Debug, Deserialize, Serialize, Api)]
#[serde(rename_all = "camelCase")]
pub struct User {
    pub id: i32,
    pub display_name: String,
}

#[derive(Clone, Debug, Deserialize, Serialize, Api)]
#[serde(rename_all = "camelCase")]
pub struct CreateUser {
    pub display_name: String,
}

#[derive(Clone, Debug, Deserialize, Serialize, ApiError)]
#[serde(tag = "_tag")]
pub enum UserError {
    #[status(404)]
    UserNotFound { id: i32 },
}

/// Fetch one user by id.
#[api(get, "/users/{id}")]
pub async fn get_user(id: Path<i32>) -> Result<Json<User>, UserError> {
    Ok(Json(User {
        id: *id,
        display_name: "Sample".to_owned(),
    }))
}

/// Create a user.
#[api(post, "/users")]
pub async fn create_user(body: Body<CreateUser>) -> Result<Created<User>, UserError> {
    Ok(Created(User {
        id: 1,
        display_name: body.display_name.clone(),
    }))
}

#[api_router]
pub fn routes() -> ApiRouter {
    ApiRouter::new().endpoint(get_user).endpoint(create_user)
}

#[tokio::main]
async fn main() {
    let listener = tokio::net::TcpListener::bind("127.0.0.1:3000")
        .await
        .expect("bind");
    println!("listening on http://127.0.0.1:3000");
    axum::serve(listener, routes().into_router())
        .await
        .expect("serve");
}
)";

constexpr std::string_view kPackageJson = R"({
  "name": "{NAME}",
  "private": true,
  "workspaces": ["app"],
  "scripts": {
    "server": "cargo run -p server",
    "app": "npm start --workspace {NAME}-app",
    "typecheck": "npm run typecheck --workspaces"
  }
}
)";

constexpr std::string_view kAppPackageJson = R"({
  "name": "{NAME}-app",
  "private": true,
  "type": "module",
  "scripts": {
    "start": "tsx src/main.ts",
    "typecheck": "tsc --noEmit"
  },
  "dependencies": {
    "@vantrel/effect-runtime": "^{VERSION}",
    "effect": "4.0.0-beta.78"
  },
  "devDependencies": {
    "@vantrel/typescript-plugin": "^{VERSION}",
    "tsx": "^4",
    "typescript": "^5.9"
  }
}
)";

constexpr std::string_view kAppTsconfig = R"({
  "compilerOptions": {
    "strict": true,
    "noEmit": true,
    "target": "ES2022",
    "module": "ESNext",
    "moduleResolution": "bundler",
    "skipLibCheck": true,
    "paths": {
      "{API}": ["../{OUT}/index.ts"],
      "{API}/*": ["../{OUT}/*"]
    }
  },
  "include": ["src", "../{OUT}"]
}
)";

constexpr std::string_view kAppMainTs = R"(import { Effect } from "effect"
import { getUser } from "{API}/endpoints/users"
import { layer } from "{API}"

const program = getUser({ id: 1 }).pipe(
  Effect.tap((user) => Effect.log(user.displayName)),
  Effect.provide(layer({ baseUrl: "http://127.0.0.1:3000" })),
)

Effect.runPromise(program).catch(console.error)
)";

struct Placeholder {
  std::string_view marker;
  std::string value;
};

/// `text` with every placeholder replaced, in one pass so that an inserted
/// value is never scanned again.
std::string fill(std::string_view text, const std::vector<Placeholder>& placeholders) {
  std::string result;
  size_t i = 0;
  while (i < text.size()) {
    bool replaced = false;
    for (const Placeholder& p : placeholders) {
      if (text.substr(i, p.marker.size()) == p.marker) {
        result += p.value;
        i += p.marker.size();
        replaced = true;
        break;
      }
    }
    if (!replaced) result += text[i++];
  }
  return result;
}

/// Anything at `path`, a dangling symbolic link included: writing through
/// one would fail with a less helpful message. An entry that cannot be
/// examined counts as absent, and the writes then report the real problem.
bool entry_exists(const fs::path& path) {
  std::error_code ec;
  fs::file_status status = fs::symlink_status(path, ec);
  return !ec && status.type() != fs::file_type::not_found && status.type() != fs::file_type::none;
}

}  // namespace

bool is_valid_project_name(std::string_view name) {
  if (name.empty()) return false;
  for (char c : name) {
    bool allowed = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '_';
    if (!allowed) return false;
  }
  return true;
}

std::vector<ScaffoldFile> scaffold_files(std::string_view name) {
  const std::string project(name);
  const std::string api = "@" + project + "/api";
  const std::vector<Placeholder> values = {
      {"{NAME}", project},
      {"{API}", api},
      {"{OUT}", "target/vantrel/packages/" + api},
      {"{VERSION}", kVersion},
  };
  const fs::path dir(project);
  return {
      {dir / "Cargo.toml", fill(kCargoToml, values)},
      {dir / "vantrel.toml", fill(kVantrelToml, values)},
      {dir / ".gitignore", fill(kGitignore, values)},
      {dir / "server" / "Cargo.toml", fill(kServerCargoToml, values)},
      {dir / "server" / "src" / "main.rs", fill(kServerMainRs, values)},
      {dir / "package.json", fill(kPackageJson, values)},
      {dir / "app" / "package.json", fill(kAppPackageJson, values)},
      {dir / "app" / "tsconfig.json", fill(kAppTsconfig, values)},
      {dir / "app" / "src" / "main.ts", fill(kAppMainTs, values)},
  };
}

base::Result<base::Unit, std::string> write(const fs::path& path, std::string_view text) {
  if (path.has_parent_path()) {
    std::error_code ec;
    fs::create_directories(path.parent_path(), ec);
    if (ec) return base::err(ec.message());
  }
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return base::err(std::string(std::strerror(errno)));
  bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
  int write_error = errno;
  if (std::fclose(file) != 0 && written) {
    written = false;
    write_error = errno;
  }
  if (!written) return base::err(std::string(std::strerror(write_error)));
  return base::Unit{};
}

base::Result<int, std::string> new_project(std::string_view name, std::ostream& out) {
  if (!is_valid_project_name(name)) return base::err(std::string("project names must be alphanumeric with - or _"));
  if (entry_exists(fs::path(name))) return base::err("directory `" + std::string(name) + "` already exists");
  for (const ScaffoldFile& file : scaffold_files(name)) {
    auto written = write(file.path, file.text);
    if (!written) return base::err(std::move(written).error());
  }
  out << "created " << name << "/\n"
      << "next steps:\n"
      << "  cd " << name << "\n"
      << "  vantrel generate        # extract + generate the Effect client\n"
      << "  npm install\n"
      << "  npm run server           # start the API server\n"
      << "  npm run app              # run the example client\n";
  return 0;
}

}  // namespace vantrel::cli
