// Playground worker: holds one fresh interpreter instance and runs one script with it, the
// way the command line does: the script is written to a file and main is called with its
// path. Every write to standard output or error is passed to the page as it happens.
importScripts('ulvane.js');

const SCRIPT_PATH = 'script.ulv';

// Unused printers: writes reach the page through forward() below, byte for byte.
const ready = createUlvane({ print() {}, printErr() {} });

// Replaces the write of file descriptor fd with one that posts each write's bytes at once,
// newline or not: the interpreter flushes after every print statement.
function forward(module, fd) {
  const stream = module.FS.getStream(fd);
  stream.stream_ops = {
    ...stream.stream_ops,
    write(_stream, buffer, offset, length) {
      const bytes = new Uint8Array(buffer.buffer, buffer.byteOffset + offset, length).slice();
      postMessage({ type: 'output', fd, bytes }, [bytes.buffer]);
      return length;
    },
  };
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
    postMessage({ type: 'exit', status });
  } catch (error) {
    postMessage({ type: 'failed', message: `The interpreter stopped: ${error}` });
  }
};
