// Playground worker: holds one fresh interpreter instance and runs one script with it, the
// way the command line does: the script is written to a file and main is called with its
// path. Writes to standard output and error are passed to the page as they happen.
importScripts('ulvane.js');

const SCRIPT_PATH = 'script.ulv';

// At most POSTS_PER_WINDOW messages go to the page in each WINDOW_MS: a loop that prints
// without end would otherwise send more messages than the page can handle and freeze it.
const WINDOW_MS = 16;
const POSTS_PER_WINDOW = 16;
let windowStart = 0;
let postsInWindow = 0;
const held = { 1: [], 2: [] };
let wholeWrites = false;

function post(fd) {
  const chunks = held[fd];
  const bytes = new Uint8Array(chunks.reduce((sum, chunk) => sum + chunk.length, 0));
  let at = 0;
  for (const chunk of chunks) {
    bytes.set(chunk, at);
    at += chunk.length;
  }
  held[fd] = [];
  postMessage({ type: 'output', fd, bytes }, [bytes.buffer]);
}

function postHeld() {
  for (const fd of [1, 2]) if (held[fd].length > 0) post(fd);
}

// Called when a write system call on fd ends. What it wrote goes to the page at once, newline
// or not (the interpreter flushes after every print statement), unless this window's posts
// are used up: then it waits for the next write in a later window, or the end of the run.
function writeDone(fd) {
  if (held[fd].length === 0) return;
  const now = performance.now();
  if (now - windowStart >= WINDOW_MS) {
    windowStart = now;
    postsInWindow = 0;
  }
  if (postsInWindow < POSTS_PER_WINDOW) {
    postsInWindow++;
    post(fd);
  }
}

// Makes file descriptor fd (1 or 2) keep what is written to it in held[fd].
function capture(module, fd) {
  const stream = module.FS.getStream(fd);
  stream.stream_ops = {
    write(_stream, buffer, offset, length) {
      if (length > 0) held[fd].push(new Uint8Array(buffer.buffer, buffer.byteOffset + offset, length).slice());
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
  WebAssembly.instantiateStreaming(fetch('ulvane.wasm'), imports)
    .catch(() => fetch('ulvane.wasm').then((response) => response.arrayBuffer()).then((binary) => WebAssembly.instantiate(binary, imports)))
    .then(({ instance, module }) => receive(instance, module))
    .catch((error) => postMessage({ type: 'failed', message: `The interpreter could not be loaded: ${error}` }));
  return {};
}

// Unused printers: output reaches the page through capture() and writeDone().
const ready = createUlvane({ print() {}, printErr() {}, instantiateWasm });

self.onmessage = async (event) => {
  let module;
  try {
    module = await ready;
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
    postHeld();
    postMessage({ type: 'exit', status });
  } catch (error) {
    postHeld();
    postMessage({ type: 'failed', message: `The interpreter stopped: ${error}` });
  }
};
