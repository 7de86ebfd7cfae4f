// The peer's side of the in-process comparison: for each file, lightningcss
// parses and prints it (the same job as Korvel's load + write) in a loop for
// about a second in this one process; the median wall time of a round.
// One line of tab-separated figures per file:  file  bytes  seconds
//
// Usage: node loop.mjs FILE...

import { readFileSync } from 'node:fs';
import { transform } from 'lightningcss';

for (const file of process.argv.slice(2)) {
  const code = readFileSync(file);
  const rounds = [];
  const start = performance.now();
  while (rounds.length < 5 || (performance.now() - start < 1000 && rounds.length < 10000)) {
    const before = performance.now();
    transform({ filename: file, code, minify: false, errorRecovery: true });
    rounds.push((performance.now() - before) / 1000);
  }
  rounds.sort((a, b) => a - b);
  console.log(`${file}\t${code.length}\t${rounds[Math.floor(rounds.length / 2)].toFixed(9)}`);
}
