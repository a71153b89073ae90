// Share links: a script survives the trip through the URL fragment byte for byte, and a
// damaged fragment is refused rather than turned into a wrong script.
import assert from 'node:assert/strict';
import { describe, test } from 'node:test';
import { decodeScript, encodeScript, fragmentFor, scriptFromFragment } from '../page/share.js';

describe('share links', () => {
  test('scripts round-trip through the fragment', () => {
    const scripts = [
      '',
      'print("hi");\n',
      'sg<nel>\n# Grüße 日本 🎉\nvar s = "tab\\t";\r\nprint(s);',
      '\u0000\u007f binary-ish',
      'x'.repeat(5000),
    ];
    for (const script of scripts) {
      const fragment = fragmentFor(script);
      assert.match(fragment, /^#code=[A-Za-z0-9_-]*$/, 'only characters that need no escaping in a URL');
      assert.equal(scriptFromFragment(fragment), script);
    }
  });

  test('the encoding is base64url of the UTF-8 bytes, without padding', () => {
    assert.equal(encodeScript('é?>'), Buffer.from('é?>').toString('base64url'));
    assert.equal(decodeScript(Buffer.from('print(1);').toString('base64url')), 'print(1);');
  });

  test('damaged fragments give no script', () => {
    assert.equal(scriptFromFragment(''), null);
    assert.equal(scriptFromFragment('#other=cHJpbnQ'), null);
    assert.equal(scriptFromFragment('#code=%%%'), null);
    assert.equal(scriptFromFragment('#code=abcde'), null, 'a length no base64 text has');
    assert.equal(scriptFromFragment('#code=' + Buffer.from([0xff, 0xfe]).toString('base64url')), null, 'not UTF-8');
  });
});
