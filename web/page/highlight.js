// Highlighter for the playground editor: splits a script into classed pieces by ulvane's
// lexical rules (the header directive line, comments, strings, numbers, words, operators),
// and turns them into HTML for the layer drawn under the editor's text area.

const KEYWORDS = new Set(['print', 'var', 'if', 'while']);
const RESERVED = new Set(['function', 'return']);
// Two-character operators are tried before the one-character ones, as the lexer does.
const OPERATORS = ['==', '!=', '&&', '||', '(', ')', '{', '}', ',', ';', '=', '+', '-', '*', '/', '>', '<', '!'];
const MAX_WORD = 63;
const MAX_TEXT = 1023;

const isDigit = (c) => c >= '0' && c <= '9';
const isLetter = (c) => (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
const isWordChar = (c) => isLetter(c) || isDigit(c) || c === '_';
const isBlank = (c) => c === ' ' || c === '\t' || c === '\r';

// Where the `sg<...>` directive starts, or -1: only blanks and whole comment lines may come
// before it; anything else, an empty line included, means the script has no directive.
export function findDirective(text) {
  let i = 0;
  for (;;) {
    const c = text[i];
    if (isBlank(c)) {
      i++;
    } else if (c === '#') {
      const end = text.indexOf('\n', i);
      if (end < 0) return -1;
      i = end + 1;
    } else if (text.startsWith('sg<', i)) {
      return i;
    } else {
      return -1;
    }
  }
}

// Scans text into pieces { type, start, end } that cover it without gaps. Types: space,
// comment, directive, string, number, keyword, reserved, identifier, operator, and invalid
// (a character the lexer refuses, or a string literal it would call unterminated).
export function scan(text) {
  const pieces = [];
  const push = (type, start, end) => {
    const last = pieces[pieces.length - 1];
    if (last && last.type === type && type === 'space') last.end = end;
    else pieces.push({ type, start, end });
  };
  const directive = findDirective(text);
  let directiveEnd = -1;
  if (directive >= 0) {
    const end = text.indexOf('\n', directive);
    directiveEnd = end < 0 ? text.length : end;
  }
  let i = 0;
  while (i < text.length) {
    const c = text[i];
    const start = i;
    if (i === directive) {
      i = directiveEnd;
      push('directive', start, i);
    } else if (isBlank(c) || c === '\n') {
      i++;
      push('space', start, i);
    } else if (c === '#') {
      const end = text.indexOf('\n', i);
      i = end < 0 ? text.length : end;
      push('comment', start, i);
    } else if (c === '"') {
      const [end, closed] = scanString(text, i);
      i = end;
      push(closed ? 'string' : 'invalid', start, i);
    } else if (isDigit(c) || (c === '.' && isDigit(text[i + 1] ?? ''))) {
      let point = false;
      while (i - start < MAX_WORD && (isDigit(text[i] ?? '') || (text[i] === '.' && !point))) {
        if (text[i] === '.') point = true;
        i++;
      }
      push('number', start, i);
    } else if (isLetter(c) || c === '_') {
      while (i - start < MAX_WORD && i < text.length && isWordChar(text[i])) i++;
      const word = text.slice(start, i);
      push(KEYWORDS.has(word) ? 'keyword' : RESERVED.has(word) ? 'reserved' : 'identifier', start, i);
    } else {
      const op = OPERATORS.find((o) => text.startsWith(o, i));
      i += op ? op.length : 1;
      push(op ? 'operator' : 'invalid', start, i);
    }
  }
  return pieces;
}

// The string literal opening at `start`: [end, closed]. It ends past its closing quote, or
// where the lexer gives up on it (the end of the text, or 1023 decoded characters without a
// closing quote), which is an unterminated literal.
function scanString(text, start) {
  let i = start + 1;
  let length = 0;
  while (i < text.length && text[i] !== '"' && length < MAX_TEXT) {
    if (text[i] === '\\' && i + 1 < text.length) {
      i += 2;
      length++;
      continue;
    }
    // The limit counts UTF-8 bytes; a character cut by it leaves the literal unterminated.
    const code = text.codePointAt(i);
    const bytes = code < 0x80 ? 1 : code < 0x800 ? 2 : code < 0x10000 ? 3 : 4;
    if (length + bytes > MAX_TEXT) return [i, false];
    i += code < 0x10000 ? 1 : 2;
    length += bytes;
  }
  return text[i] === '"' ? [i + 1, true] : [i, false];
}

const ESCAPES = { '&': '&amp;', '<': '&lt;', '>': '&gt;' };
export const escapeHtml = (s) => s.replace(/[&<>]/g, (c) => ESCAPES[c]);

// HTML for the highlight layer: one span per piece, plain text for blanks. The pieces from
// offset mark.start to mark.end, when a mark is given, go inside one <mark>.
export function toHtml(text, mark = null) {
  let html = '';
  for (const { type, start, end } of scan(text)) {
    if (mark && start === mark.start) html += '<mark class="editor-step">';
    const piece = escapeHtml(text.slice(start, end));
    html += type === 'space' ? piece : `<span class="tok-${type}">${piece}</span>`;
    if (mark && end === mark.end) html += '</mark>';
  }
  return html;
}

// Where each token of the script lies, [start, end) offsets, in the order the lexer makes
// them: every piece but blanks, comments and the directive line.
export function tokenOffsets(text) {
  const skipped = new Set(['space', 'comment', 'directive']);
  return scan(text).filter((piece) => !skipped.has(piece.type));
}
