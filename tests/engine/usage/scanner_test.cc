// What the scanner records for small app sources: which generated names are
// mentioned where, and which mentions count as uses.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/usage/scanner.h"
#include "usage_fixture.h"

namespace vantrel::engine::usage {

void PrintTo(const UsageRef& ref, std::ostream* os) {
  *os << "{" << ref.file << " " << ref.start << ".." << ref.end << (ref.weak ? " weak " : " strong ")
      << static_cast<int>(ref.kind) << " " << ref.symbol << "}";
}

namespace {

using testing::acme_contract;
using testing::acme_id;

/// An expected mention: the item's name, the kind of name, whether it is
/// weak, and where: the `occurrence`-th (0-based) appearance of `at` in the
/// source.
struct Want {
  std::string item;
  UsageKind kind;
  bool weak;
  std::string at;
  int occurrence = 0;
};

struct Case;
void PrintTo(const Case& c, std::ostream* os);

struct Case {
  std::string name;
  std::string path;
  std::string source;
  std::vector<Want> refs;
  std::vector<std::string> used;  ///< strongly used endpoints, by function name
};

void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }

constexpr auto EF = UsageKind::EndpointFunction;
constexpr auto RC = UsageKind::RouteConstant;
constexpr auto TN = UsageKind::TypeName;
constexpr auto EN = UsageKind::ErrorName;
constexpr auto EC = UsageKind::ErrorClass;
constexpr auto ET = UsageKind::ErrorTag;
constexpr bool kWeak = true;
constexpr bool kStrong = false;

uint32_t nth(const std::string& text, const std::string& needle, int occurrence) {
  size_t at = text.find(needle);
  for (int i = 0; i < occurrence && at != std::string::npos; ++i) at = text.find(needle, at + 1);
  EXPECT_NE(at, std::string::npos) << "`" << needle << "` #" << occurrence << " not in the source";
  return static_cast<uint32_t>(at);
}

std::vector<UsageRef> expected_refs(const Case& c) {
  std::vector<UsageRef> out;
  for (const Want& w : c.refs) {
    const uint32_t start = nth(c.source, w.at, w.occurrence);
    out.push_back(UsageRef{acme_id(w.item), c.path, start, start + static_cast<uint32_t>(w.at.size()), w.weak,
                           w.kind});
  }
  return out;
}

const std::string kUsers = "import { getUser } from \"@acme/api/endpoints/users\";\n";

std::vector<Case> scanner_cases() {
  return {
      {"ImportAloneIsWeak", "a.ts", kUsers, {{"getUser", EF, kWeak, "getUser"}}, {}},
      {"CallMakesItUsed",
       "a.ts",
       kUsers + "getUser({ id: 1 });\n",
       {{"getUser", EF, kWeak, "getUser"}, {"getUser", EF, kStrong, "getUser", 1}},
       {"getUser"}},
      {"AliasedImportIsUsedUnderItsLocalName",
       "a.ts",
       "import { getUser as fetchUser } from \"@acme/api/endpoints/users\";\nfetchUser(args);\ngetUser(1);\n",
       {{"getUser", EF, kWeak, "getUser"}, {"getUser", EF, kStrong, "fetchUser", 1}},
       {"getUser"}},
      {"ModuleNamespaceMember",
       "a.ts",
       "import * as users from \"@acme/api/endpoints/users\";\nusers.getUser(x);\nusers.createOrder(x);\n",
       {{"getUser", EF, kStrong, "getUser"}},
       {"getUser"}},
      {"RouteConstantCountsAnywhere",
       "a.ts",
       "import { getUserRoute } from \"@acme/api/endpoints/users\";\ngetUserRoute.path;\n",
       {{"getUser", RC, kWeak, "getUserRoute"}, {"getUser", RC, kStrong, "getUserRoute", 1}},
       {"getUser"}},
      {"CatchTagNeedsNoImport",
       "a.ts",
       "const p = eff.pipe(Effect.catchTag(\"NotFound\", h), catchTag(\"Gone\", h));\n",
       {{"NotFound", ET, kStrong, "\"NotFound\""}},
       {}},
      {"CatchTagsKeys",
       "a.ts",
       "Effect.catchTags({ NotFound: h, \"Conflict\": g, ...rest, [k]: f, 7: z });\n"
       "Stream.catchTags({ Conflict() {} });\nmyCatchTags({ NotFound: h });\n",
       {{"NotFound", ET, kStrong, "NotFound"},
        {"Conflict", ET, kStrong, "\"Conflict\""},
        {"Conflict", ET, kStrong, "Conflict", 1}},
       {}},
      {"CatchTagStringIsUnescaped",
       "a.ts",
       "Effect.catchTag('Not\\u0046ound', h);\nEffect.catchTag(`NotFound`, h);\n",
       {{"NotFound", ET, kStrong, "'Not\\u0046ound'"}},
       {}},
      {"OtherSpecifiersAreIgnored",
       "a.ts",
       "import { getUser } from \"@acme/api/client\";\n"
       "import { getUser as g2 } from \"@acme/api/endpoints/unknown\";\n"
       "import { getUser as g3 } from \"@acme/API/endpoints/users\";\n"
       "import { getUser as g4 } from \"./endpoints/users\";\n"
       "export * from \"@acme/api\";\n"
       "export * as all from \"@acme/api/endpoints/users\";\n"
       "getUser(1); g2(2); g3(3); g4(4);\n",
       {},
       {}},
      {"TypeOnlyImportIsAnImport",
       "a.ts",
       "import type { User } from \"@acme/api/schemas\";\nconst u: User = load();\n",
       {{"User", TN, kWeak, "User"}, {"User", TN, kWeak, "User", 1}},
       {}},
      {"ScopesOfTheSubpaths",
       "a.ts",
       "import { User as U1, UserError as E1, getUser as G1 } from \"@acme/api/schemas\";\n"
       "import { UserError, NotFound, User as U2 } from \"@acme/api/errors\";\n"
       "import { Order, Conflict, createOrder } from \"@acme/api\";\n",
       {{"User", TN, kWeak, "User"},
        {"UserError", EN, kWeak, "UserError", 1},
        {"NotFound", EC, kWeak, "NotFound"},
        {"Order", TN, kWeak, "Order"},
        {"Conflict", EC, kWeak, "Conflict"},
        {"createOrder", EF, kWeak, "createOrder"}},
       {}},
      {"RootReexportsModules",
       "a.ts",
       "import { users } from \"@acme/api\";\nusers.getUser(1);\n",
       {{"getUser", EF, kStrong, "getUser"}},
       {"getUser"}},
      {"RootNamespace",
       "a.ts",
       "import * as api from \"@acme/api\";\napi.users.listUsers({});\nawait api.createOrder(o);\napi.orders.getUser(1);\n",
       {{"listUsers", EF, kStrong, "listUsers"}, {"createOrder", EF, kStrong, "createOrder"}},
       {"createOrder", "listUsers"}},
      {"WeakAndStrongPositions",
       "a.ts",
       "import { getUser } from \"@acme/api\";\n"
       "getUser;\n"                               // 1 weak: bare statement
       "x = getUser;\n"                           // 2 weak: assignment at statement level
       "const f = getUser;\n"                     // 3 strong: declarator
       "pipe(x, getUser);\n"                      // 4 strong: call argument
       "new Foo(getUser);\n"                      // 5 strong: new
       "function g() { return getUser; }\n"       // 6 strong: return
       "function* h() { yield getUser; }\n"       // 7 strong: yield
       "let t: typeof getUser;\n"                 // 8 weak: inside a type
       "call<typeof getUser>();\n"                // 9 weak: type argument of a call
       "for (let i = getUser; ;) {}\n"            // 10 strong: for initializer
       "export default getUser;\n"                // 11 weak
       "const o = { getUser };\n",                // 12 strong: shorthand in a declarator
       {{"getUser", EF, kWeak, "getUser"},
        {"getUser", EF, kWeak, "getUser", 1},
        {"getUser", EF, kWeak, "getUser", 2},
        {"getUser", EF, kStrong, "getUser", 3},
        {"getUser", EF, kStrong, "getUser", 4},
        {"getUser", EF, kStrong, "getUser", 5},
        {"getUser", EF, kStrong, "getUser", 6},
        {"getUser", EF, kStrong, "getUser", 7},
        {"getUser", EF, kWeak, "getUser", 8},
        {"getUser", EF, kWeak, "getUser", 9},
        {"getUser", EF, kStrong, "getUser", 10},
        {"getUser", EF, kWeak, "getUser", 11},
        {"getUser", EF, kStrong, "getUser", 12}},
       {"getUser"}},
      {"DeclaredNamesAreNotMentions",
       "a.ts",
       "import { getUser, User } from \"@acme/api\";\n"
       "function f(getUser: User, { getUser: [getUser] } = {}) { getUser(1); }\n"
       "const { getUser: x = getUser } = o;\n"
       "class User {}\ninterface User {}\ntype T<User> = 1;\n"
       "try {} catch (getUser) {}\nfor (const getUser of xs) {}\nconst k = (getUser) => 1;\n",
       {{"getUser", EF, kWeak, "getUser"},
        {"User", TN, kWeak, "User", 1},
        {"User", TN, kWeak, "User", 3},
        {"getUser", EF, kStrong, "getUser", 4},
        {"getUser", EF, kStrong, "getUser", 6}},
       {"getUser"}},
      {"ShadowingLocalIsStillTheImport",
       "a.ts",
       kUsers + "function f() { const getUser = () => 1; return getUser(); }\n",
       {{"getUser", EF, kWeak, "getUser"}, {"getUser", EF, kStrong, "getUser", 2}},
       {"getUser"}},
      {"ReexportIsWeakAndBindsNothing",
       "a.ts",
       "export { getUser as fetchIt, \"listUsers\" as l, nope } from \"@acme/api/endpoints/users\";\nfetchIt(1);\n",
       {{"getUser", EF, kWeak, "getUser"}, {"listUsers", EF, kWeak, "\"listUsers\""}},
       {}},
      {"LocalExportIsWeak",
       "a.ts",
       kUsers + "export { getUser as g };\n",
       {{"getUser", EF, kWeak, "getUser"}, {"getUser", EF, kWeak, "getUser", 1}},
       {}},
      {"ErrorClassConstructedAndTested",
       "a.ts",
       "import { NotFound } from \"@acme/api/errors\";\nconst e = new NotFound({});\nif (e instanceof NotFound) {}\n",
       {{"NotFound", EC, kWeak, "NotFound"},
        {"NotFound", EC, kStrong, "NotFound", 1},
        {"NotFound", EC, kWeak, "NotFound", 2}},
       {}},
      {"QualifiedTypeNames",
       "a.ts",
       "import * as api from \"@acme/api\";\nimport * as errs from \"@acme/api/errors\";\n"
       "let u: api.User; let e: errs.UserError; let z: api.users.getUserRoute;\n",
       {{"User", TN, kWeak, "User"}, {"UserError", EN, kWeak, "UserError"}, {"getUser", RC, kStrong, "getUserRoute"}},
       {"getUser"}},
      {"TsxCallInJsx",
       "App.tsx",
       kUsers + "export const App = () => <Button onClick={() => getUser({ id: 1 })}>{x as number}</Button>;\n",
       {{"getUser", EF, kWeak, "getUser"}, {"getUser", EF, kStrong, "getUser", 1}},
       {"getUser"}},
      {"JavaScriptWithJsxAndComparisons",
       "app.js",
       kUsers + "if (a < b && c > d) { getUser(1); }\nconst el = <div>{getUser}</div>;\n",
       {{"getUser", EF, kWeak, "getUser"},
        {"getUser", EF, kStrong, "getUser", 1},
        {"getUser", EF, kStrong, "getUser", 2}},
       {"getUser"}},
      {"SyntaxErrorKeepsWhatParses",
       "a.ts",
       kUsers + "getUser({ id: 1 });\nconst = ;\nlistUsers(\n",
       {{"getUser", EF, kWeak, "getUser"}, {"getUser", EF, kStrong, "getUser", 1}},
       {"getUser"}},
  };
}

class ScannerCases : public ::testing::TestWithParam<Case> {};

TEST_P(ScannerCases, RecordsTheExpectedMentions) {
  const Case& c = GetParam();
  const UsageIndex index = scan_files(acme_contract(), {{c.path, c.source}});
  EXPECT_EQ(index.refs(), expected_refs(c));
  std::set<std::string> used;
  for (const std::string& name : c.used) used.insert(acme_id(name));
  EXPECT_EQ(index.strongly_used_endpoints(), used);
}

INSTANTIATE_TEST_SUITE_P(Usage, ScannerCases, ::testing::ValuesIn(scanner_cases()),
                         [](const auto& info) { return info.param.name; });

TEST(Scanner, BindingsStayInTheirFile) {
  const UsageIndex index = scan_files(
      acme_contract(), {{"a.ts", kUsers}, {"b.ts", "getUser(1);\n"}, {"c.ts", kUsers + "getUser(2);\n"}});
  ASSERT_EQ(index.refs().size(), 3u);
  EXPECT_EQ(index.refs()[0].file, "a.ts");
  EXPECT_EQ(index.refs()[1].file, "c.ts");
  EXPECT_EQ(index.refs()[2].file, "c.ts");
  EXPECT_FALSE(index.refs()[2].weak);
}

TEST(Scanner, ImportsComeBeforeTheBodyInDiscoveryOrder) {
  const std::string source = "getUser(1);\nimport { getUser } from \"@acme/api\";\n";
  const UsageIndex index = scan_files(acme_contract(), {{"a.ts", source}});
  ASSERT_EQ(index.refs().size(), 2u);
  EXPECT_TRUE(index.refs()[0].weak);
  EXPECT_EQ(index.refs()[0].start, source.find("getUser", 1));
  EXPECT_FALSE(index.refs()[1].weak);
  EXPECT_EQ(index.refs()[1].start, 0u);
}

TEST(Scanner, HopelessInputContributesNothingAndNeverFails) {
  std::string binary;
  for (int i = 0; i < 4096; ++i) binary += static_cast<char>((i * 37) % 256);
  const UsageIndex index = scan_files(acme_contract(), {{"bin.ts", binary}, {"empty.ts", ""}, {"x.tsx", "<<<"}});
  EXPECT_TRUE(index.refs().empty());
}

TEST(Scanner, DeepNestingDoesNotExhaustTheStack) {
  constexpr int kDepth = 50000;
  std::string parens = kUsers + "const a = " + std::string(kDepth, '(') + "getUser(1)" + std::string(kDepth, ')') + ";\n";
  std::string arrays = kUsers + "x = " + std::string(kDepth, '[') + "getUser" + std::string(kDepth, ']') + ";\n";
  std::string calls = kUsers + "getUser";
  for (int i = 0; i < kDepth; ++i) calls += ".pipe(f)";
  calls += ";\n";
  const UsageIndex index =
      scan_files(acme_contract(), {{"p.ts", parens}, {"a.ts", arrays}, {"c.ts", calls}});
  std::vector<std::pair<std::string, bool>> seen;
  for (const UsageRef& ref : index.refs()) seen.emplace_back(ref.file, ref.weak);
  EXPECT_THAT(seen, ::testing::ElementsAre(std::pair{"p.ts", true}, std::pair{"p.ts", false},
                                           std::pair{"a.ts", true}, std::pair{"a.ts", true},
                                           std::pair{"c.ts", true}, std::pair{"c.ts", false}));
}

TEST(Scanner, ScanWithTableAddsToAnIndex) {
  const SymbolTable table(acme_contract());
  UsageIndex index;
  scan_with_table(table, "a.ts", kUsers, index);
  scan_with_table(table, "b.ts", kUsers + "getUser(1);\n", index);
  ASSERT_EQ(index.refs().size(), 3u);
  EXPECT_EQ(index.refs_for(acme_id("getUser")).size(), 3u);
  EXPECT_EQ(index.strongly_used_endpoints(), std::set<std::string>{acme_id("getUser")});
}

TEST(Grammar, ChosenByExtension) {
  struct Row {
    const char* path;
    bool tsx;
  };
  for (const Row& row : {Row{"a.ts", false}, Row{"a.mts", false}, Row{"a.d.ts", false}, Row{"Makefile", false},
                         Row{"dir.tsx/a", false}, Row{"a.tsx", true}, Row{"a.jsx", true}, Row{"a.js", true},
                         Row{"a.mjs", true}, Row{"src/a.cjs", true}}) {
    EXPECT_EQ(&grammar_for_path(row.path), row.tsx ? &tsx_grammar() : &typescript_grammar()) << row.path;
  }
}

TEST(Grammar, TsxGrammarReadsJavaScript) {
  // JavaScript that holds JSX, generic-looking comparisons and regexes
  // parses cleanly with the grammar chosen for ".js".
  const std::string js =
      "import React from 'react';\n"
      "export function App(props) {\n"
      "  if (a < b && c > d) { return null; }\n"
      "  const re = /<div>/g;\n"
      "  return <div className=\"x\">{props.items.map((i) => <span key={i}>{i}</span>)}</div>;\n"
      "}\n";
  ParserPtr parser(ts_parser_new());
  TreePtr tree = parse_text(parser.get(), grammar_for_path("app.js"), js);
  ASSERT_NE(tree, nullptr);
  EXPECT_FALSE(ts_node_has_error(ts_tree_root_node(tree.get())));
  tree = parse_text(parser.get(), grammar_for_path("app.ts"), js);
  ASSERT_NE(tree, nullptr);
  EXPECT_TRUE(ts_node_has_error(ts_tree_root_node(tree.get()))) << "the TypeScript grammar reads no JSX";
}

}  // namespace
}  // namespace vantrel::engine::usage
