// Checks korvel-css against a real browser engine: headless Chromium reads
// each stylesheet as it stands and as korvel-css saves it, and the two
// readings (the browser's CSSOM) must mean the same thing. See README.md.
//
// Usage: node browser-check.mjs [--korvel PATH] [--chromium PATH] [--show N]
//                               [--json FILE] [--strict] FILE_OR_FOLDER...
// Exit status 1 when any file differs (or, with --strict, has a merge
// warning), 2 when the check itself cannot run.

import { execFileSync } from 'node:child_process';
import { mkdtempSync, readFileSync, rmSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { cssFiles } from './files.mjs';
import puppeteer from 'puppeteer-core';
import { selectorsMayCollide } from './selectors.mjs';

function parseArguments(argv) {
  const options = {
    korvel: process.env.KORVEL_CSS || 'build/bin/korvel-css',
    chromium: process.env.CHROMIUM || '/usr/bin/chromium',
    show: 20,
    json: null,
    strict: false,
    inputs: [],
  };
  for (let i = 0; i < argv.length; ++i) {
    if (argv[i] === '--korvel') options.korvel = argv[++i];
    else if (argv[i] === '--chromium') options.chromium = argv[++i];
    else if (argv[i] === '--show') options.show = Number(argv[++i]);
    else if (argv[i] === '--json') options.json = argv[++i];
    else if (argv[i] === '--strict') options.strict = true;
    else options.inputs.push(argv[i]);
  }
  return options;
}

// ---------------------------------------------------------------------------
// In the page: the browser's reading of one stylesheet, in document order.
// Runs inside Chromium (serialised by puppeteer), so it must stand alone.
// Returns
//   styles:  [context, selectorText, [[property, value, priority], ...]]
//            one per style rule, longhands as the browser expanded them;
//   atRules: [context, cssText] for every rule that is neither a style rule
//            nor a grouping rule (@font-face, @keyframes, @import, @page…);
//   error:   a message instead, when the sheet could not be loaded.
// A context is the chain of enclosing grouping rules (@media, @supports,
// @layer, @container, @scope, @starting-style…) and, under CSS nesting, of
// enclosing style rules, joined by " > ".
async function readInPage(url) {
  const link = document.createElement('link');
  link.rel = 'stylesheet';
  link.href = url;
  const loaded = new Promise((resolve) => {
    link.onload = () => resolve(true);
    link.onerror = () => resolve(false);
  });
  document.head.append(link);
  if (!(await loaded)) return { error: `the browser could not load ${url}` };

  const styles = [];
  const atRules = [];
  let anonymousLayers = 0;
  const preludeOf = (rule) => {
    if (rule instanceof CSSMediaRule) return `@media ${rule.media.mediaText}`;
    if (rule instanceof CSSSupportsRule) return `@supports ${rule.conditionText}`;
    if (window.CSSLayerBlockRule && rule instanceof CSSLayerBlockRule)
      return `@layer ${rule.name || `(anonymous #${++anonymousLayers})`}`;
    if (window.CSSContainerRule && rule instanceof CSSContainerRule)
      return `@container ${rule.containerName} ${rule.containerQuery}`.replace(/  +/g, ' ');
    const text = rule.cssText;
    return text.slice(0, text.indexOf('{')).trim();
  };
  const declarationsOf = (style) => {
    const declarations = [];
    for (let i = 0; i < style.length; ++i) {
      const name = style.item(i);
      declarations.push([name, style.getPropertyValue(name), style.getPropertyPriority(name)]);
    }
    return declarations;
  };
  const walk = (rules, chain) => {
    for (const rule of rules) {
      const context = chain.join(' > ');
      if (rule instanceof CSSStyleRule) {
        styles.push([context, rule.selectorText, declarationsOf(rule.style)]);
        if (rule.cssRules && rule.cssRules.length) walk(rule.cssRules, [...chain, rule.selectorText]);
      } else if (window.CSSNestedDeclarations && rule instanceof CSSNestedDeclarations) {
        styles.push([context, '&', declarationsOf(rule.style)]);
      } else if (rule instanceof CSSGroupingRule && !(rule instanceof CSSPageRule)) {
        walk(rule.cssRules, [...chain, preludeOf(rule)]);
      } else {
        atRules.push([context, rule.cssText]);
      }
    }
  };
  walk(link.sheet.cssRules, []);
  link.remove();
  return { styles, atRules };
}

// ---------------------------------------------------------------------------
// Comparison.

// Chromium keeps a custom property's text as written, line ends included;
// CSS reads CR LF, CR and FF as LF before anything else.
const valueRead = (written) => written.replace(/\r\n?|\f/g, '\n');

const keyOf = (context, selector) => `${context} | ${selector}`;

// The cascade inside one (context, selector): every rule with that selector
// in that context, in order; a later declaration wins, except that a normal
// one never beats an !important one. Each value remembers the position of
// the rule it came from.
function cascade(styles) {
  const byKey = new Map();
  styles.forEach(([context, selector, declarations], position) => {
    const key = keyOf(context, selector);
    if (!byKey.has(key)) byKey.set(key, { context, selector, positions: [], properties: new Map() });
    const entry = byKey.get(key);
    entry.positions.push(position);
    for (const [name, written, priority] of declarations) {
      const value = valueRead(written);
      const held = entry.properties.get(name);
      if (held && held.priority === 'important' && priority !== 'important') continue;
      entry.properties.set(name, { value, priority, position });
    }
  });
  return byKey;
}

// Line ends and tabs in a value are shown escaped, to keep one line per
// difference.
const visible = (text) => text.replace(/[\r\n\t]/g, (c) => ({ '\r': '\\r', '\n': '\\n', '\t': '\\t' })[c]);
const shown = (held) => (held ? visible(held.value) + (held.priority ? ` !${held.priority}` : '') : '(absent)');
const placeOf = (context, selector) => (context ? `${context} > ${selector}` : selector);

function declarationDifferences(before, after) {
  const found = [];
  let compared = 0;
  const keys = new Set([...before.keys(), ...after.keys()]);
  for (const key of keys) {
    const was = before.get(key)?.properties || new Map();
    const now = after.get(key)?.properties || new Map();
    const { context, selector } = before.get(key) || after.get(key);
    for (const property of new Set([...was.keys(), ...now.keys()])) {
      ++compared;
      const a = was.get(property);
      const b = now.get(property);
      if (a && b && a.value === b.value && a.priority === b.priority) continue;
      const blanksOnly = a && b && a.priority === b.priority &&
        a.value.replace(/\s+/g, ' ') === b.value.replace(/\s+/g, ' ');
      found.push({ kind: a ? (b ? (blanksOnly ? 'blanks' : 'changed') : 'lost') : 'added', context, selector, property,
        before: shown(a), after: shown(b) });
    }
  }
  return { found, compared };
}

function atRuleDifferences(before, after) {
  const count = (list) => {
    const counts = new Map();
    for (const [context, text] of list) {
      const key = `${context}\u0000${text}`;
      counts.set(key, (counts.get(key) || 0) + 1);
    }
    return counts;
  };
  const was = count(before);
  const now = count(after);
  const found = [];
  for (const key of new Set([...was.keys(), ...now.keys()])) {
    const a = was.get(key) || 0;
    const b = now.get(key) || 0;
    if (a === b) continue;
    const [context, text] = key.split('\u0000');
    found.push({ kind: a > b ? 'lost at-rule' : 'added at-rule', context, selector: '', property: '',
      before: `${a} × ${text}`, after: `${b} ×` });
  }
  if (found.length === 0) {
    // Same at-rules: they must also keep their order, since a later
    // @font-face or @keyframes of the same name wins.
    const order = (list) => list.map(([context, text]) => `${context}\u0000${text}`);
    const a = order(before);
    const b = order(after);
    const first = a.findIndex((text, i) => text !== b[i]);
    if (first >= 0) {
      found.push({ kind: 'at-rule order', context: before[first][0], selector: '', property: '',
        before: before[first][1], after: after[first][1] });
    }
  }
  return found;
}

// Rules must keep their order, apart from the merging of a repeated selector
// into its first rule: the keys that style something, in order of first
// appearance, must be the same sequence on either side. The rules outside the longest common
// ordering (a longest increasing subsequence of original ranks) moved.
function orderDifferences(before, after) {
  const rank = new Map();
  const styling = (entry) => entry !== undefined && entry.properties.size > 0;
  for (const [key, entry] of before) if (styling(entry) && styling(after.get(key))) rank.set(key, rank.size);
  const ranks = [...after.keys()].filter((key) => rank.has(key)).map((key) => rank.get(key));
  const tails = [];
  const tailIndex = [];
  const previous = new Array(ranks.length).fill(-1);
  ranks.forEach((value, i) => {
    let low = 0;
    let high = tails.length;
    while (low < high) {
      const middle = (low + high) >> 1;
      if (tails[middle] < value) low = middle + 1;
      else high = middle;
    }
    tails[low] = value;
    tailIndex[low] = i;
    previous[i] = low > 0 ? tailIndex[low - 1] : -1;
  });
  const kept = new Set();
  for (let i = tailIndex[tails.length - 1] ?? -1; i >= 0; i = previous[i]) kept.add(ranks[i]);
  const keys = [...rank.keys()];
  const found = [];
  ranks.forEach((value, i) => {
    if (kept.has(value)) return;
    const { context, selector } = before.get(keys[value]);
    const follows = i > 0 ? before.get(keys[ranks[i - 1]]) : null;
    const neighbour = follows ? placeOf(follows.context, follows.selector) : '(start)';
    found.push({ kind: 'moved rule', context, selector, property: '',
      before: `rule ${value + 1} of ${keys.length}`, after: `now after « ${neighbour} »` });
  });
  return found;
}

function layersOf(context) {
  return context.split(' > ').filter((part) => part.startsWith('@layer')).join(' > ');
}

// Merging moves the declarations of a later rule up into the first rule with
// the same selector. That changes what a browser shows when a rule that
// stood in between sets the same property with a selector that may match the
// same element at the same specificity (in the same layer, with the same
// priority): if that selector's declaration in force came before the moved
// one and, once merged, comes after it, it used to lose and now wins. Reported as warnings, since whether
// two selectors match one element is only guessed (see selectors.mjs).
// A later rule may also stay where it stands (its merge would cross such a
// rule): only declarations the saved file holds in the first rule of their
// selector have moved.
function mergeWarnings(styles, before, after) {
  const merged = (entry) => {
    const kept = after.get(keyOf(entry.context, entry.selector));
    return kept !== undefined && kept.positions.length < entry.positions.length;
  };
  const setters = new Map();
  styles.forEach(([context, selector, declarations], position) => {
    for (const [name] of declarations) {
      if (!setters.has(name)) setters.set(name, []);
      setters.get(name).push({ position, context, selector });
    }
  });
  const firstAfter = (list, position) => {
    let low = 0;
    let high = list.length;
    while (low < high) {
      const middle = (low + high) >> 1;
      if (list[middle].position <= position) low = middle + 1;
      else high = middle;
    }
    return low;
  };
  // Korvel merges a later rule into the first one of its selector, or
  // leaves it where it stands: a declaration that the saved file holds in
  // any rule of that selector but the first did not move.
  const movedUp = (entry, property) => {
    const kept = after.get(keyOf(entry.context, entry.selector));
    const there = kept?.properties.get(property);
    return there !== undefined && there.position === kept.positions[0];
  };
  const found = [];
  for (const [key, entry] of before) {
    if (entry.positions.length < 2 || !merged(entry)) continue;
    const first = entry.positions[0];
    for (const [property, held] of entry.properties) {
      if (held.position === first || !movedUp(entry, property)) continue;
      const list = setters.get(property);
      for (let i = firstAfter(list, first); i < list.length && list[i].position < held.position; ++i) {
        const other = list[i];
        const its = before.get(keyOf(other.context, other.selector));
        if (its === entry) continue;
        // The other selector's declaration in force, where it stood and
        // where it stands once its own rule is merged.
        const rival = its.properties.get(property);
        const standsAt = merged(its) && movedUp(its, property) ? its.positions[0] : rival.position;
        if (rival.position > held.position || standsAt < first || rival.value === held.value) continue;
        if (rival.priority !== held.priority || layersOf(its.context) !== layersOf(entry.context)) continue;
        if (!selectorsMayCollide(entry.selector, other.selector)) continue;
        found.push({ kind: 'merge crosses', context: entry.context, selector: entry.selector, property,
          before: `${shown(held)} (rule ${entry.positions.indexOf(held.position) + 1} of ${entry.positions.length})`,
          after: `now before « ${placeOf(other.context, other.selector)} » { ${property}: ${shown(rival)} }` });
        break;
      }
    }
  }
  return found;
}

// ---------------------------------------------------------------------------

const options = parseArguments(process.argv.slice(2));
const scratch = mkdtempSync(join(tmpdir(), 'korvel-browser-check-'));
process.on('exit', () => rmSync(scratch, { recursive: true, force: true }));

// Files are served to the page from a made-up origin, so that the browser
// fetches and decodes the bytes itself (byte order mark, @charset), exactly
// as it would a site's stylesheet. Nothing goes to the network.
const origin = 'http://korvel.invalid';
const served = new Map();

const browser = await puppeteer.launch({
  executablePath: options.chromium,
  headless: true,
  userDataDir: join(scratch, 'profile'),
  args: ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run', '--disable-background-networking',
    '--disable-component-update', '--disable-sync'],
});
let exitStatus = 0;
try {
  const page = await browser.newPage();
  await page.setCacheEnabled(false);
  await page.setRequestInterception(true);
  page.on('request', (request) => {
    const path = new URL(request.url()).pathname;
    if (path === '/') {
      request.respond({ status: 200, contentType: 'text/html; charset=utf-8',
        body: '<!DOCTYPE html><html><head><meta charset="utf-8"><title>check</title></head><body></body></html>' });
    } else if (served.has(path)) {
      request.respond({ status: 200, contentType: 'text/css', body: served.get(path) });
    } else {
      // An @import of the sheet: an empty stylesheet stands in for it.
      request.respond({ status: 200, contentType: 'text/css', body: '' });
    }
  });
  await page.goto(`${origin}/`);

  let loads = 0;
  const read = async (bytes) => {
    const path = `/sheet-${++loads}.css`;
    served.set(path, bytes);
    try {
      return await page.evaluate(readInPage, `${origin}${path}`);
    } finally {
      served.delete(path);
    }
  };

  const totals = { files: 0, failed: 0, rules: 0, atRules: 0, declarations: 0, differences: 0, warnings: 0 };
  const report = [];
  for (const file of options.inputs.flatMap(cssFiles)) {
    ++totals.files;
    const bytes = readFileSync(file);
    const savedPath = join(scratch, 'saved.css');
    const problems = [];
    let warnings = [];
    let counts = { rules: 0, atRules: 0, declarations: 0 };
    try {
      rmSync(savedPath, { force: true });
      execFileSync(options.korvel, ['-o', savedPath, file], { stdio: ['ignore', 'ignore', 'pipe'], timeout: 300_000 });
      const original = await read(bytes);
      const saved = await read(readFileSync(savedPath));
      if (original.error || saved.error) throw new Error(original.error || saved.error);
      const before = cascade(original.styles);
      const after = cascade(saved.styles);
      const declarations = declarationDifferences(before, after);
      counts = { rules: original.styles.length, atRules: original.atRules.length, declarations: declarations.compared };
      problems.push(...declarations.found, ...atRuleDifferences(original.atRules, saved.atRules),
        ...orderDifferences(before, after));
      warnings = mergeWarnings(original.styles, before, after);
    } catch (error) {
      const detail = error.stderr?.toString().trim() || error.message;
      problems.push({ kind: 'not checked', context: '', selector: '', property: '', before: detail, after: '' });
    }
    totals.rules += counts.rules;
    totals.atRules += counts.atRules;
    totals.declarations += counts.declarations;
    totals.differences += problems.length;
    totals.warnings += warnings.length;
    report.push({ file, ...counts, differences: problems, warnings });
    const figures = `${counts.rules} rules, ${counts.atRules} at-rules, ${counts.declarations} declarations`;
    const warned = warnings.length ? `, ${warnings.length} merge warning(s)` : '';
    if (problems.length === 0 && !(options.strict && warnings.length)) {
      console.log(`ok    ${file} (${figures}${warned})`);
    } else {
      ++totals.failed;
      console.log(`DIFF  ${file} (${figures}${warned}): ${problems.length} difference(s)`);
    }
    const line = (p) => `${p.kind.padEnd(13)} ` + (p.kind === 'not checked' ? p.before
      : `${placeOf(p.context, p.selector)}${p.property ? ` { ${p.property} }` : ''}: ` +
        `${visible(p.before)}  =>  ${visible(p.after)}`);
    for (const problem of problems.slice(0, options.show)) console.log(`      ${line(problem)}`);
    if (problems.length > options.show) console.log(`      … and ${problems.length - options.show} more`);
    for (const warning of warnings.slice(0, options.show)) console.log(`      warning: ${line(warning)}`);
    if (warnings.length > options.show) console.log(`      … and ${warnings.length - options.show} more warnings`);
  }
  if (options.json) writeFileSync(options.json, JSON.stringify(report, null, 1));
  console.log(`${totals.files} files: ${totals.rules} style rules, ${totals.atRules} at-rules, ` +
    `${totals.declarations} declarations compared; ${totals.differences} difference(s), ` +
    `${totals.warnings} merge warning(s)`);
  console.log(`${totals.files - totals.failed} passed, ${totals.failed} failed`);
  exitStatus = totals.failed === 0 ? 0 : 1;
} catch (error) {
  console.error(`browser-check: ${error.message}`);
  exitStatus = 2;
} finally {
  await browser.close();
}
process.exit(exitStatus);
