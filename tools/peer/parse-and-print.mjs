// Reads a stylesheet with another CSS parser and prints it back, the same
// job as `korvel-css FILE`, to time whole processes against each other.
//
// Usage: node parse-and-print.mjs PARSER FILE > OUT
//   PARSER: lightningcss | esbuild | csstree | postcss

import { readFileSync, writeSync } from 'node:fs';

const [parser, file] = process.argv.slice(2);
const bytes = readFileSync(file);

async function print() {
  switch (parser) {
    case 'lightningcss': {
      const { transform } = await import('lightningcss');
      return transform({ filename: file, code: bytes, minify: false, errorRecovery: true }).code;
    }
    case 'esbuild': {
      const { transformSync } = await import('esbuild');
      return transformSync(bytes.toString(), { loader: 'css', logLevel: 'silent' }).code;
    }
    case 'csstree': {
      const { parse, generate } = await import('css-tree');
      return generate(parse(bytes.toString()));
    }
    case 'postcss': {
      const { default: postcss } = await import('postcss');
      return postcss.parse(bytes.toString(), { from: file }).toString();
    }
    default:
      throw new Error(`unknown parser: ${parser}`);
  }
}

const out = await print();
const text = typeof out === 'string' ? Buffer.from(out) : Buffer.from(out.buffer, out.byteOffset, out.byteLength);
for (let done = 0; done < text.length; ) done += writeSync(1, text, done, text.length - done);
