// The web playground in headless Chromium: the page runs the WebAssembly build of the
// interpreter and must show what the native binary prints, mark error lines, survive endless
// loops, restore shared links, edit like the language's editor and work offline.
import assert from 'node:assert/strict';
import { mkdirSync, readdirSync, readFileSync } from 'node:fs';
import { join } from 'node:path';
import { describe, test } from 'node:test';
import {
  buildDir, editorText, finishedRun, launch, openPlayground, repoDir, run, runNative, serve, setScript, withPlayground,
} from './support.mjs';

const RUNNING = 'body.running';
const stdoutText = (page) => page.textContent('#stdout');

describe('the web playground', () => {
  const session = withPlayground();

  test('every example prints what the native binary prints', async () => {
    const { page } = session;
    const names = readdirSync(join(repoDir, 'examples')).filter((name) => name.endsWith('.ulv')).sort();
    const menu = await page.$$eval('#examples option:not([disabled])', (options) => options.map((o) => o.value));
    assert.deepEqual(menu, names, 'the menu lists examples/*.ulv');
    for (const name of names) {
      const text = readFileSync(join(repoDir, 'examples', name), 'utf8');
      await page.selectOption('#examples', name);
      assert.equal(await editorText(page), text, `${name} is loaded into the editor`);
      const native = runNative(text);
      assert.deepEqual(await run(page), {
        stdout: native.stdout,
        stderr: native.stderr,
        status: `exit status ${native.status}`,
      }, name);
    }
  });

  test('an error shows the command line message and marks the line it names', async () => {
    const { page } = session;
    const cases = [
      'var a = 1;\nprint(a);\nprint("before");\nprint(b);\nprint("never");\n',
      // The directive line is removed before lexing, which shifts the line the error names.
      'sg<nel>\nprint("no newline");\nvar x = 1 / 0;\n',
      'print("unclosed);\n',
    ];
    for (const script of cases) {
      await setScript(page, script);
      assert.equal(await page.inputValue('#examples'), '', 'an edited script is no longer the example');
      const native = runNative(script);
      assert.equal(native.status, 1);
      const shown = await run(page);
      assert.deepEqual(shown, { stdout: native.stdout, stderr: native.stderr, status: 'exit status 1' }, script);
      const line = /^\[Error at line (\d+)\]/.exec(native.stderr)[1];
      assert.deepEqual(await page.$$eval('.editor-gutter .error', (marks) => marks.map((m) => m.textContent)), [line]);
      assert.equal(await page.isVisible('.editor-error-band'), true);
    }
    // Editing the script takes the mark away; a run without an error leaves none.
    await page.type('.editor-input', ' ');
    assert.equal(await page.$('.editor-gutter .error'), null);
    await setScript(page, 'print("fine");\n');
    assert.equal((await run(page)).status, 'exit status 0');
    assert.equal(await page.$('.editor-gutter .error'), null);
  });

  test('output appears while the script runs, without waiting for a newline, and Stop keeps it', async () => {
    const { page } = session;
    await setScript(page, 'sg<nel>\nprint("waiting", 1);\nwhile (1) { }\n');
    await page.click('#run');
    await page.waitForFunction(() => document.getElementById('stdout').textContent === 'waiting 1');
    assert.equal(await page.isVisible(RUNNING), true, 'the script is still running');
    await page.click('#stop');
    assert.deepEqual(await finishedRun(page), { stdout: 'waiting 1', stderr: '', status: 'Stopped' });
    assert.equal(await page.isDisabled('#stop'), true);

    // A burst of prints before a silent endless loop shows in full, none of it held back.
    await setScript(page, 'var i = 1;\nwhile (i < 2001) { print("line", i); i = i + 1; }\nwhile (1) { }\n');
    await page.click('#run');
    await page.waitForFunction(() => document.getElementById('stdout').textContent.endsWith('line 2000\n'));
    assert.equal(await page.isVisible(RUNNING), true);
    await page.click('#stop');
    const burst = await finishedRun(page);
    assert.equal(burst.stdout, Array.from({ length: 2000 }, (_, i) => `line ${i + 1}\n`).join(''));
  });

  test('Stop ends an endless printing loop and the page stays responsive', async () => {
    const { page } = session;
    // The counter wraps before it reaches the numbers that print in exponent form.
    await setScript(page, 'var i = 0;\nwhile (1) {\n  print(i);\n  i = i + 1;\n  if (i > 99999) { i = 0; }\n}\n');
    await page.click('#run');
    await page.waitForFunction(() => document.getElementById('stdout').textContent.length > 20000);
    await page.click('#stop');
    const stopped = await finishedRun(page);
    assert.equal(stopped.status, 'Stopped');
    // What is shown is a run of whole lines counting up, none lost or reordered on the way.
    const lines = stopped.stdout.split('\n');
    assert.equal(lines.pop(), '', 'the output ends with a whole line');
    assert.ok(lines.length > 1000);
    lines.forEach((line, i) => {
      if (i > 0) assert.equal(Number(line), (Number(lines[i - 1]) + 1) % 100000, `line ${i}`);
    });
    // The output does not grow once stopped, and the next script runs.
    const length = (await stdoutText(page)).length;
    await page.waitForTimeout(300);
    assert.equal((await stdoutText(page)).length, length);
    await setScript(page, 'print("after the loop");\n');
    assert.deepEqual(await run(page), { stdout: 'after the loop\n', stderr: '', status: 'exit status 0' });
  });

  test('a long output keeps its latest whole lines and says the rest was trimmed', async () => {
    const { page } = session;
    const script = 'var i = 10000;\nwhile (i < 55000) {\n  print("line", i);\n  i = i + 1;\n}\n';
    const native = runNative(script);
    assert.ok(native.stdout.length > 450_000);
    await setScript(page, script);
    const shown = await run(page);
    assert.equal(shown.status, 'exit status 0');
    assert.ok(shown.stdout.length >= 300_000 && shown.stdout.length <= 410_000, `kept ${shown.stdout.length}`);
    assert.ok(native.stdout.endsWith(shown.stdout), 'what is kept is the end of the output');
    assert.match(shown.stdout, /^line \d+\n/, 'it starts with a whole line');
    assert.equal(await page.isVisible('#trimmed'), true);
    // The next run starts with an empty pane.
    await setScript(page, 'print(1);\n');
    assert.equal((await run(page)).stdout, '1\n');
    assert.equal(await page.isVisible('#trimmed'), false);
  });

  test('each run starts with empty tables, as a new process does', async () => {
    const { page } = session;
    let script = '';
    for (let i = 0; i < 200; i++) script += `var v${i} = ${i};\n`;
    script += 'print(v199);\n';
    // Twice the declarations overflow the variable table, so a table kept between runs would fail.
    assert.equal(runNative(script + script).status, 1);
    await setScript(page, script);
    for (let time = 0; time < 2; time++) {
      assert.deepEqual(await run(page), { stdout: '199\n', stderr: '', status: 'exit status 0' });
    }
  });

  test('an expression 500 parentheses deep runs as on the command line', async () => {
    const { page } = session;
    // The browser's stack is smaller than a process's; the README names the depth it allows.
    const script = `var x = ${'('.repeat(500)}1${' + 1)'.repeat(500)};\nprint(x);\n`;
    const native = runNative(script);
    await setScript(page, script);
    assert.deepEqual(await run(page), { stdout: native.stdout, stderr: native.stderr, status: `exit status ${native.status}` });
  });

  test('a shared link restores its script', async () => {
    const { server, browser, page } = session;
    const script = '# Grüße, "quotes" & <tags>\nvar s = "a\\"b";\nprint(s, 1.5);\n';
    await setScript(page, script);
    await page.click('#share');
    const link = await page.inputValue('#share-link');
    assert.match(link, /#code=[A-Za-z0-9_-]+$/);
    assert.equal(await page.evaluate(() => location.href), link, 'the address carries the script too');

    const opened = await openPlayground(browser.context, link);
    assert.equal(await editorText(opened), script);
    assert.equal(await opened.inputValue('#examples'), '', 'no example is selected');
    const native = runNative(script);
    assert.deepEqual(await run(opened), { stdout: native.stdout, stderr: '', status: 'exit status 0' });
    assert.deepEqual(opened.problems, []);
    await opened.close();

    // A damaged link falls back to the first example rather than failing.
    const damaged = await openPlayground(browser.context, server.url + '#code=%%%');
    assert.equal(await editorText(damaged), readFileSync(join(repoDir, 'examples', 'hello.ulv'), 'utf8'));
    await damaged.close();
  });

  test('the editor closes brackets and quotes, keeps indentation and toggles comments', async () => {
    const { page } = session;
    await setScript(page, '');
    await page.focus('.editor-input');
    await page.keyboard.type('print(');
    assert.equal(await editorText(page), 'print()');
    await page.keyboard.type('"hi');
    assert.equal(await editorText(page), 'print("hi")');
    // Typing the closing characters steps over the ones already there.
    await page.keyboard.type('");');
    assert.equal(await editorText(page), 'print("hi");');

    // A quote typed before a string opens a new pair instead of stepping into that string.
    await page.keyboard.press('Home');
    for (let i = 0; i < 'print('.length; i++) await page.keyboard.press('ArrowRight');
    await page.keyboard.type('"');
    assert.equal(await editorText(page), 'print("""hi");');
    await page.keyboard.press('Backspace');
    assert.equal(await editorText(page), 'print("hi");');
    await page.keyboard.press('End');

    await page.keyboard.press('Control+/');
    assert.equal(await editorText(page), '# print("hi");');
    await page.keyboard.press('Control+/');
    assert.equal(await editorText(page), 'print("hi");');

    // Enter between braces opens an indented line and puts the closing brace under it.
    await page.keyboard.press('Enter');
    await page.keyboard.type('while (1) {');
    await page.keyboard.press('Enter');
    await page.keyboard.type('x');
    assert.equal(await editorText(page), 'print("hi");\nwhile (1) {\n  x\n}');
    // Backspace inside an empty pair removes both halves.
    await page.keyboard.type('(');
    assert.equal(await editorText(page), 'print("hi");\nwhile (1) {\n  x()\n}');
    await page.keyboard.press('Backspace');
    assert.equal(await editorText(page), 'print("hi");\nwhile (1) {\n  x\n}');

    // Ctrl+/ over several lines comments all of them, then uncomments them.
    await page.keyboard.press('Control+a');
    await page.keyboard.press('Control+/');
    assert.equal(await editorText(page), '# print("hi");\n# while (1) {\n#   x\n# }');
    await page.keyboard.press('Control+/');
    assert.equal(await editorText(page), 'print("hi");\nwhile (1) {\n  x\n}');

    // Undo takes back the edits one by one.
    await page.keyboard.press('Control+z');
    assert.equal(await editorText(page), '# print("hi");\n# while (1) {\n#   x\n# }');

    // Tab indents and Shift+Tab outdents; Escape then Tab moves on to the next control.
    await setScript(page, 'x');
    await page.focus('.editor-input');
    await page.keyboard.press('Home');
    await page.keyboard.press('Tab');
    assert.equal(await editorText(page), '  x');
    await page.keyboard.press('Shift+Tab');
    assert.equal(await editorText(page), 'x');
    await page.keyboard.press('Escape');
    await page.keyboard.press('Tab');
    assert.equal(await editorText(page), 'x');
    assert.equal(await page.evaluate(() => document.activeElement.classList.contains('editor-input')), false);
  });

  test('the highlight layer lies under the text with its words classed', async () => {
    const { page } = session;
    const script = 'sg<nel>\n# note\nvar s = "a\\"b";\nif (s) { print(s, 2.5); }\nfunction @\n';
    await setScript(page, script);
    const layer = await page.evaluate(() => {
      const pieces = (cls) => [...document.querySelectorAll(`.editor-highlight .tok-${cls}`)].map((e) => e.textContent);
      return {
        text: document.querySelector('.editor-highlight').textContent,
        directive: pieces('directive'),
        comment: pieces('comment'),
        keyword: pieces('keyword'),
        reserved: pieces('reserved'),
        string: pieces('string'),
        number: pieces('number'),
        invalid: pieces('invalid'),
        lines: document.querySelectorAll('.editor-gutter div').length,
      };
    });
    assert.equal(layer.text, script + ' ');
    assert.deepEqual(layer.directive, ['sg<nel>']);
    assert.deepEqual(layer.comment, ['# note']);
    assert.deepEqual(layer.keyword, ['var', 'if', 'print']);
    assert.deepEqual(layer.reserved, ['function']);
    assert.deepEqual(layer.string, ['"a\\"b"']);
    assert.deepEqual(layer.number, ['2.5']);
    assert.deepEqual(layer.invalid, ['@']);
    assert.equal(layer.lines, 6);
  });

  test('screenshots at desktop and phone width', async () => {
    const { server, browser } = session;
    const dir = join(buildDir, 'web-screenshots');
    mkdirSync(dir, { recursive: true });
    const shot = await openPlayground(browser.context, server.url);
    await run(shot);
    await shot.screenshot({ path: join(dir, 'desktop.png') });

    await shot.setViewportSize({ width: 390, height: 844 });
    await setScript(shot, 'var n = 1;\nprint("n is", n);\nprint(m);\n');
    await run(shot);
    const fits = await shot.evaluate(() => document.documentElement.scrollWidth <= window.innerWidth);
    assert.equal(fits, true, 'nothing sticks out sideways at phone width');
    for (const id of ['#run', '#stop', '#share', '#examples']) {
      const box = await shot.locator(id).boundingBox();
      assert.ok(box && box.x >= 0 && box.x + box.width <= 390, `${id} is on screen`);
    }
    await shot.screenshot({ path: join(dir, 'phone.png'), fullPage: true });
    await shot.close();
  });

  test('the page works offline once it has been loaded', async () => {
    const { server, browser } = session;
    const online = await openPlayground(browser.context, server.url);
    await online.evaluate(async () => {
      await navigator.serviceWorker.ready;
      if (!navigator.serviceWorker.controller) {
        await new Promise((done) => navigator.serviceWorker.addEventListener('controllerchange', done));
      }
    });
    await browser.context.setOffline(true);
    try {
      await online.reload();
      await online.waitForSelector('body[data-ready="true"]');
      const hello = readFileSync(join(repoDir, 'examples', 'hello.ulv'), 'utf8');
      assert.equal(await editorText(online), hello);
      const native = runNative(hello);
      assert.deepEqual(await run(online), { stdout: native.stdout, stderr: '', status: 'exit status 0' });
    } finally {
      await browser.context.setOffline(false);
      await online.close();
    }
  });
});

describe('the web playground without its WebAssembly file', () => {
  test('a run says the interpreter could not be loaded instead of hanging', async () => {
    const server = await serve();
    const browser = await launch();
    try {
      await browser.context.route('**/ulvane.wasm', (route) => route.fulfill({ status: 404, body: 'gone' }));
      const page = await openPlayground(browser.context, server.url);
      const shown = await run(page);
      assert.match(shown.status, /^The interpreter could not be loaded: .*HTTP 404/);
      assert.equal(await page.isDisabled('#stop'), true);
    } finally {
      await browser.close();
      await server.close();
    }
  });
});
