// The stylesheets named on a command line: a file stands for itself, a
// folder for every .css file under it, in name order.

import { readdirSync, statSync } from 'node:fs';
import { join } from 'node:path';

export function cssFiles(path) {
  if (!statSync(path).isDirectory()) return [path];
  return readdirSync(path, { recursive: true })
    .filter((name) => name.endsWith('.css'))
    .map((name) => join(path, name))
    .filter((file) => statSync(file).isFile())
    .sort();
}
