// Types of the TypeScript server plugin: the factory takes the TypeScript
// module the server runs on and returns the language-service decorator.
import type * as ts from "typescript/lib/tsserverlibrary"

declare function init(modules: { typescript: typeof ts }): ts.server.PluginModule

export = init
