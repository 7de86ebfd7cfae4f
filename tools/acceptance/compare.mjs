// Checks korvel-css against an independent CSS parser (postcss) on real
// stylesheets. For each file:
//   1. a load and a save by korvel-css keep every (context, selector,
//      property) -> last value, and every at-rule, as postcss reads them in
//      the original and in the saved text;
//   2. the text saved twice comes back byte for byte from a third save.
// See README.md for what is compared and why.
//
// Usage: node compare.mjs [--korvel PATH] [--show N] FILE_OR_FOLDER...
// Exit status 1 when any file differs.

import { execFileSync } from 'node:child_process';
import { mkdtempSync, readFileSync, rmSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { cssFiles } from './files.mjs';
import postcss from 'postcss';

function parseArguments(argv) {
  const options = { korvel: process.env.KORVEL_CSS || 'build/bin/korvel-css', show: 5, inputs: [] };
  for (let i = 0; i < argv.length; ++i) {
    if (argv[i] === '--korvel') options.korvel = argv[++i];
    else if (argv[i] === '--show') options.show = Number(argv[++i]);
    else options.inputs.push(argv[i]);
  }
  return options;
}

// Whitespace is layout: runs of it become one blank, none at either end.
const normalise = (text) => text.replace(/\s+/g, ' ').trim();

// What postcss sees, reduced to what Korvel promises to keep:
// - declarations: "context | selector | property" -> the last value given
//   (with "!important" when set), where the context is the chain of
//   enclosing at-rules and rules;
// - at-rules: "context | @name params", counted.
function readModel(css, from) {
  const declarations = new Map();
  const atRules = new Map();
  const root = postcss.parse(css, { from });
  const contextOf = (node) => {
    const chain = [];
    for (let parent = node.parent; parent && parent.type !== 'root'; parent = parent.parent) {
      if (parent.type === 'atrule') chain.unshift(`@${parent.name} ${normalise(parent.params)}`);
      else if (parent.type === 'rule') chain.unshift(normalise(parent.selector));
    }
    return chain;
  };
  root.walk((node) => {
    if (node.type === 'decl') {
      const chain = contextOf(node);
      const selector = node.parent.type === 'rule' ? chain.pop() : '';
      const key = `${chain.join(' > ')} | ${selector} | ${node.prop}`;
      declarations.set(key, normalise(node.value) + (node.important ? ' !important' : ''));
    } else if (node.type === 'atrule') {
      const key = `${contextOf(node).join(' > ')} | @${node.name} ${normalise(node.params)}`;
      atRules.set(key, (atRules.get(key) || 0) + 1);
    }
  });
  return { declarations, atRules };
}

function differences(original, saved) {
  const found = [];
  for (const [key, value] of original.declarations) {
    if (!saved.declarations.has(key)) found.push(`lost declaration   ${key}: ${value}`);
    else if (saved.declarations.get(key) !== value)
      found.push(`changed value      ${key}: ${value}  =>  ${saved.declarations.get(key)}`);
  }
  for (const [key, value] of saved.declarations) {
    if (!original.declarations.has(key)) found.push(`added declaration  ${key}: ${value}`);
  }
  for (const [key, count] of original.atRules) {
    const kept = saved.atRules.get(key) || 0;
    if (kept !== count) found.push(`at-rule count      ${key}: ${count} => ${kept}`);
  }
  for (const [key, count] of saved.atRules) {
    if (!original.atRules.has(key)) found.push(`added at-rule      ${key}: ${count}`);
  }
  return found;
}

const scratch = mkdtempSync(join(tmpdir(), 'korvel-acceptance-'));
process.on('exit', () => rmSync(scratch, { recursive: true, force: true }));

function korvelSave(korvel, bytes) {
  const input = join(scratch, 'input.css');
  writeFileSync(input, bytes);
  return execFileSync(korvel, [input], { maxBuffer: 1 << 30 });
}

const options = parseArguments(process.argv.slice(2));
let failed = 0;
let files = 0;
let declarations = 0;
let atRules = 0;
for (const file of options.inputs.flatMap(cssFiles)) {
  ++files;
  const bytes = readFileSync(file);
  const once = korvelSave(options.korvel, bytes);
  const twice = korvelSave(options.korvel, once);
  const thrice = korvelSave(options.korvel, twice);
  const problems = [];
  try {
    const original = readModel(bytes.toString('latin1'), file);
    const saved = readModel(once.toString('latin1'), `${file} (saved)`);
    declarations += original.declarations.size;
    atRules += [...original.atRules.values()].reduce((sum, count) => sum + count, 0);
    problems.push(...differences(original, saved));
  } catch (error) {
    problems.push(`postcss could not read it: ${error.message}`);
  }
  if (!thrice.equals(twice)) problems.push('saving the text saved twice changed it');
  const settledAfter = once.equals(twice) ? 'one save' : 'two saves';
  if (problems.length === 0) {
    console.log(`ok    ${file} (${bytes.length} bytes, settled after ${settledAfter})`);
  } else {
    ++failed;
    console.log(`DIFF  ${file}: ${problems.length} difference(s)`);
    for (const problem of problems.slice(0, options.show)) console.log(`      ${problem}`);
  }
}
console.log(`${files - failed} passed, ${failed} failed (${declarations} declarations, ${atRules} at-rules compared)`);
process.exit(failed === 0 ? 0 : 1);
