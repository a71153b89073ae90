// The playground page: wires the editor, the examples menu, Run, Step and Stop, Step mode, the
// output pane and share links together.
import { Editor } from './editor.js';
import { Output } from './output.js';
import { examples } from './examples.js';
import { Runner } from './runner.js';
import { fragmentFor, scriptFromFragment } from './share.js';
import { tokenOffsets, findDirective } from './highlight.js';
import { ByteStore, Recording } from './stepper.js';

const ERROR_LINE = /^\[Error at line (-?\d+)\]/m;
// Standard output kept for Step mode; output past it is shown while recording, not when stepping.
const STEP_OUTPUT_LIMIT = 64 << 20;

const $ = (id) => document.getElementById(id);
const ui = {
  examples: $('examples'),
  run: $('run'),
  step: $('step'),
  stepper: $('stepper'),
  stepFirst: $('step-first'),
  stepBack: $('step-back'),
  stepForward: $('step-forward'),
  stepLast: $('step-last'),
  stepSlider: $('step-slider'),
  stepPosition: $('step-position'),
  stepLeave: $('step-leave'),
  stepNote: $('step-note'),
  variablesPane: $('variables-pane'),
  variables: document.querySelector('#variables tbody'),
  noVariables: $('no-variables'),
  stop: $('stop'),
  share: $('share'),
  shareRow: $('share-row'),
  shareLink: $('share-link'),
  shareLabel: document.querySelector('label[for="share-link"]'),
  status: $('status'),
  output: $('output'),
  stdout: $('stdout'),
  stderr: $('stderr'),
  trimmed: $('trimmed'),
};

// Once the script is edited, the menu no longer names an example, and Step mode ends.
const editor = new Editor($('editor'), () => {
  const example = examples.find((e) => e.name === ui.examples.value);
  if (example && example.text !== editor.text) ui.examples.value = '';
  leaveStepMode();
});

const output = new Output({ box: ui.output, stdout: ui.stdout, stderr: ui.stderr, trimmed: ui.trimmed });

function setRunning(running) {
  ui.stop.disabled = !running;
  document.body.classList.toggle('running', running);
}

function setStatus(text, kind) {
  ui.status.textContent = text;
  ui.status.dataset.kind = kind;
}

// The run being recorded for Step mode: the script, its output and, once it came, its record.
let recording = null;
// Step mode: the recorded run, the step shown (0-based) and where the script's tokens lie.
let stepping = null;

const runner = new Runner('worker.js', {
  output(fd, bytes) {
    if (recording && fd === 1) recording.stdout.add(bytes);
    output.add(fd, bytes);
  },
  record(record) {
    recording.record = record;
    // Output after the last recorded step is never shown in Step mode.
    recording.stdout.limit = record.steps > 0 ? record.output[record.steps - 1] : 0;
    if (record.capped) setStatus(`Recorded ${record.steps.toLocaleString('en')} steps; running on unrecorded…`, 'running');
  },
  exit(status) {
    output.finish();
    setRunning(false);
    setStatus(`exit status ${status}`, status === 0 ? 'ok' : 'error');
    if (enterStepMode({ status, stderr: ui.stderr.textContent })) return;
    const named = ERROR_LINE.exec(ui.stderr.textContent);
    if (named) editor.markError(Number(named[1]));
  },
  failed(message) {
    recording = null;
    output.finish();
    setRunning(false);
    setStatus(message, 'error');
  },
});

function start(record) {
  leaveStepMode();
  editor.clearError();
  output.reset();
  recording = record ? { script: editor.text, stdout: new ByteStore(STEP_OUTPUT_LIMIT), record: null } : null;
  setStatus(record ? 'Recording…' : 'Running…', 'running');
  setRunning(true);
  runner.run(editor.text, record);
}

const run = () => start(false);
const step = () => start(true);

function stop() {
  if (!runner.stop()) return;
  output.finish();
  setRunning(false);
  setStatus('Stopped', 'stopped');
  // A recording stopped after its record came is stepped through as far as it goes.
  enterStepMode(null);
}

// Enters Step mode with the run just recorded, if it has a record of at least one step;
// end: { status, stderr } of the run, or null when it was stopped.
function enterStepMode(end) {
  const done = recording;
  recording = null;
  if (!done?.record || done.record.steps === 0 || done.script !== editor.text) return false;
  const shown = new Recording(done.record, done.stdout.join(), end);
  const tokens = tokenOffsets(done.script);
  // The page finds the tokens as the lexer does; should it ever differ, lines are marked.
  const exact = tokens.length === done.record.tokens - 1;
  stepping = { shown, tokens: exact ? tokens : null, step: 0, directive: findDirective(done.script) >= 0 };
  ui.stepSlider.max = String(shown.length);
  const notes = [];
  if (done.record.capped) {
    notes.push(`Only the first ${shown.length.toLocaleString('en')} steps were recorded; the run went on ` +
      (end ? 'unrecorded to its end.' : 'unrecorded until it was stopped.'));
  } else if (!end) {
    notes.push('The run was stopped: its last step is the last one shown.');
  }
  ui.stepNote.textContent = notes.join(' ');
  ui.stepNote.hidden = notes.length === 0;
  ui.stepper.hidden = false;
  ui.variablesPane.hidden = false;
  document.body.classList.add('stepping');
  showStep(0);
  ui.stepForward.focus();
  return true;
}

