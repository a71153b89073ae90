// Assembles the web playground: copies the page and the WebAssembly build into the output
// folder, writes examples.js from the repository's examples/*.ulv, and stamps the offline
// service worker with the list of files and a version that changes with their content.
// Usage: node assemble.mjs SOURCE_DIR WASM_DIR OUT_DIR
import { createHash } from 'node:crypto';
import { copyFileSync, mkdirSync, readdirSync, readFileSync, rmSync, writeFileSync } from 'node:fs';
import { join } from 'node:path';

const [sourceDir, wasmDir, outDir] = process.argv.slice(2);
if (!outDir) {
  console.error('usage: node assemble.mjs SOURCE_DIR WASM_DIR OUT_DIR');
  process.exit(2);
}

const pageDir = join(sourceDir, 'web', 'page');
rmSync(outDir, { recursive: true, force: true });
mkdirSync(outDir, { recursive: true });

const files = [];
for (const name of readdirSync(pageDir).sort()) {
  if (name === 'sw.js') continue;
  copyFileSync(join(pageDir, name), join(outDir, name));
  files.push(name);
}
for (const name of ['ulvane.js', 'ulvane.wasm']) {
  copyFileSync(join(wasmDir, name), join(outDir, name));
  files.push(name);
}

const examplesDir = join(sourceDir, 'examples');
const examples = readdirSync(examplesDir)
  .filter((name) => name.endsWith('.ulv'))
  .sort()
  .map((name) => ({ name, text: readFileSync(join(examplesDir, name), 'utf8') }));
writeFileSync(
  join(outDir, 'examples.js'),
  '// Generated from examples/*.ulv when the page was built.\n' +
    `export const examples = ${JSON.stringify(examples, null, 2)};\n`,
);
files.push('examples.js');
files.sort();

const hash = createHash('sha256');
for (const name of files) hash.update(name).update(readFileSync(join(outDir, name)));
const version = hash.digest('hex').slice(0, 16);

const worker = readFileSync(join(pageDir, 'sw.js'), 'utf8')
  .replace('__VERSION__', version)
  .replace("'__FILES__'", JSON.stringify(['./', ...files]));
writeFileSync(join(outDir, 'sw.js'), worker);
console.log(`assembled ${files.length + 1} files in ${outDir} (version ${version})`);
