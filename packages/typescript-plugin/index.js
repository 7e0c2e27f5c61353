// The TypeScript server loads plugins with require(), so this module is
// CommonJS whatever the host project uses. It exports the factory the server
// calls once per plugin entry: init({ typescript }) returns a decorator whose
// create(info) wraps the project's language service.
//
// For now the decorator hands back the language service unchanged: the plugin
// loads, costs nothing, and gives the editor exactly TypeScript's own answers.
// The connection to the vantrel language server (hover and navigation into
// Rust, usage queries, renames) is added on top of this shape later.
"use strict"

function init(_modules) {
  return {
    create(info) {
      return info.languageService
    },
  }
}

module.exports = init
