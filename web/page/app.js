// The playground page: wires the editor, the examples menu, Run and Stop, the output pane and
// share links together.
import { Editor } from './editor.js';
import { Output } from './output.js';
import { examples } from './examples.js';
import { Runner } from './runner.js';
import { fragmentFor, scriptFromFragment } from './share.js';

const ERROR_LINE = /^\[Error at line (-?\d+)\]/m;

const $ = (id) => document.getElementById(id);
const ui = {
  examples: $('examples'),
  run: $('run'),
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

// Once the script is edited, the menu no longer names an example.
const editor = new Editor($('editor'), () => {
  const example = examples.find((e) => e.name === ui.examples.value);
  if (example && example.text !== editor.text) ui.examples.value = '';
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

const runner = new Runner('worker.js', {
  output: (fd, bytes) => output.add(fd, bytes),
  exit(status) {
    output.finish();
    setRunning(false);
    setStatus(`exit status ${status}`, status === 0 ? 'ok' : 'error');
    const named = ERROR_LINE.exec(ui.stderr.textContent);
    if (named) editor.markError(Number(named[1]));
  },
  failed(message) {
    output.finish();
    setRunning(false);
    setStatus(message, 'error');
  },
});

function run() {
  editor.clearError();
  output.reset();
  setStatus('Running…', 'running');
  setRunning(true);
  runner.run(editor.text);
}

function stop() {
  if (!runner.stop()) return;
  output.finish();
  setRunning(false);
  setStatus('Stopped', 'stopped');
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
ui.stop.addEventListener('click', stop);
ui.share.addEventListener('click', share);
window.addEventListener('hashchange', loadFromAddress);
document.addEventListener('keydown', (event) => {
  if ((event.ctrlKey || event.metaKey) && event.key === 'Enter') {
    event.preventDefault();
    run();
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
