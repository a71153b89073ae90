// Test support for the playground's browser tests: a static server for the built page,
// headless Chromium through playwright-core, the native binary for comparison, and helpers
// that drive the page the way a person does.
import assert from 'node:assert/strict';
import { spawnSync } from 'node:child_process';
import { closeSync, mkdtempSync, openSync, readFileSync, rmSync, writeFileSync, existsSync } from 'node:fs';
import { createServer } from 'node:http';
import { tmpdir } from 'node:os';
import { dirname, extname, join, normalize, resolve } from 'node:path';
import { fileURLToPath } from 'node:url';
import { after, before } from 'node:test';
import { chromium } from 'playwright-core';

const here = dirname(fileURLToPath(import.meta.url));
export const repoDir = resolve(here, '..', '..');
export const buildDir = resolve(process.env.ULVANE_BUILD_DIR ?? join(repoDir, 'build'));
export const pageDir = join(buildDir, 'web');
export const nativeBinary = join(buildDir, 'ulvane');

const TYPES = {
  '.html': 'text/html; charset=utf-8',
  '.js': 'text/javascript; charset=utf-8',
  '.css': 'text/css; charset=utf-8',
  '.wasm': 'application/wasm',
};

// Serves the built page on 127.0.0.1 at a free port; resolves to { url, close() }.
export function serve(dir = pageDir) {
  if (!existsSync(join(dir, 'index.html'))) {
    throw new Error(`no page in ${dir}: build it first with cmake --build build --target web`);
  }
  const server = createServer((request, response) => {
    const path = decodeURIComponent(new URL(request.url, 'http://localhost').pathname);
    const file = normalize(join(dir, path.endsWith('/') ? path + 'index.html' : path));
    if (!file.startsWith(dir) || !existsSync(file)) {
      response.writeHead(404).end('not found');
      return;
    }
    response.writeHead(200, { 'content-type': TYPES[extname(file)] ?? 'application/octet-stream' });
    response.end(readFileSync(file));
  });
  return new Promise((done) => {
    server.listen(0, '127.0.0.1', () => {
      done({
        url: `http://127.0.0.1:${server.address().port}/`,
        close: () => new Promise((closed) => server.close(closed)),
      });
    });
  });
}

// A headless Chromium from Debian's package with a fresh profile; resolves to
// { context, close() }. The flags keep it from reaching any outside host.
export async function launch() {
  const profile = mkdtempSync(join(tmpdir(), 'ulvane-chromium-'));
  const context = await chromium.launchPersistentContext(profile, {
    executablePath: process.env.CHROMIUM ?? '/usr/bin/chromium',
    headless: true,
    args: [
      '--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
      '--disable-background-networking', '--disable-component-update', '--disable-sync',
    ],
    viewport: { width: 1280, height: 800 },
  });
  context.setDefaultTimeout(20_000);
  return {
    context,
    close: async () => {
      await context.close();
      rmSync(profile, { recursive: true, force: true });
    },
  };
}

// Runs a script with the native binary: { stdout, stderr, status }.
export function runNative(script) {
  const dir = mkdtempSync(join(tmpdir(), 'ulvane-native-'));
  const file = join(dir, 'script.ulv');
  writeFileSync(file, script);
  const result = spawnSync(nativeBinary, [file], { encoding: 'utf8', timeout: 10_000, maxBuffer: 64 << 20 });
  rmSync(dir, { recursive: true, force: true });
  return { stdout: result.stdout, stderr: result.stderr, status: result.status };
}

// How long the native binary takes to run a script with its output going to a file, in
// milliseconds: the best of `times` runs, so that a busy moment on the machine counts less.
export function timeNative(script, times = 3) {
  const dir = mkdtempSync(join(tmpdir(), 'ulvane-native-'));
  const file = join(dir, 'script.ulv');
  writeFileSync(file, script);
  let best = Infinity;
  for (let i = 0; i < times; i++) {
    const out = openSync(join(dir, 'out'), 'w');
    const start = performance.now();
    const result = spawnSync(nativeBinary, [file], { stdio: ['ignore', out, 'ignore'], timeout: 20_000 });
    best = Math.min(best, performance.now() - start);
    closeSync(out);
    if (result.status !== 0) throw new Error(`the native run failed: ${result.status}`);
  }
  rmSync(dir, { recursive: true, force: true });
  return best;
}

// For the describe() it is called in: before its tests, serves the page, launches Chromium
// and opens the playground; after them, checks that the page threw no uncaught error and
// closes it all. Returns the object whose server, browser and page the tests use.
export function withPlayground() {
  const session = {};
  before(async () => {
    session.server = await serve();
    session.browser = await launch();
    session.page = await openPlayground(session.browser.context, session.server.url);
  });
  after(async () => {
    assert.deepEqual(session.page?.problems, [], 'the page threw no uncaught errors');
    await session.browser?.close();
    await session.server?.close();
  });
  return session;
}

// Opens the playground in a new tab and waits until it has loaded its first script.
// init: a function to run in the page before its own scripts, if any.
export async function openPlayground(context, url, init = null) {
  const page = await context.newPage();
  const problems = [];
  page.on('pageerror', (error) => problems.push(error.message));
  if (init) await page.addInitScript(init);
  await page.goto(url);
  await page.waitForSelector('body[data-ready="true"]');
  page.problems = problems;
  return page;
}

export const setScript = (page, text) => page.fill('.editor-input', text);
export const editorText = (page) => page.inputValue('.editor-input');

// What the output pane shows once a run has ended: { stdout, stderr, status }.
export async function finishedRun(page) {
  await page.waitForFunction(() => !document.body.classList.contains('running'));
  return page.evaluate(() => ({
    stdout: document.getElementById('stdout').textContent,
    stderr: document.getElementById('stderr').textContent,
    status: document.getElementById('status').textContent,
  }));
}

// Clicks Run and waits for the run to end.
export async function run(page) {
  await page.click('#run');
  return finishedRun(page);
}
