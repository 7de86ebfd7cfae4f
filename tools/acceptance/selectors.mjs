// Just enough selector reading to guess whether two selectors may style the
// same element at the same specificity, where the order of their rules
// decides which one wins. It reads selectors as the browser serialises them
// (selectorText), so it need not handle comments or odd spacing.

// Splits at top-level occurrences of the characters in `separators`,
// outside (), [] and strings; backslash escapes are kept with what they
// escape.
function splitTopLevel(text, separators) {
  const parts = [];
  let depth = 0;
  let quote = '';
  let start = 0;
  for (let i = 0; i < text.length; ++i) {
    const c = text[i];
    if (c === '\\') {
      ++i;
    } else if (quote) {
      if (c === quote) quote = '';
    } else if (c === '"' || c === "'") {
      quote = c;
    } else if (c === '(' || c === '[') {
      ++depth;
    } else if (c === ')' || c === ']') {
      --depth;
    } else if (depth === 0 && separators.includes(c)) {
      parts.push(text.slice(start, i));
      start = i + 1;
    }
  }
  parts.push(text.slice(start));
  return parts.map((part) => part.trim()).filter((part) => part !== '');
}

const identifier = /^(?:\\.|[\w\u0080-\uffff-])+/;

// Specificity [ids, classes, types] of one complex selector.
function specificity(selector) {
  const total = [0, 0, 0];
  const add = (s) => { total[0] += s[0]; total[1] += s[1]; total[2] += s[2]; };
  const highest = (list) => splitTopLevel(list, ',').map(specificity)
    .reduce((best, s) => (compare(s, best) > 0 ? s : best), [0, 0, 0]);
  let i = 0;
  while (i < selector.length) {
    const c = selector[i];
    const rest = selector.slice(i + 1);
    if (c === '#') {
      ++total[0];
      i += 1 + (rest.match(identifier)?.[0].length || 0);
    } else if (c === '.') {
      ++total[1];
      i += 1 + (rest.match(identifier)?.[0].length || 0);
    } else if (c === '[') {
      ++total[1];
      i += 1 + splitClose(rest, ']');
    } else if (c === ':') {
      const element = rest[0] === ':';
      const nameText = element ? rest.slice(1) : rest;
      const name = (nameText.match(identifier)?.[0] || '').toLowerCase();
      i += 1 + (element ? 1 : 0) + name.length;
      let argument = null;
      if (selector[i] === '(') {
        const length = splitClose(selector.slice(i + 1), ')');
        argument = selector.slice(i + 1, i + length);
        i += 1 + length;
      }
      if (element || ['before', 'after', 'first-line', 'first-letter'].includes(name)) {
        ++total[2];
      } else if (name === 'where') {
        // no weight
      } else if (['is', 'not', 'has', 'matches', '-webkit-any', '-moz-any'].includes(name) && argument !== null) {
        add(highest(argument));
      } else if ((name === 'nth-child' || name === 'nth-last-child') && argument && / of /.test(argument)) {
        ++total[1];
        add(highest(argument.slice(argument.indexOf(' of ') + 4)));
      } else {
        ++total[1];
      }
    } else if (/[\w\u0080-\uffff\\-]/.test(c)) {
      ++total[2];
      i += selector.slice(i).match(identifier)?.[0].length || 1;
    } else {
      ++i; // '*', combinators, blanks, '&', '|'
    }
  }
  return total;
}

// Length up to and including the `close` that ends the bracket opened just
// before `text`.
function splitClose(text, close) {
  const open = close === ')' ? '(' : '[';
  let depth = 1;
  let quote = '';
  for (let i = 0; i < text.length; ++i) {
    const c = text[i];
    if (c === '\\') ++i;
    else if (quote) { if (c === quote) quote = ''; }
    else if (c === '"' || c === "'") quote = c;
    else if (c === open) ++depth;
    else if (c === close && --depth === 0) return i + 1;
  }
  return text.length;
}

function compare(a, b) {
  return a[0] - b[0] || a[1] - b[1] || a[2] - b[2];
}

// The compound the selector styles (after its last combinator): its type,
// its id and its pseudo-element, the parts that exclude one another.
function subject(selector) {
  const compounds = splitTopLevel(selector.replace(/\s*([>+~])\s*/g, ' '), ' ');
  const last = compounds[compounds.length - 1] || '';
  const type = last.match(/^(?:\\.|[\w\u0080-\uffff-])+/)?.[0].toLowerCase() || '';
  const id = last.match(/#((?:\\.|[\w\u0080-\uffff-])+)/)?.[1] || '';
  const element = last.match(/::([\w-]+)/) || last.match(/:(before|after|first-line|first-letter)(?![\w-])/i);
  const pseudoElement = element ? element[1].toLowerCase() : '';
  return { type, id, pseudoElement };
}

// True when some selector of list `a` and some selector of list `b` have the
// same specificity and their subjects do not exclude each other.
export function selectorsMayCollide(a, b) {
  const read = (list) => splitTopLevel(list, ',').map((s) => ({ weight: specificity(s), subject: subject(s) }));
  const left = read(a);
  const right = read(b);
  for (const x of left) {
    for (const y of right) {
      if (compare(x.weight, y.weight) !== 0) continue;
      if (x.subject.pseudoElement !== y.subject.pseudoElement) continue;
      if (x.subject.type && y.subject.type && x.subject.type !== y.subject.type) continue;
      if (x.subject.id && y.subject.id && x.subject.id !== y.subject.id) continue;
      return true;
    }
  }
  return false;
}

export { specificity, subject };
