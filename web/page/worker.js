// Playground worker: holds one fresh interpreter instance and runs one script with it, the
// way the command line does: the script is written to a file and main is called with its
// path. Writes to standard output and error are passed to the page as they happen.
importScripts('ulvane.js');

const SCRIPT_PATH = 'script.ulv';

// Unused printers: writes reach the page through forward() below, byte for byte.
const ready = createUlvane({ print() {}, printErr() {} });

// At most POSTS_PER_WINDOW messages go to the page in each WINDOW_MS: a loop that prints
// without end would otherwise send more messages than the page can handle and freeze it.
const WINDOW_MS = 16;
const POSTS_PER_WINDOW = 16;
let windowStart = 0;
let postsInWindow = 0;
const held = { 1: [], 2: [] };

// Posts the bytes held for fd and those of this write together.
function post(fd) {
  const chunks = held[fd];
  const length = chunks.reduce((sum, chunk) => sum + chunk.length, 0);
  const bytes = new Uint8Array(length);
  let at = 0;
  for (const chunk of chunks) {
    bytes.set(chunk, at);
    at += chunk.length;
  }
  held[fd] = [];
  postMessage({ type: 'output', fd, bytes }, [bytes.buffer]);
}

// Each write is posted at once, newline or not (the interpreter flushes after every print
// statement), unless this window's posts are used up: then its bytes wait for the next write
// in a later window, or the end of the run.
function write(fd, buffer, offset, length) {
  held[fd].push(new Uint8Array(buffer.buffer, buffer.byteOffset + offset, length).slice());
  const now = performance.now();
  if (now - windowStart >= WINDOW_MS) {
    windowStart = now;
    postsInWindow = 0;
  }
  if (postsInWindow < POSTS_PER_WINDOW) {
    postsInWindow++;
    post(fd);
  }
  return length;
}

function postHeld() {
  for (const fd of [1, 2]) if (held[fd].length > 0) post(fd);
}

// Replaces the write of file descriptor fd (1 or 2) with write() above.
function forward(module, fd) {
  const stream = module.FS.getStream(fd);
  stream.stream_ops = { ...stream.stream_ops, write: (_stream, ...rest) => write(fd, ...rest) };
}

self.onmessage = async (event) => {
  let module;
  try {
    module = await ready;
  } catch (error) {
    postMessage({ type: 'failed', message: `The interpreter could not be loaded: ${error}` });
    return;
  }
  module.FS.writeFile(SCRIPT_PATH, event.data.script);
  forward(module, 1);
  forward(module, 2);
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
