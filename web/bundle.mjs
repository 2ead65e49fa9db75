// Makes the page's tqxml-engine.js: the worker's program (the module's
// loader and worker.js) wrapped in one function, which the page starts as a
// worker from a blob: URL, and the WebAssembly module as base64. So the page
// loads with <script> tags alone and needs no fetch: it works from file://.
//
//   node bundle.mjs LOADER.js WORKER.js MODULE.wasm OUT.js
import { readFileSync, writeFileSync } from 'node:fs';

const [loader, worker, wasm, out] = process.argv.slice(2);
if (!out) {
  console.error('usage: node bundle.mjs LOADER.js WORKER.js MODULE.wasm OUT.js');
  process.exit(2);
}
writeFileSync(out, [
  '// Made by the build from the converter\'s WebAssembly module and web/worker.js.',
  'function tqxmlWorkerMain() {',
  readFileSync(loader, 'utf8'),
  readFileSync(worker, 'utf8'),
  '}',
  `const TQXML_WASM_BASE64 = '${readFileSync(wasm).toString('base64')}';`,
  '',
].join('\n'));
