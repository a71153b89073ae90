#!/usr/bin/env node
// Web benchmark: times the playground's interpreter, the emscripten build, beside the native
// binary on the compute benchmarks of bench/run (all but the print-heavy ones, at bench/run's
// full sizes). Each web run is a fresh Node.js process that runs web/page/worker.js itself,
// as a page run is a fresh worker: importScripts, fetch and postMessage are stood in for, and
// the run is timed from the script's message to the worker's "exit". Rounds run every build
// once per benchmark, so that the machine's drift reaches all alike; the table gives median
// times and, per web build, the median over rounds of the ratio web/native with its quartiles.
// A warm-up round first checks that every build prints the bytes the native one prints.
//
//   bench/web.mjs                     every compute benchmark, 10 rounds
//   bench/web.mjs --runs 5 count      only the named benchmarks
//   bench/web.mjs --web DIR [--web DIR2 ...]
//                                     other emscripten builds (folders holding ulvane.js and
//                                     ulvane.wasm), one column each; the default is build/web-wasm
//   bench/web.mjs --cpu               times on the CPU instead of elapsed times (user and system
//                                     time natively, the worker's thread on the web), for a
//                                     machine that other work keeps busy
//
// "run" is what a page run waits for once its worker has loaded (the page keeps one loaded in
// advance); "load" is the worker's start, compiling and instantiating the module. ULVANE names
// the native binary, as for bench/run; without it and without --web, both are built first.
import { execFileSync, spawnSync } from 'node:child_process';
import { existsSync, mkdtempSync, readFileSync, rmSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { dirname, join, resolve } from 'node:path';
import { fileURLToPath, pathToFileURL } from 'node:url';
import vm from 'node:vm';

const here = dirname(fileURLToPath(import.meta.url));
const root = dirname(here);
const PRINT_HEAVY = ['print', 'report'];

// One web run, in this process: worker.js loads the module from wasmDir and runs the script.
// Prints the times, the status and what the script wrote, as JSON.
async function child(wasmDir, scriptPath) {
  // Node.js loads its fetch implementation on first use, which a browser does not have to.
  new Response();
  const started = performance.now();
  const output = { 1: [], 2: [] };
  let finished;
  const done = new Promise((resolve) => (finished = resolve));
  Object.assign(globalThis, {
    self: globalThis,
    location: { href: pathToFileURL(join(wasmDir, 'worker.js')).href },
    importScripts: (name) => vm.runInThisContext(readFileSync(join(wasmDir, name), 'utf8'), { filename: name }),
    fetch: async (name) =>
      new Response(readFileSync(join(wasmDir, name)), { headers: { 'Content-Type': 'application/wasm' } }),
    postMessage: (message) => {
      if (message.type === 'output') output[message.fd].push(message.bytes);
      else finished({ ended: performance.now(), message });
    },
  });
  vm.runInThisContext(readFileSync(join(root, 'web', 'page', 'worker.js'), 'utf8'), { filename: 'worker.js' });
  // The worker's own promise of the loaded module.
  await vm.runInThisContext('ready');
  // Nanoseconds this thread, the one that runs the module, has spent on a CPU (Linux).
  const schedstat = `/proc/self/task/${process.pid}/schedstat`;
  const onCpu = () => (existsSync(schedstat) ? Number(readFileSync(schedstat, 'utf8').split(' ')[0]) : NaN);
  const cpuStarted = onCpu();
  const loaded = performance.now();
  globalThis.onmessage({ data: { script: readFileSync(scriptPath, 'utf8') } });
  const { ended, message } = await done;
  const cpu = (onCpu() - cpuStarted) / 1e9;
  if (message.type !== 'exit') throw new Error(message.message);
  const text = (fd) => Buffer.concat(output[fd]).toString('latin1');
  process.stdout.write(JSON.stringify({
    load: (loaded - started) / 1000, run: (ended - loaded) / 1000, cpu, status: message.status, out: text(1), err: text(2),
  }));
}

function runWeb(wasmDir, scriptPath) {
  const result = spawnSync(process.execPath, [fileURLToPath(import.meta.url), '--child', wasmDir, scriptPath],
                           { encoding: 'utf8', maxBuffer: 1 << 26 });
  if (result.status !== 0) throw new Error(`web run of ${scriptPath} failed: ${result.stderr}`);
  return JSON.parse(result.stdout);
}

// Timed by hyperfine, as bench/run times it: starting a process from Node.js adds milliseconds.
function timeNative(binary, scriptPath, work, cpu) {
  const quote = (text) => `'${text.replaceAll("'", "'\\''")}'`;
  const json = join(work, 'native.json');
  const result = spawnSync('hyperfine', ['-N', '--style', 'none', '--runs', '1', '--export-json', json,
                                         `${quote(binary)} ${quote(scriptPath)}`], { encoding: 'utf8' });
  if (result.status !== 0) throw new Error(`native run of ${scriptPath} failed: ${result.stderr}`);
  const { times, user, system } = JSON.parse(readFileSync(json, 'utf8')).results[0];
  return cpu ? user + system : times[0];
}

function runNative(binary, scriptPath) {
  const result = spawnSync(binary, [scriptPath], { encoding: 'latin1', maxBuffer: 1 << 26 });
  return { status: result.status, out: result.stdout, err: result.stderr };
}

// name and full size from the lines of bench/run's list, the print-heavy ones left out.
function benchmarks() {
  const list = [...readFileSync(join(here, 'run'), 'utf8').matchAll(/^\s*"(\w+) (\d+) \d+"$/gm)];
  if (list.length === 0) throw new Error('bench: no benchmark list found in bench/run');
  return list.map(([, name, size]) => ({ name, size })).filter(({ name }) => !PRINT_HEAVY.includes(name));
}

// The value at fraction q of the sorted values, interpolated.
const quantile = (values, q) => {
  const sorted = [...values].sort((a, b) => a - b);
  const at = (sorted.length - 1) * q;
  const below = Math.floor(at);
  return sorted[below] + (sorted[Math.min(below + 1, sorted.length - 1)] - sorted[below]) * (at - below);
};
const median = (values) => quantile(values, 0.5);
const geomean = (values) => Math.exp(values.reduce((sum, v) => sum + Math.log(v), 0) / values.length);

async function main(args) {
  let runs = 10;
  let cpu = false;
  const webDirs = [];
  const only = [];
  for (let i = 0; i < args.length; i++) {
    if (args[i] === '--child') return child(args[i + 1], args[i + 2]);
    if (args[i] === '--runs') runs = Number(args[++i]);
    else if (args[i] === '--cpu') cpu = true;
    else if (args[i] === '--web') webDirs.push(resolve(args[++i]));
    else if (args[i] === '-h' || args[i] === '--help') {
      const lines = readFileSync(fileURLToPath(import.meta.url), 'utf8').split('\n');
      console.log(lines.slice(1, lines.findIndex((line) => line.startsWith('import'))).join('\n'));
      return;
    } else only.push(args[i]);
  }
  if (spawnSync('hyperfine', ['--version']).status !== 0) {
    console.error('bench: hyperfine is missing');
    process.exit(1);
  }
  const quiet = { stdio: ['ignore', 'ignore', 'inherit'] };
  let native = process.env.ULVANE;
  if (!native) {
    native = join(root, 'build', 'ulvane');
    execFileSync('cmake', ['-S', root, '-B', join(root, 'build'), '-DCMAKE_BUILD_TYPE=Release'], quiet);
    execFileSync('cmake', ['--build', join(root, 'build'), '-j2', '--target', 'ulvane'], quiet);
  }
  if (webDirs.length === 0) {
    if (!process.env.ULVANE) execFileSync('cmake', ['--build', join(root, 'build'), '--target', 'web'], quiet);
    webDirs.push(join(root, 'build', 'web-wasm'));
  }

  const work = mkdtempSync(join(tmpdir(), 'ulvane-web-'));
  process.on('exit', () => rmSync(work, { recursive: true, force: true }));
  const chosen = benchmarks().filter(({ name }) => only.length === 0 || only.includes(name));
  webDirs.forEach((dir, k) => console.log(`web[${k + 1}] ${dir}`));
  console.log(`native  ${native}   (Node.js ${process.version}, ${runs} rounds, ${cpu ? 'CPU' : 'elapsed'} times)`);
  const cell = (text, width) => String(text).padStart(width);
  const range = (values) => `${median(values).toFixed(2)} [${quantile(values, 0.25).toFixed(2)}–${quantile(values, 0.75).toFixed(2)}]`;
  console.log('        ' + cell('native', 8) +
              webDirs.map((_, k) => cell(`run[${k + 1}]`, 9) + cell(`load[${k + 1}]`, 9)).join('') +
              webDirs.map((_, k) => cell(`run[${k + 1}]/native`, 20) + cell(`+load[${k + 1}]`, 20)).join(''));

  const summary = webDirs.map(() => ({ run: [], all: [] }));
  let failed = false;
  for (const { name, size } of chosen) {
    const script = join(work, `${name}.ulv`);
    writeFileSync(script, readFileSync(join(here, 'programs', `${name}.ulv`), 'utf8').replaceAll('@N@', size));
    const rounds = [];
    // Round 0 only warms up and compares the outputs.
    for (let round = 0; round <= runs; round++) {
      const order = [-1, ...webDirs.keys()];
      if (round % 2) order.reverse();
      let nat;
      const web = [];
      for (const k of order) {
        if (k >= 0) {
          web[k] = runWeb(webDirs[k], script);
          if (cpu) web[k].run = web[k].cpu;
        } else {
          nat = round === 0 ? runNative(native, script) : timeNative(native, script, work, cpu);
        }
      }
      if (round > 0) {
        rounds.push({ nat, web });
        continue;
      }
      for (const [k, w] of web.entries()) {
        if (w.out === nat.out && w.err === nat.err && w.status === nat.status) continue;
        console.error(`bench: ${name} prints differently in web[${k + 1}]:`,
                      JSON.stringify(w.out + w.err).slice(0, 200), 'against',
                      JSON.stringify(nat.out + nat.err).slice(0, 200));
        failed = true;
      }
    }
    let line = name.padEnd(8) + cell(`${median(rounds.map((r) => r.nat)).toFixed(3)}s`, 8);
    for (const k of webDirs.keys()) {
      line += cell(`${median(rounds.map((r) => r.web[k].run)).toFixed(3)}s`, 9) +
              cell(`${median(rounds.map((r) => r.web[k].load)).toFixed(3)}s`, 9);
    }
    for (const k of webDirs.keys()) {
      const run = rounds.map((r) => r.web[k].run / r.nat);
      const all = rounds.map((r) => (r.web[k].load + r.web[k].run) / r.nat);
      summary[k].run.push(median(run));
      summary[k].all.push(median(all));
      line += cell(range(run), 20) + cell(range(all), 20);
    }
    console.log(line);
  }
  if (chosen.length > 1) {
    console.log('geomean'.padEnd(8 + 8 + 18 * webDirs.length) +
                summary.map(({ run, all }) => cell(geomean(run).toFixed(2), 20) + cell(geomean(all).toFixed(2), 20)).join(''));
  }
  if (failed) process.exit(1);
}

await main(process.argv.slice(2));
