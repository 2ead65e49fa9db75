// bench/page.mjs: the page's conversion of a job in headless Chromium against
// the native tool's and the export's (tqxml-host, all on the calling thread),
// run in turn, best and median of RUNS each, in milliseconds:
//
//   node bench/page.mjs [--runs 5] [--page build-web/page] [--native build] JOB
//
// The page's figures, as its worker and the page measure them: the
// conversion call alone; the worker from the job's bytes to the document
// (with the report's replay, the copy into and out of its files); from the
// pick to the link offered. Build the page first (cmake --workflow --preset web).
import { spawnSync } from 'node:child_process';
import { mkdtempSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { basename, dirname, join, resolve } from 'node:path';
import { parseArgs } from 'node:util';

import { Browser, pickAndWait, startServer } from '../tests/web/chromium.mjs';

const { values: options, positionals } = parseArgs({ allowPositionals: true, options: {
  runs: { type: 'string', default: '5' },
  page: { type: 'string', default: 'build-web/page' },
  native: { type: 'string', default: 'build' },
} });
if (positionals.length !== 1) {
  console.error('usage: node bench/page.mjs [--runs N] [--page DIR] [--native DIR] JOB');
  process.exit(2);
}
const job = resolve(positionals[0]);
const nativeDir = resolve(options.native);
const scratch = mkdtempSync(join(tmpdir(), 'tqxml-page-bench-'));
const document = join(scratch, 'document.xml');
const natives = {
  'tqxml -o FILE JOB': [join(nativeDir, 'tqxml'), ['-o', document, basename(job)]],
  'the export (tqxml-host)': [join(nativeDir, 'tqxml-host'),
                              ['--library', join(nativeDir, 'libtqxml.so'), basename(job),
                               document]],
};
const seen = new Map();
const note = (what, ms) => seen.set(what, [...(seen.get(what) || []), ms]);

const server = await startServer(resolve(options.page));
const browser = await Browser.launch();
try {
  const page = await browser.newPage();
  for (let run = 0; run < Number(options.runs); ++run) {
    await page.goto(server.url + 'index.html');
    const [card] = await pickAndWait(page, [job]);
    if (card.state !== 'done') throw new Error(`not converted: ${card.text} ${card.problem}`);
    note('page: the conversion call', card.convertMs);
    note('page: worker, bytes to document', card.workerMs);
    note('page: picked to link offered', card.pageMs);
    for (const [what, [program, args]] of Object.entries(natives)) {
      const started = process.hrtime.bigint();
      const result = spawnSync(program, args, { cwd: dirname(job) });
      if (result.status !== 0) throw new Error(`${what}: ${result.stderr}`);
      note(what, Number(process.hrtime.bigint() - started) / 1e6);
    }
  }
} finally {
  await browser.close();
  await server.close();
  rmSync(scratch, { recursive: true, force: true });
}

const best = (what) => Math.min(...seen.get(what));
const median = (what) => seen.get(what).slice().sort((a, b) => a - b)[seen.get(what).length >> 1];
const tool = best('tqxml -o FILE JOB');
console.log(`${basename(job)}: best and median of ${options.runs} runs, milliseconds`);
for (const what of seen.keys()) {
  console.log(`  ${what.padEnd(34)}${best(what).toFixed(0).padStart(7)}` +
              `${median(what).toFixed(0).padStart(7)}   ${(best(what) / tool).toFixed(2)}x the tool`);
}
