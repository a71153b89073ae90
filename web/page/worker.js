// Playground worker: holds one fresh interpreter instance and runs one script with it, the
// way the command line does: the script is written to a file and main is called with its
// path. Writes to standard output and error are passed to the page as they happen.
importScripts('ulvane.js');

const SCRIPT_PATH = 'script.ulv';

// At most POSTS_PER_WINDOW messages go to the page in each WINDOW_MS: a loop that prints
// without end would otherwise send more messages than the page can handle and freeze it.
const WINDOW_MS = 50;
const POSTS_PER_WINDOW = 500;
let windowStart = 0;
let postsInWindow = 0;
// The pieces of the write system call in progress, per file descriptor.
const pieces = { 1: [], 2: [] };
let wholeWrites = false;

// Called when a write system call on fd ends: what it wrote goes to the page at once, newline
// or not (the interpreter flushes after every print statement). A script that prints faster
// than the page takes messages waits for the next window here rather than having its output
// held back, which a loop that then prints nothing more would leave unseen.
function writeDone(fd) {
  if (pieces[fd].length === 0) return;
  if (postsInWindow >= POSTS_PER_WINDOW) {
    while (performance.now() - windowStart < WINDOW_MS) {
      // Busy waiting: the worker has nothing else to do, and cannot sleep.
    }
  }
  const now = performance.now();
  if (now - windowStart >= WINDOW_MS) {
    windowStart = now;
    postsInWindow = 0;
  }
  postsInWindow++;
  const bytes = new Uint8Array(pieces[fd].reduce((sum, piece) => sum + piece.length, 0));
  let at = 0;
  for (const piece of pieces[fd]) {
    bytes.set(piece, at);
    at += piece.length;
  }
  pieces[fd] = [];
  postMessage({ type: 'output', fd, bytes }, [bytes.buffer]);
}

// Makes file descriptor fd (1 or 2) collect what is written to it in pieces[fd].
function capture(module, fd) {
  const stream = module.FS.getStream(fd);
  stream.stream_ops = {
    write(_stream, buffer, offset, length) {
      if (length > 0) pieces[fd].push(new Uint8Array(buffer.buffer, buffer.byteOffset + offset, length).slice());
      // Without the wrapper below (another emscripten), each piece counts as a write.
      if (!wholeWrites) writeDone(fd);
      return length;
    },
  };
}

// Instantiates the module with its write system call wrapped, so that writeDone() sees
// whole writes: the C library hands one write to the file system in several pieces.
function instantiateWasm(imports, receive) {
  let wrapped = false;
  for (const functions of Object.values(imports)) {
    for (const [name, fn] of Object.entries(functions)) {
      if (fn.name !== '_fd_write') continue;
      functions[name] = (fd, ...rest) => {
        const result = fn(fd, ...rest);
        writeDone(fd);
        return result;
      };
      wrapped = true;
    }
  }
  wholeWrites = wrapped;
  const fetchBinary = () =>
    fetch('ulvane.wasm').then((response) => {
      if (!response.ok) throw new Error(`ulvane.wasm: HTTP ${response.status}`);
      return response.arrayBuffer();
    });
  WebAssembly.instantiateStreaming(fetch('ulvane.wasm'), imports)
    .catch(() => fetchBinary().then((binary) => WebAssembly.instantiate(binary, imports)))
    .then(({ instance, module }) => receive(instance, module), failLoading);
  return {};
}

// The module's own promise never settles when instantiateWasm fails: this one does.
let failLoading;
const loadFailure = new Promise((_, reject) => (failLoading = reject));
loadFailure.catch(() => {});

// Unused printers: output reaches the page through capture() and writeDone().
const ready = createUlvane({ print() {}, printErr() {}, instantiateWasm });

self.onmessage = async (event) => {
  let module;
  try {
    module = await Promise.race([ready, loadFailure]);
  } catch (error) {
    postMessage({ type: 'failed', message: `The interpreter could not be loaded: ${error}` });
    return;
  }
  module.FS.writeFile(SCRIPT_PATH, event.data.script);
  capture(module, 1);
  capture(module, 2);
  try {
    // callMain returns main's status, and exit()'s status after an error.
    const status = module.callMain([SCRIPT_PATH]);
    postMessage({ type: 'exit', status });
  } catch (error) {
    postMessage({ type: 'failed', message: `The interpreter stopped: ${error}` });
  }
};
