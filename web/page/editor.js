// The playground's script editor: a text area drawn over a highlighted copy of its text,
// with line numbers, a marked error line, the statement of a step marked in Step mode, `#`
// comment toggling (Ctrl+/), auto-closed
// `(`, `{` and `"`, and indentation kept on Enter. Edits go through insertText so that the
// browser's undo keeps working.
import { scan, toHtml } from './highlight.js';

const INDENT = '  ';
const PAIRS = { '(': ')', '{': '}', '"': '"' };
const isWordChar = (c) => /[A-Za-z0-9_]/.test(c ?? '');

export class Editor {
  // root: an empty element to build the editor in; onChange() is called after every edit.
  constructor(root, onChange = () => {}) {
    this.onChange = onChange;
    this.lineCount = 0;
    this.errorLine = 0;
    this.step = null;
    this.escaped = false;
    root.classList.add('editor');
    root.innerHTML = `
      <div class="editor-sheet">
        <div class="editor-gutter" aria-hidden="true"></div>
        <div class="editor-code">
          <div class="editor-error-band" hidden></div>
          <div class="editor-step-band" hidden></div>
          <pre class="editor-highlight" aria-hidden="true"></pre>
          <textarea class="editor-input" spellcheck="false" autocapitalize="off" autocomplete="off" autocorrect="off"
            wrap="off" aria-label="Script"></textarea>
        </div>
      </div>`;
    this.gutter = root.querySelector('.editor-gutter');
    this.band = root.querySelector('.editor-error-band');
    this.stepBand = root.querySelector('.editor-step-band');
    this.highlight = root.querySelector('.editor-highlight');
    this.input = root.querySelector('.editor-input');
    this.input.addEventListener('input', () => {
      this.clearError();
      this.clearStep();
      this.render();
      this.onChange();
    });
    this.input.addEventListener('keydown', (event) => this.onKey(event));
    this.render();
  }

  get text() {
    return this.input.value;
  }

  // Replaces the whole text as one undoable edit.
  set text(value) {
    const focused = document.activeElement === this.input;
    this.input.focus({ preventScroll: true });
    this.input.select();
    this.insert(value, 0);
    if (!focused) this.input.blur();
  }

  render() {
    const text = this.input.value;
    // The trailing blank gives a final empty line its height, as in the text area.
    this.highlight.innerHTML = toHtml(text, this.step) + ' ';
    const count = text.split('\n').length;
    if (count !== this.lineCount) {
      this.lineCount = count;
      let html = '';
      for (let line = 1; line <= count; line++) html += `<div>${line}</div>`;
      this.gutter.innerHTML = html;
    }
  }

  // Marks line `line` (1-based) as the one an error names; false when there is no such line.
  markError(line) {
    this.clearError();
    const number = this.gutter.children[line - 1];
    if (!number) return false;
    this.errorLine = line;
    number.classList.add('error');
    this.band.style.setProperty('--error-index', String(line - 1));
    this.band.hidden = false;
    number.scrollIntoView({ block: 'nearest' });
    return true;
  }

  // Marks the text from offset start to end as what runs in a step, and its lines.
  markStep(start, end) {
    const text = this.input.value;
    const first = text.slice(0, start).split('\n').length;
    const last = first + (text.slice(start, end).match(/\n/g)?.length ?? 0);
    this.step = { start, end };
    this.render();
    this.markStepLines(first, last);
  }

  // Marks lines first to last (1-based) alone, when the text of a step is not known.
  markStepLines(first, last) {
    for (const number of this.gutter.querySelectorAll('.step')) number.classList.remove('step');
    for (let line = first; line <= last; line++) this.gutter.children[line - 1]?.classList.add('step');
    this.stepBand.style.setProperty('--step-index', String(first - 1));
    this.stepBand.style.setProperty('--step-lines', String(last - first + 1));
    this.stepBand.hidden = false;
    this.gutter.children[first - 1]?.scrollIntoView({ block: 'nearest' });
  }

  clearStep() {
    if (this.stepBand.hidden) return;
    for (const number of this.gutter.querySelectorAll('.step')) number.classList.remove('step');
    this.stepBand.hidden = true;
    if (this.step) {
      this.step = null;
      this.render();
    }
  }

  clearError() {
    if (!this.errorLine) return;
    this.gutter.children[this.errorLine - 1]?.classList.remove('error');
    this.band.hidden = true;
    this.errorLine = 0;
  }

