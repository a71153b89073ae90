// The editor's highlighter against ulvane's lexical rules: what counts as a keyword, a
// string, a number, a comment, an operator, a character the lexer refuses, and when a first
// line is the `sg<...>` header directive.
import assert from 'node:assert/strict';
import { describe, test } from 'node:test';
import { findDirective, scan, tokenOffsets, toHtml } from '../page/highlight.js';

// The pieces of text other than blanks, as [type, text] pairs.
const pieces = (text) => scan(text).filter((p) => p.type !== 'space').map((p) => [p.type, text.slice(p.start, p.end)]);

describe('highlighter', () => {
  test('pieces cover the text without gaps or overlaps', () => {
    const text = 'sg<nel>\n# c\nvar x = "a\\"b" + 1.5;\n\tif (x != 2 && !x || x) { print(x, "nel"); }\n@ $\n"open';
    let at = 0;
    for (const piece of scan(text)) {
      assert.equal(piece.start, at);
      assert.ok(piece.end > piece.start);
      at = piece.end;
    }
    assert.equal(at, text.length);
  });

  test('keywords and reserved words are whole words only', () => {
    assert.deepEqual(pieces('print var if while function return printx _if While else'), [
      ['keyword', 'print'], ['keyword', 'var'], ['keyword', 'if'], ['keyword', 'while'],
      ['reserved', 'function'], ['reserved', 'return'],
      ['identifier', 'printx'], ['identifier', '_if'], ['identifier', 'While'], ['identifier', 'else'],
    ]);
  });

  test('words and numbers split after 63 characters, as the lexer splits them', () => {
    const long = 'a'.repeat(63);
    assert.deepEqual(pieces(long + 'print'), [['identifier', long], ['keyword', 'print']]);
    const digits = '1'.repeat(63);
    assert.deepEqual(pieces(digits + '2'), [['number', digits], ['number', '2']]);
  });

  test('numbers take at most one point, and a point starts one only before a digit', () => {
    assert.deepEqual(pieces('1.2.3 .5 7. x.'), [
      ['number', '1.2'], ['number', '.3'], ['number', '.5'], ['number', '7.'],
      ['identifier', 'x'], ['invalid', '.'],
    ]);
  });

  test('strings keep escaped quotes and may run over lines; an unclosed one is marked', () => {
    assert.deepEqual(pieces('"a\\"b # not a comment" x'), [['string', '"a\\"b # not a comment"'], ['identifier', 'x']]);
    assert.deepEqual(pieces('"two\nlines"'), [['string', '"two\nlines"']]);
    assert.deepEqual(pieces('"ends in a backslash\\"'), [['invalid', '"ends in a backslash\\"']]);
    assert.deepEqual(pieces('print("open);'), [['keyword', 'print'], ['operator', '('], ['invalid', '"open);']]);
  });

  test('a string literal longer than 1023 bytes counts as unterminated', () => {
    assert.deepEqual(pieces(`"${'x'.repeat(1023)}"`).map(([type]) => type), ['string']);
    assert.equal(pieces(`"${'x'.repeat(1024)}"`)[0][0], 'invalid');
    // The limit counts UTF-8 bytes: 512 two-byte letters are 1024 bytes.
    assert.equal(pieces(`"${'é'.repeat(511)}"`)[0][0], 'string');
    assert.equal(pieces(`"${'é'.repeat(512)}"`)[0][0], 'invalid');
  });

  test('comments run to the end of the line', () => {
    assert.deepEqual(pieces('x # y "z"\nprint'), [['identifier', 'x'], ['comment', '# y "z"'], ['keyword', 'print']]);
  });

  test('two-character operators win over one-character ones; lone & and | are refused', () => {
    assert.deepEqual(pieces('==!=&&||=!<>+-*/(){},;').map(([, t]) => t),
      ['==', '!=', '&&', '||', '=', '!', '<', '>', '+', '-', '*', '/', '(', ')', '{', '}', ',', ';']);
    assert.deepEqual(pieces('a & b | é'), [
      ['identifier', 'a'], ['invalid', '&'], ['identifier', 'b'], ['invalid', '|'], ['invalid', 'é'],
    ]);
  });

  test('the directive is found only before any code or empty line', () => {
    assert.equal(findDirective('sg<nel>\nprint(1);'), 0);
    assert.equal(findDirective('  # a comment\n\t sg<nel>'), 16);
    assert.equal(findDirective('#!/usr/bin/env ulvane\nsg<>'), 22);
    assert.equal(findDirective('\nsg<nel>'), -1, 'an empty line ends the header');
    assert.equal(findDirective('print(1);\nsg<nel>'), -1);
    assert.equal(findDirective('# only a comment'), -1);
    assert.equal(findDirective('sg <nel>'), -1);
  });

  test('the directive line is one piece, code after it on the line included', () => {
    assert.deepEqual(pieces('# c\nsg<nel> print(1);\nprint(2);'), [
      ['comment', '# c'], ['directive', 'sg<nel> print(1);'],
      ['keyword', 'print'], ['operator', '('], ['number', '2'], ['operator', ')'], ['operator', ';'],
    ]);
    assert.deepEqual(pieces('x;\nsg<nel>').slice(2).map(([type]) => type), ['identifier', 'operator', 'identifier', 'operator'],
      'sg<nel> after code is ordinary text');
  });

  test('HTML keeps the text and escapes markup', () => {
    const html = toHtml('print("<b>&");');
    assert.equal(html, '<span class="tok-keyword">print</span><span class="tok-operator">(</span>'
      + '<span class="tok-string">"&lt;b&gt;&amp;"</span><span class="tok-operator">)</span><span class="tok-operator">;</span>');
  });

  test('tokens are the pieces the lexer keeps: no blanks, comments or directive line', () => {
    const text = '# note\nsg<nel>\nvar s = "a b"; # after\nif (s != 2.5) {x=1;}';
    assert.deepEqual(tokenOffsets(text).map(({ start, end }) => text.slice(start, end)), [
      'var', 's', '=', '"a b"', ';', 'if', '(', 's', '!=', '2.5', ')', '{', 'x', '=', '1', ';', '}',
    ]);
  });

  test('a mark wraps the pieces from its start to its end, blanks between them included', () => {
    const text = 'var x = 1;\nprint(x);';
    const [start, end] = [text.indexOf('print'), text.length];
    const html = toHtml(text, { start, end });
    assert.equal(html, toHtml(text.slice(0, start)) + '<mark class="editor-step">' + toHtml(text.slice(start)) + '</mark>');
    const inner = toHtml(text, { start: text.indexOf('x'), end: text.indexOf(' =') });
    assert.match(inner, /^<span class="tok-keyword">var<\/span> <mark class="editor-step"><span class="tok-identifier">x<\/span><\/mark> /);
  });
});
