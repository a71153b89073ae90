// Playground worker: holds one fresh interpreter instance and runs one script with it, the
// way the command line does: the script is written to a file and main is called with its
// path. What the script writes to standard output and error goes to the page in batches; a
// run started by Step is also recorded, and its record goes to the page as well.
importScripts('ulvane.js');

const SCRIPT_PATH = 'script.ulv';

// Output waits here at most WINDOW_MS before it goes to the page, so that a script printing
// line after line sends a few dozen messages a second, not one per line. More than
// BATCH_BYTES in one window is sent as soon as the window ends, the interpreter waiting for
// it: an endless flood is paced to what the page can draw and cannot bury it in messages.
const WINDOW_MS = 25;
const BATCH_BYTES = 1 << 17;

// Per file descriptor (1, 2): the bytes written and not yet sent, and how many there are.
const held = { 1: new Uint8Array(1 << 16), 2: new Uint8Array(1 << 10) };
const heldLength = { 1: 0, 2: 0 };
let lastSent = -Infinity;
let module = null;
let memory = null;

function hold(fd, bytes) {
  const length = heldLength[fd] + bytes.length;
  if (length > held[fd].length) {
    const bigger = new Uint8Array(Math.max(length, held[fd].length * 2));
    bigger.set(held[fd].subarray(0, heldLength[fd]));
    held[fd] = bigger;
  }
  held[fd].set(bytes, heldLength[fd]);
  heldLength[fd] = length;
  // The record counts standard output's bytes as they are written, not as they are sent.
  if (fd === 1 && module) module.outputBytes += bytes.length;
}

function sendHeld() {
  for (const fd of [1, 2]) {
    if (heldLength[fd] === 0) continue;
    const bytes = held[fd].slice(0, heldLength[fd]);
    heldLength[fd] = 0;
    postMessage({ type: 'output', fd, bytes }, [bytes.buffer]);
  }
  lastSent = performance.now();
}

// After each write: the output goes at once unless some went less than a window ago. What
// is held then goes with a later write, or when the interpreter calls checkHeld() between
// statements, so a script that prints and then only computes still shows its output.
function written() {
  const now = performance.now();
  if (heldLength[1] + heldLength[2] >= BATCH_BYTES) {
    while (performance.now() - lastSent < WINDOW_MS) {
      // Busy waiting: the worker has nothing else to do, and cannot sleep.
    }
    sendHeld();
  } else if (now - lastSent >= WINDOW_MS) {
    sendHeld();
  }
}

function checkHeld() {
  if (heldLength[1] + heldLength[2] > 0 && performance.now() - lastSent >= WINDOW_MS) sendHeld();
}

// fd_write for standard output and error: takes the bytes of every buffer of the write
// straight from the module's memory.
function writeOutput(fd, iov, iovcnt, pnum) {
  const words = new Uint32Array(memory.buffer);
  let total = 0;
  for (let i = 0; i < iovcnt; i++) {
    const pointer = words[(iov >> 2) + 2 * i];
    const length = words[(iov >> 2) + 2 * i + 1];
    if (length > 0) hold(fd, new Uint8Array(memory.buffer, pointer, length));
    total += length;
  }
  words[pnum >> 2] = total;
  written();
  return 0;
}

// Instantiates the module with its write system call replaced for descriptors 1 and 2.
let replaced = false;
function instantiateWasm(imports, receive) {
  for (const functions of Object.values(imports)) {
    for (const [name, fn] of Object.entries(functions)) {
      if (fn.name !== '_fd_write') continue;
      functions[name] = (fd, ...rest) => (fd === 1 || fd === 2) && memory ? writeOutput(fd, ...rest) : fn(fd, ...rest);
      replaced = true;
    }
  }
  const fetchBinary = () =>
    fetch('ulvane.wasm').then((response) => {
      if (!response.ok) throw new Error(`ulvane.wasm: HTTP ${response.status}`);
      return response.arrayBuffer();
    });
  const start = ({ instance, module: compiled }) => {
    memory = Object.values(instance.exports).find((value) => value instanceof WebAssembly.Memory) ?? null;
    receive(instance, compiled);
  };
  WebAssembly.instantiateStreaming(fetch('ulvane.wasm'), imports)
    .catch(() => fetchBinary().then((binary) => WebAssembly.instantiate(binary, imports)))
    .then(start, failLoading);
  return {};
}

// Without the replacement (another emscripten), each write reaches the file system's stream.
function capture(fd) {
  module.FS.getStream(fd).stream_ops = {
    write(_stream, buffer, offset, length) {
      hold(fd, buffer.subarray(offset, offset + length));
      written();
      return length;
    },
  };
}

// The module's own promise never settles when instantiateWasm fails: this one does.
let failLoading;
const loadFailure = new Promise((_, reject) => (failLoading = reject));
loadFailure.catch(() => {});

// Unused printers: output reaches the page through writeOutput() or capture().
const ready = createUlvane({ print() {}, printErr() {}, instantiateWasm });

// The record as the page reads it: the interpreter's arrays, the names of the variables and
// the values of the changes as text.
function sendRecord(record) {
  const decoder = new TextDecoder();
  const names = decoder.decode(record.names).split('\n').slice(0, -1);
  const values = decoder.decode(record.texts).split('\0').slice(0, -1);
  const { texts: _texts, names: _names, ...arrays } = record;
  sendHeld();
  const buffers = ['first', 'last', 'line', 'output', 'changes', 'variable', 'string'].map((key) => arrays[key].buffer);
  postMessage({ type: 'record', record: { ...arrays, names, values } }, buffers);
}

self.onmessage = async (event) => {
  try {
    module = await Promise.race([ready, loadFailure]);
  } catch (error) {
    postMessage({ type: 'failed', message: `The interpreter could not be loaded: ${error}` });
    return;
  }
  module.FS.writeFile(SCRIPT_PATH, event.data.script);
  module.outputBytes = 0;
  module.checkOutput = checkHeld;
  if (!replaced || !memory) {
    capture(1);
    capture(2);
  }
  if (event.data.record) {
    module.onRecord = sendRecord;
    module._ulvane_record_run();
  }
  try {
    // callMain returns main's status, and exit()'s status after an error.
    const status = module.callMain([SCRIPT_PATH]);
    sendHeld();
    postMessage({ type: 'exit', status });
  } catch (error) {
    sendHeld();
    postMessage({ type: 'failed', message: `The interpreter stopped: ${error}` });
  }
};