  // Replaces the selection with `text`, then selects [start, end) counted from where the
  // inserted text begins (by default the caret goes after it).
  insert(text, start = text.length, end = start) {
    const input = this.input;
    const at = input.selectionStart;
    if (!document.execCommand('insertText', false, text)) {
      input.setRangeText(text, input.selectionStart, input.selectionEnd, 'end');
      input.dispatchEvent(new Event('input'));
    }
    input.setSelectionRange(at + start, at + end);
  }

  onKey(event) {
    if (event.isComposing) return;
    const mod = event.ctrlKey || event.metaKey;
    const handled = mod
      ? event.key === '/' && !event.altKey && (this.toggleComment(), true)
      : !event.altKey && this.onPlainKey(event);
    this.escaped = event.key === 'Escape';
    if (handled) event.preventDefault();
  }

  // Returns true when the key was handled here.
  onPlainKey(event) {
    const input = this.input;
    const { selectionStart: start, selectionEnd: end, value } = input;
    const before = value[start - 1];
    const after = value[end];
    const key = event.key;
    if (key === 'Tab') {
      // Escape then Tab leaves the editor, so keyboard users are not trapped in it.
      if (this.escaped) return false;
      event.shiftKey ? this.outdent() : this.insert(INDENT);
      return true;
    }
    if (key === 'Enter') {
      const lineStart = value.lastIndexOf('\n', start - 1) + 1;
      const indent = /^[ \t]*/.exec(value.slice(lineStart, start))[0];
      if (before === '{' && start === end) {
        const inner = indent + INDENT;
        const tail = after === '}' ? '\n' + indent : '';
        this.insert('\n' + inner + tail, 1 + inner.length);
      } else {
        this.insert('\n' + indent);
      }
      return true;
    }
    if (key === 'Backspace' && start === end && start > 0 && PAIRS[before] === after && after !== undefined) {
      input.setSelectionRange(start - 1, start + 1);
      this.insert('');
      return true;
    }
    if ((key === ')' || key === '}' || (key === '"' && this.closesString(start))) && start === end && after === key) {
      input.setSelectionRange(start + 1, start + 1);
      return true;
    }
    if (PAIRS[key]) {
      const close = PAIRS[key];
      if (start !== end) {
        const selected = value.slice(start, end);
        this.insert(key + selected + close, 1, 1 + selected.length);
        return true;
      }
      // No pair before a word, nor a second quote after a word or a backslash.
      if (isWordChar(after) || (key === '"' && (isWordChar(before) || before === '\\'))) return false;
      this.insert(key + close, 1);
      return true;
    }
    return false;
  }

  // True when the character at offset `at` is the closing quote of a string literal.
  closesString(at) {
    return scan(this.input.value).some((piece) => piece.type === 'string' && piece.start < at && piece.end === at + 1);
  }

  // The whole lines the selection touches: [start, end) offsets in the text.
  selectedLines() {
    const { selectionStart: start, selectionEnd: end, value } = this.input;
    // A selection that ends at the start of a line does not take that line in.
    const last = end > start && value[end - 1] === '\n' ? end - 1 : end;
    const lineStart = value.lastIndexOf('\n', start - 1) + 1;
    const newline = value.indexOf('\n', last);
    return [lineStart, newline < 0 ? value.length : newline];
  }

  // Rewrites the selected lines with edit(lines) as one undoable edit. A selection then covers
  // the lines; a caret stays where it was on its line.
  editLines(edit) {
    const { selectionStart: caret, selectionEnd: caretEnd } = this.input;
    const [start, end] = this.selectedLines();
    const block = this.input.value.slice(start, end);
    const replaced = edit(block.split('\n')).join('\n');
    if (replaced === block) return;
    this.input.setSelectionRange(start, end);
    if (caret === caretEnd) {
      this.insert(replaced, Math.max(0, caret - start + replaced.length - block.length));
    } else {
      this.insert(replaced, 0, replaced.length);
    }
  }

  // Comments the selected lines out with "# ", or uncomments them when all are comments.
  toggleComment() {
    this.editLines((lines) => {
      const code = lines.filter((line) => line.trim() !== '');
      if (code.length > 0 && code.every((line) => /^\s*#/.test(line))) {
        return lines.map((line) => line.replace(/^(\s*)# ?/, '$1'));
      }
      if (code.length === 0) return lines.map((line) => line + '# ');
      const column = Math.min(...code.map((line) => /^\s*/.exec(line)[0].length));
      return lines.map((line) => (line.trim() === '' ? line : line.slice(0, column) + '# ' + line.slice(column)));
    });
  }

  outdent() {
    this.editLines((lines) => lines.map((line) => line.replace(/^( {1,2}|\t)/, '')));
  }
}
