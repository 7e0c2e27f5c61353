// Package assembly: the fixed file set of one generated TypeScript package,
// and writing it to disk. Writing is incremental (unchanged files keep their
// modification time, so watchers and the TypeScript server see no churn) and
// atomic per file (a temporary file beside the target is renamed over it, so
// an interrupted run never leaves a truncated generated file).
#include "engine/gen/package.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <iterator>
#include <map>
#include <set>
#include <system_error>

#include "base/read_file.h"
#include "engine/gen/schemas.h"

namespace vantrel::engine::gen {

namespace fs = std::filesystem;

void Lowering::emit(std::string path, const std::vector<Item>& items) { emit_text(std::move(path), kFileHeader, items); }

void Lowering::emit_continuation(std::string path, const std::vector<Item>& items) {
  emit_text(std::move(path), "", items);
}

void Lowering::emit_text(std::string path, std::string_view header, const std::vector<Item>& items) {
  Printer printer;
  printer.out = header;
  for (const auto& item : items) printer.item(item);
  auto marks = finish_marks(path, printer.out, printer.marks);
  package_.marks.insert(package_.marks.end(), std::make_move_iterator(marks.begin()),
                        std::make_move_iterator(marks.end()));
  package_.files.push_back(GeneratedFile{std::move(path), std::move(printer.out)});
}

namespace {

constexpr std::string_view kRuntime = "@vantrel/effect-runtime";
constexpr std::string_view kCompat = "@vantrel/effect-runtime/compat";

Item import(std::vector<std::string> names, std::string_view from, bool type_only = false) {
  return Item{Item::Import{std::move(names), std::string(from), type_only}};
}

std::vector<std::string> names_of(const NameSet& set) { return {set.begin(), set.end()}; }

/// How many types (in generation order) the head of schemas.ts lowers: a
/// type and an endpoint cost about the same to generate, so the head takes
/// half of all of them, and the tail and the other files share the rest.
size_t schemas_split(const model::Contract& contract) {
  return std::min(contract.types.size(), (contract.types.size() + contract.endpoints.size() + 1) / 2);
}

void emit_schemas_head(Lowering& lowering) {
  std::vector<Item> items;
  items.push_back(import({"Schema"}, kCompat));
  std::vector<const model::TypeDecl*> order = lowering.topo_sorted_types();
  order.resize(std::min(order.size(), schemas_split(lowering.contract())));
  for (const auto* decl : order) lowering.type_items(*decl, items);
  lowering.emit("schemas.ts", items);
}

void emit_schemas_tail(Lowering& lowering) {
  std::vector<const model::TypeDecl*> order = lowering.topo_sorted_types();
  // The head reports what ordering finds; the tail only needs the order.
  lowering.diagnostics().clear();
  std::vector<Item> items;
  size_t first = std::min(order.size(), schemas_split(lowering.contract()));
  for (size_t i = first; i < order.size(); ++i) lowering.type_items(*order[i], items);
  lowering.emit_continuation("schemas.ts", items);
}

void emit_errors(Lowering& lowering) {
  std::vector<Item> items;
  items.push_back(import({"ApiClientError"}, kRuntime, true));
  items.push_back(import({"decodeWithSchema"}, kRuntime));
  items.push_back(import({"Effect", "Schema"}, kCompat));
  NameSet referenced;
  for (const auto& error : lowering.contract().errors)
    for (const auto& variant : error.variants)
      for (const auto& field : variant.fields) collect_named(field.ty, referenced);
  if (!referenced.empty()) items.push_back(import(names_of(referenced), "./schemas"));
  for (const auto& error : lowering.contract().errors) lowering.error_items(error, items);
  lowering.emit("errors.ts", items);
}

void emit_client(Lowering& lowering) {
  const std::string& ts_package = lowering.contract().package.ts_package;
  std::vector<Item> items;
  items.push_back(import({"FetchClientConfig"}, kRuntime, true));
  items.push_back(import({"Context", "Layer"}, kCompat));
  items.push_back(Item::blank());
  Expr service = Expr::call_expr(Expr::call("Context.Service<ApiConfig, FetchClientConfig>", {}),
                                 exprs(Expr::str(ts_package + "/ApiConfig")));
  items.push_back(Item{Item::Class{"ApiConfig", "Configuration service consumed by every generated accessor.",
                                   std::nullopt, std::move(service)}});
  items.push_back(Item::blank());
  Expr body = Expr::call(
      "Layer.succeed", exprs(Expr::raw("ApiConfig"), Expr::member_call("ApiConfig", "of", exprs(Expr::raw("config")))));
  items.push_back(Item{Item::Function{"layer",
                                      {{"config", "FetchClientConfig"}},
                                      "Layer.Layer<ApiConfig>",
                                      "Provides the API configuration to generated accessors.",
                                      std::nullopt,
                                      std::move(body)}});
  lowering.emit("client.ts", items);
}

/// Endpoints grouped by module, modules in byte order, contract order within.
std::map<std::string, std::vector<const model::Endpoint*>> modules_of(const model::Contract& contract) {
  std::map<std::string, std::vector<const model::Endpoint*>> modules;
  for (const auto& endpoint : contract.endpoints) modules[endpoint.ts_module].push_back(&endpoint);
  return modules;
}

void emit_module(Lowering& lowering, const std::string& module, const std::vector<const model::Endpoint*>& endpoints) {
  EndpointImports imports;
  std::vector<Item> body;
  for (const auto* endpoint : endpoints) lowering.endpoint_items(*endpoint, imports, body);
  imports.runtime_types.insert("ApiClientError");
  NameSet errors;
  for (const auto* endpoint : endpoints) {
    for (const auto& ref : endpoint->errors) {
      errors.insert(ref.name);
      errors.insert("decode" + ref.name);
    }
  }

  std::vector<Item> items;
  items.push_back(import(names_of(imports.runtime_types), kRuntime, true));
  if (!imports.runtime_values.empty()) items.push_back(import(names_of(imports.runtime_values), kRuntime));
  if (!imports.compat.empty()) items.push_back(import(names_of(imports.compat), kCompat));
  items.push_back(import({"ApiConfig"}, "../client"));
  if (!imports.schemas.empty()) items.push_back(import(names_of(imports.schemas), "../schemas"));
  if (!errors.empty()) items.push_back(import(names_of(errors), "../errors"));
  for (auto& item : body) items.push_back(std::move(item));
  lowering.emit("endpoints/" + module + ".ts", items);
}

void emit_index(Lowering& lowering, const std::vector<std::string>& modules) {
  std::vector<Item> items;
  items.push_back(Item{Item::ExportAll{"./schemas"}});
  items.push_back(Item{Item::ExportAll{"./errors"}});
  items.push_back(Item{Item::ExportNamed{{"ApiConfig", "layer"}, "./client"}});
  for (const auto& module : modules) items.push_back(Item{Item::ExportNamespace{module, "./endpoints/" + module}});
  lowering.emit("index.ts", items);
}

/// "../" once per component of the package directory, so that paths in
/// tsconfig.json reach the workspace root from the package.
std::string up_to_root(const std::string& package_dir) {
  std::string up;
  for (const auto& part : fs::path(package_dir)) {
    const auto& text = part.native();
    if (text.empty() || text == ".") continue;
    up += "../";
  }
  return up;
}

}  // namespace

std::string package_json(const std::string& ts_package) {
  return "{\n  \"name\": \"" + ts_package +
         "\",\n  \"version\": \"0.0.0\",\n  \"private\": true,\n  \"type\": \"module\",\n  \"sideEffects\": false\n}\n";
}

std::string tsconfig_json(const std::string& ts_package, const GenOptions& options) {
  std::vector<std::pair<std::string, std::string>> mappings = {{ts_package, "./index.ts"},
                                                               {ts_package + "/*", "./*"}};
  std::vector<std::string> includes = {"\"./**/*.ts\""};
  if (options.package_dir) {
    std::string up = up_to_root(*options.package_dir);
    if (!options.app_src.empty()) {
      const std::string& first = options.app_src.front();
      std::string app = first.substr(0, first.find('/'));
      if (!app.empty() && app.find('*') == std::string::npos) {
        std::string nm = up + app + "/node_modules";
        mappings.emplace_back("@vantrel/effect-runtime", nm + "/@vantrel/effect-runtime/src/index.ts");
        mappings.emplace_back("@vantrel/effect-runtime/compat", nm + "/@vantrel/effect-runtime/src/compat.ts");
        mappings.emplace_back("effect", nm + "/effect/dist/index.d.ts");
      }
    }
    for (const auto& pattern : options.app_src) includes.push_back("\"" + up + pattern + "\"");
  }
  std::string lines;
  for (size_t i = 0; i < mappings.size(); ++i) {
    if (i > 0) lines += ",\n";
    lines += "      \"" + mappings[i].first + "\": [\"" + mappings[i].second + "\"]";
  }
  std::string include_list;
  for (size_t i = 0; i < includes.size(); ++i) {
    if (i > 0) include_list += ", ";
    include_list += includes[i];
  }
  return "{\n  \"compilerOptions\": {\n    \"strict\": true,\n    \"noEmit\": true,\n    \"target\": \"ES2022\",\n"
         "    \"module\": \"ESNext\",\n    \"moduleResolution\": \"bundler\",\n    \"skipLibCheck\": true,\n"
         "    \"plugins\": [{ \"name\": \"@vantrel/typescript-plugin\" }],\n    \"paths\": {\n" +
         lines + "\n    }\n  },\n  \"include\": [" + include_list + "]\n}\n";
}

GenResult generate_part(const model::Contract& contract, const GenOptions& options, GenPart part) {
  Lowering lowering(contract);
  if (part != GenPart::Rest) {
    if (part == GenPart::SchemasHead) {
      emit_schemas_head(lowering);
    } else {
      emit_schemas_tail(lowering);
    }
    return GenResult{std::move(lowering.package()), std::move(lowering.diagnostics())};
  }
  emit_errors(lowering);
  emit_client(lowering);
  auto modules = modules_of(contract);
  std::vector<std::string> module_names;
  for (const auto& [module, endpoints] : modules) {
    emit_module(lowering, module, endpoints);
    module_names.push_back(module);
  }
  emit_index(lowering, module_names);
  auto& package = lowering.package();
  package.files.push_back(GeneratedFile{"package.json", package_json(contract.package.ts_package)});
  package.files.push_back(GeneratedFile{"tsconfig.json", tsconfig_json(contract.package.ts_package, options)});
  return GenResult{std::move(package), std::move(lowering.diagnostics())};
}

GenResult merge_parts(GenResult head, GenResult tail, GenResult rest) {
  GenResult merged = std::move(head);
  // One allocation for all the marks: there is one per declared name.
  merged.package.marks.reserve(merged.package.marks.size() + tail.package.marks.size() + rest.package.marks.size());
  auto append = [](auto& to, auto& from) {
    to.insert(to.end(), std::make_move_iterator(from.begin()), std::make_move_iterator(from.end()));
  };
  // The tail's text continues the head's schemas.ts (its first and only
  // file), starting on a fresh line: its marks move down by the head's
  // lines and along by its bytes, and keep their columns.
  if (!merged.package.files.empty() && !tail.package.files.empty()) {
    std::string& text = merged.package.files.front().contents;
    auto bytes = static_cast<uint32_t>(text.size());
    auto lines = static_cast<uint32_t>(std::count(text.begin(), text.end(), '\n'));
    for (Mark& mark : tail.package.marks) {
      mark.start += bytes;
      mark.end += bytes;
      mark.line += lines;
    }
    text += tail.package.files.front().contents;
  }
  append(merged.package.marks, tail.package.marks);
  append(merged.diagnostics, tail.diagnostics);
  append(merged.package.files, rest.package.files);
  append(merged.package.marks, rest.package.marks);
  append(merged.diagnostics, rest.diagnostics);
  return merged;
}

GenResult lower(const model::Contract& contract, const GenOptions& options) {
  return merge_parts(generate_part(contract, options, GenPart::SchemasHead),
                     generate_part(contract, options, GenPart::SchemasTail),
                     generate_part(contract, options, GenPart::Rest));
}

GenResult generate(const model::Contract& contract, const GenOptions& options) { return lower(contract, options); }

// ---------------------------------------------------------------------------
// Writing

namespace {

std::string system_error_text(int error) { return std::system_category().message(error); }

/// Writes all of `contents` to `fd`; errno on failure, 0 on success.
int write_all(int fd, std::string_view contents) {
  while (!contents.empty()) {
    ssize_t n = ::write(fd, contents.data(), contents.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    contents.remove_prefix(static_cast<size_t>(n));
  }
  return 0;
}

/// Replaces `full` with `contents` through a temporary file in the same
/// directory; 0 on success, else the errno of the failing step. The
/// temporary is created with mode 0666 so the process umask applies as for
/// any newly created file, and it is removed on failure.
int replace_file_errno(const fs::path& full, std::string_view contents) {
  std::string base = "." + full.filename().string() + "." + std::to_string(::getpid()) + ".";
  for (int attempt = 0; attempt < 100; ++attempt) {
    fs::path temp = full.parent_path() / (base + std::to_string(attempt) + ".tmp");
    int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) {
      if (errno == EEXIST) continue;
      return errno;
    }
    int error = write_all(fd, contents);
    if (::close(fd) != 0 && error == 0) error = errno;
    if (error == 0 && ::rename(temp.c_str(), full.c_str()) != 0) error = errno;
    if (error != 0) ::unlink(temp.c_str());
    return error;
  }
  return EEXIST;
}

/// Deletes every ".ts" file below `dir` that is not in `written`; true when
/// any was found. Symbolic links to directories are not followed, so a link
/// inside the package can never lead to deleting files elsewhere.
bool remove_stale(const fs::path& dir, const std::set<fs::path>& written) {
  bool removed = false;
  std::error_code ec;
  fs::recursive_directory_iterator it(dir, fs::directory_options::skip_permission_denied, ec);
  std::vector<fs::path> stale;
  for (; !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
    std::error_code status_ec;
    auto status = it->symlink_status(status_ec);
    if (status_ec || fs::is_directory(status)) continue;
    const fs::path& path = it->path();
    if (path.extension() != ".ts") continue;
    if (!written.count(path.lexically_normal())) stale.push_back(path);
  }
  for (const auto& path : stale) {
    std::error_code remove_ec;
    fs::remove(path, remove_ec);  // a failed deletion is not an error; it still counts as a change
    removed = true;
  }
  return removed;
}

}  // namespace

base::Result<base::Unit, std::string> replace_file(const fs::path& path, std::string_view contents) {
  if (int error = replace_file_errno(path, contents); error != 0) return base::err(system_error_text(error));
  return base::Unit{};
}

base::Result<bool, std::string> write_package(const fs::path& dir, const GeneratedPackage& package) {
  bool changed = false;
  std::set<fs::path> written;
  for (const auto& file : package.files) {
    fs::path full = dir / file.path;
    written.insert(full.lexically_normal());
    auto existing = base::read_file(full);
    if (existing && *existing == file.contents) continue;
    fs::path parent = full.parent_path();
    std::error_code ec;
    if (!parent.empty()) fs::create_directories(parent, ec);
    if (ec) return base::err("failed to create " + parent.string() + ": " + ec.message());
    if (int error = replace_file_errno(full, file.contents); error != 0)
      return base::err("failed to write " + full.string() + ": " + system_error_text(error));
    changed = true;
  }
  if (remove_stale(dir, written)) changed = true;
  return changed;
}

}  // namespace vantrel::engine::gen