function leaveStepMode() {
  if (!stepping) return;
  stepping = null;
  ui.stepper.hidden = true;
  ui.variablesPane.hidden = true;
  document.body.classList.remove('stepping');
  editor.clearStep();
}

function showStep(step) {
  const { shown } = stepping;
  step = Math.max(0, Math.min(shown.length - 1, step));
  stepping.step = step;
  const { first, last, line } = shown.at(step);
  if (stepping.tokens) {
    editor.markStep(stepping.tokens[first].start, stepping.tokens[last].end);
  } else {
    // Lines after a directive line count from the line after it, as the lexer counts them.
    const shift = stepping.directive ? 1 : 0;
    editor.markStepLines(line + shift, line + shift);
  }
  showVariables(shown.variablesAt(step));
  output.show(shown.outputAt(step), shown.errorAt(step));
  ui.stepSlider.value = String(step + 1);
  ui.stepPosition.textContent = `Step ${(step + 1).toLocaleString('en')} of ${shown.length.toLocaleString('en')}`;
  ui.stepFirst.disabled = ui.stepBack.disabled = step === 0;
  ui.stepForward.disabled = ui.stepLast.disabled = step === shown.length - 1;
}

function showVariables(variables) {
  const rows = variables.map(({ name, value, string, changed, shadowed }) => {
    const row = document.createElement('tr');
    if (changed) row.classList.add('changed');
    if (shadowed) row.classList.add('shadowed');
    const nameCell = row.insertCell();
    nameCell.textContent = name;
    const valueCell = row.insertCell();
    const text = valueCell.appendChild(document.createElement('span'));
    text.className = string ? 'value-string' : 'value-number';
    text.textContent = value;
    const notes = [];
    if (changed) notes.push('changed');
    if (shadowed) notes.push(`never read: the first ${name} is used`);
    if (notes.length) {
      const note = valueCell.appendChild(document.createElement('span'));
      note.className = 'value-note';
      note.textContent = notes.join(' · ');
    }
    return row;
  });
  ui.variables.replaceChildren(...rows);
  ui.noVariables.hidden = rows.length > 0;
}

function moveStep(to) {
  if (stepping && !ui.stepper.hidden) showStep(to);
}

function loadExample(name) {
  const example = examples.find((e) => e.name === name);
  if (!example) return;
  editor.text = example.text;
  ui.examples.value = name;
  // The address no longer names the script in the editor.
  if (location.hash) history.replaceState(null, '', location.pathname + location.search);
}

async function share() {
  const url = location.origin + location.pathname + location.search + fragmentFor(editor.text);
  history.replaceState(null, '', url);
  ui.shareLink.value = url;
  ui.shareRow.hidden = false;
  ui.shareLink.select();
  try {
    await navigator.clipboard.writeText(url);
    ui.shareLabel.textContent = 'Link copied to the clipboard';
  } catch {
    ui.shareLabel.textContent = 'Link to this script';
  }
}

// A script in the address wins over the default example; returns whether there was one.
function loadFromAddress() {
  const script = scriptFromFragment(location.hash);
  if (script === null) return false;
  editor.text = script;
  ui.examples.value = '';
  return true;
}

for (const { name } of examples) ui.examples.add(new Option(name, name));
ui.examples.addEventListener('change', () => loadExample(ui.examples.value));
ui.run.addEventListener('click', run);
ui.step.addEventListener('click', step);
ui.stepFirst.addEventListener('click', () => moveStep(0));
ui.stepBack.addEventListener('click', () => moveStep(stepping.step - 1));
ui.stepForward.addEventListener('click', () => moveStep(stepping.step + 1));
ui.stepLast.addEventListener('click', () => moveStep(Infinity));
ui.stepSlider.addEventListener('input', () => moveStep(Number(ui.stepSlider.value) - 1));
ui.stepLeave.addEventListener('click', () => {
  leaveStepMode();
  editor.input.focus();
});
ui.stop.addEventListener('click', stop);
ui.share.addEventListener('click', share);
window.addEventListener('hashchange', loadFromAddress);
// Keys that move through the steps, when no text field or the slider (which has its own) has
// the focus.
const STEP_KEYS = {
  ArrowLeft: () => stepping.step - 1,
  ArrowRight: () => stepping.step + 1,
  Home: () => 0,
  End: () => Infinity,
};

document.addEventListener('keydown', (event) => {
  if ((event.ctrlKey || event.metaKey) && event.key === 'Enter') {
    event.preventDefault();
    event.shiftKey ? step() : run();
    return;
  }
  if (!stepping || event.ctrlKey || event.metaKey || event.altKey) return;
  const target = event.target;
  // In the editor, Escape is the first half of leaving it with Tab.
  if (event.key === 'Escape' && !target.matches?.('textarea')) {
    leaveStepMode();
  } else if (STEP_KEYS[event.key] && !target.matches?.('textarea, input, select')) {
    event.preventDefault();
    moveStep(STEP_KEYS[event.key]());
  }
});

if (!loadFromAddress()) {
  const first = examples.find((e) => e.name === 'hello.ulv') ?? examples[0];
  if (first) loadExample(first.name);
}
document.body.dataset.ready = 'true';

if ('serviceWorker' in navigator) {
  navigator.serviceWorker.register('sw.js').catch(() => {
    // Without a service worker the page still works, only not offline.
  });
}
