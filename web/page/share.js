// Share links: a script travels in the URL fragment as `#code=` followed by its UTF-8
// bytes in base64url, so the script never reaches a server.

const PREFIX = '#code=';

export function encodeScript(script) {
  const bytes = new TextEncoder().encode(script);
  let binary = '';
  for (const byte of bytes) binary += String.fromCharCode(byte);
  return btoa(binary).replace(/\+/g, '-').replace(/\//g, '_').replace(/=+$/, '');
}

// The script in a base64url text, or null when the text is not one.
export function decodeScript(encoded) {
  if (!/^[A-Za-z0-9_-]*$/.test(encoded) || encoded.length % 4 === 1) return null;
  try {
    const binary = atob(encoded.replace(/-/g, '+').replace(/_/g, '/'));
    const bytes = Uint8Array.from(binary, (c) => c.charCodeAt(0));
    return new TextDecoder('utf-8', { fatal: true }).decode(bytes);
  } catch {
    return null;
  }
}

export const fragmentFor = (script) => PREFIX + encodeScript(script);

// The script a location's fragment carries, or null.
export function scriptFromFragment(hash) {
  return hash.startsWith(PREFIX) ? decodeScript(hash.slice(PREFIX.length)) : null;
}
