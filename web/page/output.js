// The output pane: standard output as the script prints it, then the error line apart from
// it. Bytes are decoded as they come (a character may be split across writes) and drawn once
// per frame at most. Standard output is kept in blocks of whole lines, so that adding to a long output
// lays out only the new block, and the oldest blocks go once it grows past MAX_CHARS. Text
// that would be trimmed at once is dropped before it is laid out, so a flood stays cheap.

const MAX_CHARS = 400_000;
const BLOCK_CHARS = 4096;
// Draws come at least this far apart, so that a flood of output is laid out a few times a
// second rather than in every frame.
const DRAW_MS = 100;

export class Output {
  // box: the scrolling element; stdout, stderr: the elements the two streams go in;
  // trimmed: a note shown once early output has been dropped.
  constructor({ box, stdout, stderr, trimmed }) {
    Object.assign(this, { box, stdout, stderr, trimmed });
    this.reset();
  }

  reset() {
    this.decoders = { 1: new TextDecoder(), 2: new TextDecoder() };
    this.lastDraw = -Infinity;
    this.pending = { 1: '', 2: '' };
    this.chars = 0;
    this.stdout.replaceChildren();
    this.stderr.textContent = '';
    this.trimmed.hidden = true;
  }

  // Adds bytes written to file descriptor fd (1 or 2).
  add(fd, bytes) {
    this.pending[fd] += this.decoders[fd].decode(bytes, { stream: true });
    // A page in the background draws no frames: what it could never show goes now.
    if (this.pending[1].length > 2 * MAX_CHARS) this.dropEarly();
    if (!this.scheduled) {
      this.scheduled = true;
      const wait = this.lastDraw + DRAW_MS - performance.now();
      if (wait > 0) setTimeout(() => requestAnimationFrame(() => this.draw()), wait);
      else requestAnimationFrame(() => this.draw());
    }
  }

  // Draws what is left, the end of a split character included.
  finish() {
    for (const fd of [1, 2]) this.pending[fd] += this.decoders[fd].decode();
    this.draw();
  }

  draw() {
    this.scheduled = false;
    this.lastDraw = performance.now();
    const box = this.box;
    const atBottom = box.scrollTop + box.clientHeight >= box.scrollHeight - 4;
    if (this.pending[1].length > MAX_CHARS) this.dropEarly();
    if (this.pending[1]) this.appendStdout(this.pending[1]);
    if (this.pending[2]) this.stderr.append(this.pending[2]);
    this.pending = { 1: '', 2: '' };
    if (atBottom) box.scrollTop = box.scrollHeight;
  }

  // Keeps only the last MAX_CHARS of pending standard output, from a line's start, and
  // everything shown before it goes.
  dropEarly() {
    const text = this.pending[1];
    const newline = text.indexOf('\n', text.length - MAX_CHARS - 1);
    this.pending[1] = text.slice(newline >= 0 && newline < text.length - 1 ? newline + 1 : text.length - MAX_CHARS);
    this.stdout.replaceChildren();
    this.chars = 0;
    this.trimmed.hidden = false;
  }

  // Shows a whole output at once, in place of what is shown: standard output's bytes, and
  // the error text when there is one.
  show(bytes, error = '') {
    this.reset();
    // Bytes that would be trimmed are not decoded; the rest starts after a newline.
    let start = Math.max(0, bytes.length - 4 * MAX_CHARS);
    if (start > 0) {
      start = bytes.indexOf(10, start) + 1 || bytes.length;
      this.trimmed.hidden = false;
    }
    this.pending[1] = this.decoders[1].decode(bytes.subarray(start));
    this.pending[2] = error;
    this.draw();
    this.box.scrollTop = this.box.scrollHeight;
  }

  appendStdout(text) {
    let block = this.stdout.lastElementChild;
    while (text) {
      let used = block ? block.textContent.length : 0;
      // A new block starts only after a newline, so the lines read on across blocks as printed.
      if (!block || (used >= BLOCK_CHARS && block.textContent.endsWith('\n'))) {
        block = this.stdout.appendChild(document.createElement('div'));
        used = 0;
      }
      // Cut after the last newline that fits; a line longer than the room stays whole.
      let cut = text.length;
      if (text.length > BLOCK_CHARS - used) {
        const last = text.lastIndexOf('\n', BLOCK_CHARS - used - 1);
        const first = text.indexOf('\n');
        cut = last >= 0 && BLOCK_CHARS - used > 0 ? last + 1 : first >= 0 ? first + 1 : text.length;
      }
      block.append(text.slice(0, cut));
      this.chars += cut;
      text = text.slice(cut);
    }
    while (this.chars > MAX_CHARS && this.stdout.childElementCount > 1) {
      this.chars -= this.stdout.firstElementChild.textContent.length;
      this.stdout.firstElementChild.remove();
      this.trimmed.hidden = false;
    }
  }
}
