// Step mode in headless Chromium: Step records a run with the WebAssembly interpreter, then
// the page moves through it. Each step must mark the statement or loop condition that runs,
// list the variables with the values print would show, and show the output written by then,
// all as the native binary's own output says; errors, the step cap, Stop and editing too.
import assert from 'node:assert/strict';
import { readdirSync, readFileSync } from 'node:fs';
import { join } from 'node:path';
import { describe, test } from 'node:test';
import { repoDir, runNative, setScript, withPlayground } from './support.mjs';

// What Step mode shows now.
const state = (page) =>
  page.evaluate(() => ({
    position: document.getElementById('step-position').textContent,
    mark: document.querySelector('mark.editor-step')?.textContent ?? null,
    lines: [...document.querySelectorAll('.editor-gutter .step')].map((line) => Number(line.textContent)),
    variables: [...document.querySelectorAll('#variables tbody tr')].map((row) => ({
      name: row.cells[0].textContent,
      value: row.cells[1].firstElementChild.textContent,
      kind: row.cells[1].firstElementChild.className,
      changed: row.classList.contains('changed'),
      shadowed: row.classList.contains('shadowed'),
    })),
    stdout: document.getElementById('stdout').textContent,
    stderr: document.getElementById('stderr').textContent,
  }));

// Clicks Step and waits for Step mode.
async function record(page, script) {
  await setScript(page, script);
  await page.click('#step');
  await page.waitForSelector('#stepper:not([hidden])');
}

const stepping = (page) => page.isVisible('#stepper');
const valuesOf = (shown) => Object.fromEntries(shown.variables.map((v) => [v.name, v.value]));
// The line (1-based) of the first line of script that holds text.
const lineOf = (script, text) => script.split('\n').findIndex((line) => line.includes(text)) + 1;

describe('Step mode', () => {
  const session = withPlayground();

  test('a loop, stepped forwards and back: statement, variables and output at each step', async () => {
    const { page } = session;
    const script = [
      '# halves added up',
      'var i = 0;',
      'var total = 0;',
      'while (i < 3) {',
      '  total = total + i / 2;',
      '  i = i + 1;',
      '  print("i", i, "total", total);',
      '}',
      'print("done");',
      '',
    ].join('\n');
    const native = runNative(script);
    assert.equal(native.status, 0);
    const printed = native.stdout.split('\n').slice(0, -1);
    const body = ['total = total + i / 2;', 'i = i + 1;', 'print("i", i, "total", total);'];
    const marks = ['var i = 0;', 'var total = 0;', 'while (i < 3)'];
    for (let pass = 0; pass < 3; pass++) marks.push('i < 3', ...body);
    marks.push('i < 3', 'print("done");');

    await record(page, script);
    assert.equal(await page.textContent('#status'), 'exit status 0');
    const forwards = [];
    for (let step = 0; step < marks.length; step++) {
      if (step > 0) await page.click('#step-forward');
      forwards.push(await state(page));
    }
    assert.equal(await page.isDisabled('#step-forward'), true, 'Forward stops at the last step');
    assert.equal(await page.isDisabled('#step-last'), true);

    let lines = 0;
    let before = {};
    forwards.forEach((shown, step) => {
      assert.equal(shown.position, `Step ${step + 1} of ${marks.length}`);
      assert.equal(shown.mark, marks[step], `the statement of step ${step + 1}`);
      assert.deepEqual(shown.lines, [lineOf(script, marks[step])], `the line of step ${step + 1}`);
      if (marks[step].startsWith('print')) lines++;
      assert.equal(shown.stdout, printed.slice(0, lines).map((line) => line + '\n').join(''), `output by step ${step + 1}`);
      assert.equal(shown.stderr, '');
      // Declaration order, and a mark exactly on the variables whose value is not what it was.
      const names = shown.variables.map((v) => v.name);
      assert.deepEqual(names, ['i', 'total'].slice(0, Math.min(step + 1, 2)));
      const values = valuesOf(shown);
      for (const variable of shown.variables) {
        assert.equal(variable.changed, before[variable.name] !== variable.value, `${variable.name} at step ${step + 1}`);
        assert.equal(variable.kind, 'value-number');
      }
      // After each print, the values listed are the ones it printed.
      if (marks[step].startsWith('print("i"')) {
        assert.equal(printed[lines - 1], `i ${values.i} total ${values.total}`);
      }
      before = values;
    });

    // Back retraces the same steps; Start and End jump, and the slider goes anywhere.
    for (let step = marks.length - 2; step >= 0; step--) {
      await page.click('#step-back');
      assert.deepEqual(await state(page), forwards[step], `back at step ${step + 1}`);
    }
    assert.equal(await page.isDisabled('#step-back'), true, 'Back stops at the first step');
    await page.click('#step-last');
    assert.deepEqual(await state(page), forwards.at(-1));
    await page.click('#step-first');
    assert.deepEqual(await state(page), forwards[0]);
    await page.fill('#step-slider', '9');
    assert.deepEqual(await state(page), forwards[8]);

    // The keys: arrows a step, Home and End the ends, wherever the focus is but in a text field.
    await page.focus('#step-forward');
    await page.keyboard.press('ArrowRight');
    assert.deepEqual(await state(page), forwards[9]);
    await page.keyboard.press('ArrowLeft');
    await page.keyboard.press('ArrowLeft');
    assert.deepEqual(await state(page), forwards[7]);
    await page.keyboard.press('End');
    assert.deepEqual(await state(page), forwards.at(-1));
    await page.keyboard.press('Home');
    assert.deepEqual(await state(page), forwards[0]);
    await page.focus('.editor-input');
    await page.keyboard.press('ArrowRight');
    assert.deepEqual(await state(page), forwards[0], 'arrows in the script move its caret only');
    await page.focus('#step-forward');
    await page.keyboard.press('Escape');
    assert.equal(await stepping(page), false, 'Escape leaves Step mode');
    assert.equal(await page.$('mark.editor-step'), null);
    assert.equal(await page.isVisible('#variables-pane'), false);
  });

  test('a run that fails ends on the step that raised the error, with its output and message', async () => {
    const { page } = session;
    // The directive line shifts the line the message names, but not the line marked.
    const script = [
      'sg<nel>',
      'var a = 1;',
      'print("a is", a);',
      'while (a < 3) {',
      '  a = a + 1;',
      '}',
      'print(" then", b);',
      'print("never");',
      '',
    ].join('\n');
    const native = runNative(script);
    assert.equal(native.status, 1);
    assert.match(native.stderr, /Undefined variable: b/);

    await record(page, script);
    assert.equal(await page.textContent('#status'), 'exit status 1');
    await page.click('#step-last');
    const last = await state(page);
    // var, print, while, then the condition and the body twice and the condition once more.
    assert.equal(last.position, 'Step 9 of 9');
    assert.equal(last.mark, 'print(" then", b);');
    assert.deepEqual(last.lines, [lineOf(script, 'print(" then"')]);
    assert.equal(last.stdout, native.stdout, 'the output includes what the failing print wrote');
    assert.equal(last.stderr, native.stderr);
    assert.deepEqual(valuesOf(last), { a: '3' }, 'the loop ran until a was 3');

    await page.click('#step-back');
    const before = await state(page);
    assert.equal(before.mark, 'a < 3');
    assert.equal(before.stderr, '', 'the error shows only at its own step');
    assert.equal(before.stdout, 'a is 1');
    assert.equal(await page.$('.editor-gutter .error'), null, 'Step mode marks the step, not the error line');
  });

  test('the variables show values as print does, strings apart, and a later duplicate as never read', async () => {
    const { page } = session;
    const declarations = [
      ['third', '1 / 3'],
      ['million', '1000000'],
      ['zero', '0'],
      ['negative', '-zero'],
      ['h', '1' + '0'.repeat(62)],
      ['huge', 'h * h * h * h * h'],
      ['nothing', 'huge - huge'],
      ['words', '"two words, then 100%"'],
      ['turned', '"text"'],
    ];
    let script = declarations.map(([name, value]) => `var ${name} = ${value};\n`).join('');
    script += 'turned = 2.50;\nvar third = 3;\n';
    script += declarations.map(([name]) => `print(${name});\n`).join('');
    const native = runNative(script);
    assert.equal(native.status, 0);
    const printed = native.stdout.split('\n');

    await record(page, script);
    await page.click('#step-last');
    const shown = await state(page);
    assert.deepEqual(shown.variables.map((v) => v.name), [...declarations.map(([name]) => name), 'third']);
    declarations.forEach(([name], i) => {
      assert.equal(shown.variables[i].value, printed[i], name);
      assert.equal(shown.variables[i].kind, name === 'words' ? 'value-string' : 'value-number', name);
      assert.equal(shown.variables[i].shadowed, false);
    });
    const duplicate = shown.variables.at(-1);
    assert.deepEqual([duplicate.value, duplicate.shadowed], ['3', true]);
    assert.match(await page.textContent('#variables tbody tr:last-child'), /never read/);

    // The string is replaced by a number in the step after the declarations.
    await page.fill('#step-slider', String(declarations.length + 1));
    const turned = (await state(page)).variables.find((v) => v.name === 'turned');
    assert.deepEqual(turned, { name: 'turned', value: '2.5', kind: 'value-number', changed: true, shadowed: false });
    await page.click('#step-back');
    assert.equal((await state(page)).variables.find((v) => v.name === 'turned').kind, 'value-string');
  });

  test('every example steps from its first statement to the output the native binary prints', async () => {
    const { page } = session;
    const names = readdirSync(join(repoDir, 'examples')).filter((name) => name.endsWith('.ulv'));
    assert.ok(names.length > 0);
    for (const name of names) {
      const script = readFileSync(join(repoDir, 'examples', name), 'utf8');
      const native = runNative(script);
      await page.selectOption('#examples', name);
      await page.click('#step');
      await page.waitForSelector('#stepper:not([hidden])');
      // A mark, not a line band alone, means the page found the tokens where the lexer did.
      const first = await state(page);
      assert.ok(first.mark, `${name}: the first statement is marked`);
      assert.ok(script.includes(first.mark), name);
      assert.deepEqual(first.lines, [lineOf(script, first.mark)], name);
      await page.click('#step-last');
      const last = await state(page);
      assert.ok(last.mark, name);
      assert.equal(last.stdout, native.stdout, `${name}: the output at the last step`);
      assert.equal(last.stderr, native.stderr, name);
    }
  });

  test('at phone width the output of a step is laid out and scrolled to its end', async () => {
    const { page } = session;
    await page.setViewportSize({ width: 390, height: 844 });
    try {
      await record(page, 'var i = 0;\nwhile (i < 300) {\n  print("line", i);\n  i = i + 1;\n}\n');
      await page.click('#step-last');
      const pane = await page.evaluate(() => {
        const box = document.getElementById('output');
        const line = parseFloat(getComputedStyle(document.getElementById('stdout')).lineHeight);
        return { top: box.scrollTop, height: box.scrollHeight, shown: box.clientHeight, line };
      });
      // 300 lines laid out, not a placeholder's height, and the last of them in view.
      assert.ok(pane.height >= 300 * pane.line, `the pane is ${pane.height} px high`);
      assert.ok(pane.top + pane.shown >= pane.height - 4, 'scrolled to the end');
    } finally {
      await page.setViewportSize({ width: 1280, height: 800 });
    }
  });

  test('editing the script or running it leaves Step mode', async () => {
    const { page } = session;
    await record(page, 'var x = 1;\nprint(x);\n');
    assert.equal(await stepping(page), true);
    assert.ok(await page.$('mark.editor-step'));
    await page.focus('.editor-input');
    await page.keyboard.press('End');
    await page.keyboard.type(' ');
    assert.equal(await stepping(page), false);
    assert.equal(await page.$('mark.editor-step'), null);
    assert.equal(await page.$('.editor-gutter .step'), null);

    await record(page, 'var x = 1;\nprint(x);\n');
    await page.click('#run');
    assert.equal(await stepping(page), false);
    await page.waitForFunction(() => !document.body.classList.contains('running'));
    assert.equal(await stepping(page), false, 'a plain run does not enter Step mode');

    // A script that fails before its first statement has no step to show.
    await setScript(page, 'print("open);\n');
    await page.click('#step');
    await page.waitForFunction(() => !document.body.classList.contains('running'));
    assert.equal(await stepping(page), false);
    assert.equal(await page.textContent('#stderr'), runNative('print("open);\n').stderr);
  });

  test('a run past the cap is recorded up to 100,000 steps, runs on, and the page says so', async () => {
    const { page } = session;
    const passes = 60000;
    const script = `var i = 0;\nwhile (i < ${passes}) {\n  i = i + 1;\n}\nprint("i is", i);\n`;
    await record(page, script);
    assert.equal(await page.textContent('#status'), 'exit status 0', 'the run went on to its end');
    assert.equal(await page.textContent('#step-position'), 'Step 1 of 100,000');
    assert.match(await page.textContent('#step-note'), /first 100,000 steps were recorded; the run went on unrecorded to its end/);
    // var and while, then per pass the condition and the assignment.
    await page.click('#step-last');
    const last = await state(page);
    const pass = Math.floor((100000 - 3) / 2) + 1;
    const assigned = (100000 - 3) % 2 === 1;
    assert.equal(last.mark, assigned ? 'i = i + 1;' : `i < ${passes}`);
    assert.deepEqual(last.variables, [
      { name: 'i', value: String(assigned ? pass : pass - 1), kind: 'value-number', changed: assigned, shadowed: false },
    ]);
    assert.equal(last.stdout, '', 'the print after the loop is past the last recorded step');
  });

  test('a run whose changed values fill the record stops being recorded at the last whole step', async () => {
    const { page } = session;
    // Every step stores its new value, here a thousand bytes: the record fills long before
    // 100,000 steps, and the run goes on until Stop.
    const [a, b] = ['a'.repeat(1000), 'b'.repeat(1000)];
    await setScript(page, `var s = "${a}";\nwhile (1) {\n  s = "${b}";\n  s = "${a}";\n}\n`);
    await page.click('#step');
    await page.waitForFunction(() => /running on unrecorded/.test(document.getElementById('status').textContent));
    await page.click('#stop');
    await page.waitForSelector('#stepper:not([hidden])');
    const steps = Number((await page.textContent('#step-position')).replace(/,/g, '').match(/of (\d+)/)[1]);
    assert.ok(steps > 1000 && steps < 100000, `${steps} steps`);
    assert.match(await page.textContent('#step-note'), new RegExp(`first ${steps.toLocaleString('en')} steps were recorded`));
    // var and while, then per pass the condition and the two assignments.
    await page.click('#step-last');
    const phase = (steps - 3) % 3;
    const last = await state(page);
    assert.equal(last.mark, ['1', `s = "${b}";`, `s = "${a}";`][phase]);
    assert.deepEqual(last.variables, [
      { name: 's', value: phase === 1 ? b : a, kind: 'value-string', changed: phase !== 0, shadowed: false },
    ]);
  });

  test('Stop ends a recording at once and steps through what was recorded', async () => {
    const { page } = session;
    await setScript(page, 'var n = 0;\nwhile (1) {\n  n = n + 1;\n  print(n);\n}\n');
    await page.click('#step');
    await page.waitForFunction(() => /running on unrecorded/.test(document.getElementById('status').textContent));
    const start = Date.now();
    await page.click('#stop');
    await page.waitForSelector('#stepper:not([hidden])');
    assert.ok(Date.now() - start < 2000, `stopped in ${Date.now() - start} ms`);
    assert.equal(await page.textContent('#status'), 'Stopped');
    assert.match(await page.textContent('#step-note'), /unrecorded until it was stopped/);
    await page.click('#step-last');
    const last = await state(page);
    // var and while, then per pass the condition, the assignment and the print.
    const pass = Math.floor((100000 - 3) / 3) + 1;
    const phase = (100000 - 3) % 3;
    assert.equal(last.mark, ['1', 'n = n + 1;', 'print(n);'][phase]);
    assert.deepEqual(valuesOf(last), { n: String(phase === 0 ? pass - 1 : pass) });
    const printedLast = phase === 2 ? pass : pass - 1;
    assert.ok(last.stdout.endsWith(`\n${printedLast}\n`), 'the output ends with the last recorded print');
    await page.waitForTimeout(300);
    assert.deepEqual(await state(page), last, 'nothing changes once stopped');
  });
});
