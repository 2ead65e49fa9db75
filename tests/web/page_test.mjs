// The page in a real browser, against the native tool: every document the
// page offers must be the tool's, byte for byte; what it tells of a job must
// be what `tqxml --info` prints; Cancel must leave the export's own prefix.
//
//   node page_test.mjs --group documents|unreadable|cancel|offline
//                      --page build-web/page --native build --source . --work DIR
//
// Prints one line per check and "N passed, N failed" at the end.
import { spawnSync } from 'node:child_process';
import { mkdirSync, readFileSync, readdirSync, rmSync, writeFileSync } from 'node:fs';
import { basename, dirname, join, resolve } from 'node:path';
import { pathToFileURL } from 'node:url';
import { parseArgs } from 'node:util';

import { Browser, pickAndWait, startServer } from './chromium.mjs';

const { values: options } = parseArgs({ options: {
  group: { type: 'string' },
  page: { type: 'string' }, native: { type: 'string' }, source: { type: 'string' },
  work: { type: 'string' }, screenshot: { type: 'string' },
} });
const pageDir = resolve(options.page);
const nativeDir = resolve(options.native);
const sourceDir = resolve(options.source || '.');
const workDir = resolve(options.work);
const tool = join(nativeDir, 'tqxml');

let passed = 0;
let failed = 0;
async function check(name, body) {
  try {
    await body();
    passed += 1;
    console.log(`ok ${passed + failed} - ${name}`);
  } catch (error) {
    failed += 1;
    console.log(`not ok ${passed + failed} - ${name}\n  ${String(error.stack || error)
      .split('\n').join('\n  ')}`);
  }
}

function expect(condition, message) {
  if (!condition) throw new Error(message);
}

function expectEqual(actual, expected, what) {
  const a = JSON.stringify(actual);
  const e = JSON.stringify(expected);
  if (a !== e) throw new Error(`${what}:\n    page:   ${a}\n    native: ${e}`);
}

function expectSameBytes(actual, expected, what) {
  if (Buffer.compare(actual, expected) === 0) return;
  let at = 0;
  while (at < actual.length && at < expected.length && actual[at] === expected[at]) at += 1;
  throw new Error(`${what}: the page's ${actual.length} bytes differ from the tool's ` +
                  `${expected.length} at byte ${at}: page ` +
                  `${JSON.stringify(actual.subarray(at, at + 60).toString('latin1'))}, tool ` +
                  `${JSON.stringify(expected.subarray(at, at + 60).toString('latin1'))}`);
}

// Runs a native program in the job's own folder, the job named by its file name.
function run(program, args, cwd) {
  const result = spawnSync(program, args, { cwd, maxBuffer: 1 << 30 });
  if (result.error) throw result.error;
  return { status: result.status, stdout: result.stdout.toString(),
           stderr: result.stderr.toString() };
}

// The tool's document for `job` (given its options), read back.
function nativeDocument(job, toolOptions = []) {
  const out = join(workDir, 'native', basename(job).replace(/\.[^.]*$/, '') + '.xml');
  mkdirSync(dirname(out), { recursive: true });
  const result = run(tool, [...toolOptions, '-o', out, basename(job)], dirname(job));
  expect(result.status === 0, `tqxml ${basename(job)} exited ${result.status}: ${result.stderr}`);
  return readFileSync(out);
}

// `tqxml --info`'s lines as [heading, text], the records by type apart.
function nativeInfo(job, toolOptions = []) {
  const { stdout } = run(tool, ['--info', ...toolOptions, basename(job)], dirname(job));
  const rows = [];
  const chart = [];
  let inRecords = false;
  for (const line of stdout.split('\n').filter((l) => l.length > 0)) {
    const heading = line.slice(0, 14).trim();
    const text = line.slice(14);
    if (heading) inRecords = heading === 'records';
    const record = /^ *(\d+) {2}(.*)$/.exec(text);
    if (inRecords && !heading && record) chart.push([record[1], record[2]]);
    else rows.push([heading, text]);
  }
  return { rows, chart };
}

// The document the page offers on `card`, fetched from its link and posted
// to the test server.
async function offeredDocument(page, server, card) {
  expect(card.href.startsWith('blob:'), `the link is not a blob: URL but "${card.href}"`);
  const key = `${card.name}-${Math.random()}`;
  const taken = server.take(key);
  await page.evaluate(`fetch(${JSON.stringify(card.href)}).then((r) => r.blob())
    .then((body) => fetch(${JSON.stringify(server.url + 'upload/' + encodeURIComponent(key))},
                          { method: 'POST', body })).then(() => true)`);
  return taken;
}

function generateJob(path, records, seed) {
  mkdirSync(dirname(path), { recursive: true });
  const result = run(join(nativeDir, 'tqxml-genjob'),
                     ['--records', String(records), '--seed', String(seed), path], workDir);
  expect(result.status === 0, `tqxml-genjob failed: ${result.stderr}`);
  return path;
}

// Each job's card against the tool run in the job's folder with `toolOptions`:
// the same document (or the same refusal), what --info prints, and the
// tool's warnings in the same words.
async function checkCardsAgainstTool(page, server, cards, jobs, toolOptions, label) {
  const infoOptions = toolOptions.filter((option) => option === '--salvage');
  for (const job of jobs) {
    const name = basename(job);
    await check(`${label}: ${name}`, async () => {
      const card = cards.find((c) => c.name === name);
      const out = join(workDir, 'native', label, name.replace(/\.[^.]*$/, '') + '.xml');
      mkdirSync(dirname(out), { recursive: true });
      const native = run(tool, [...toolOptions, '-o', out, name], dirname(job));
      const info = nativeInfo(job, infoOptions);
      expectEqual(card.rows, info.rows, `${name}: the summary against --info`);
      expectEqual(card.chart, info.chart, `${name}: the records by type against --info`);
      if (native.status !== 0) {
        expect(card.state === 'failed', `the page says ${card.state}: ${card.text}`);
        expectEqual(`tqxml: ${card.problem}`, native.stderr.trim(), `${name}: the reason`);
        expect(card.href === '', 'a document is offered');
        return;
      }
      expect(card.state === 'done', `not converted: ${card.state}, ${card.text} ${card.problem}`);
      expect(card.download === name.replace(/\.[^.]*$/, '') + '.xml',
             `the link downloads "${card.download}"`);
      // The warnings up to where the tool points to --info and the page to its summary.
      const said = (text) => text.split('\n').filter((line) => line)
        .map((line) => line.replace(`tqxml: ${name}: `, '').replace(/ \((--info|the summary).*$/, ''));
      expectEqual(said(card.problem), said(native.stderr), `${name}: the warnings`);
      expectSameBytes(await offeredDocument(page, server, card), readFileSync(out), name);
    });
  }
}

// The sample, every golden job and a generated one (many random reals),
// then all of them again with their texts transcoded; a screenshot after
// the first conversion.
async function documents(browser, server) {
  const golden = readdirSync(join(sourceDir, 'tests/golden'))
    .filter((f) => f.endsWith('.job')).map((f) => join(sourceDir, 'tests/golden', f));
  const jobs = [join(sourceDir, 'examples/sample.job'), ...golden];
  jobs.push(generateJob(join(workDir, 'jobs', 'generated.job'), 20000, 11));

  const page = await browser.newPage();
  await page.goto(server.url + 'index.html');
  const [sample] = await pickAndWait(page, [jobs[0]]);
  await page.evaluate(`document.querySelector('.preview-toggle').click(); true`);
  await page.waitFor(`document.querySelector('.preview').textContent.startsWith('<?xml')`,
                     'the preview');
  const screenshot = options.screenshot || join(workDir, 'page.png');
  writeFileSync(screenshot, await page.screenshot());
  console.log(`# screenshot: ${screenshot}`);
  await checkCardsAgainstTool(page, server, [sample], [jobs[0]], [], 'document');

  const cards = await pickAndWait(page, jobs.slice(1));
  await checkCardsAgainstTool(page, server, cards, jobs.slice(1), [], 'document');

  await page.goto(server.url + 'index.html');
  await page.evaluate(`document.getElementById('transcode').click(); true`);
  const transcoded = await pickAndWait(page, jobs);
  await checkCardsAgainstTool(page, server, transcoded, jobs, ['--text-encoding', 'CP1252'],
                              'transcoded');
  await check('no errors on the page', () => expectEqual(page.errors, [], 'page errors'));
}

// Files the tool cannot convert, or converts only up to their damage: the
// page must say what the tool says, and salvage what the tool salvages.
async function unreadable(browser, server) {
  const folder = join(workDir, 'files');
  mkdirSync(folder, { recursive: true });
  const sample = readFileSync(join(sourceDir, 'examples/sample.job'));
  const files = {
    'checksum.job': Buffer.from(sample).fill(0x5a, 6000, 6001),
    'hole.job': Buffer.from(sample).fill(0xff, 3000, 3400),
    'cut.job': sample.subarray(0, 7000),
    'notes.txt': Buffer.from('These are the surveyor\'s notes, not a job file.\n'.repeat(3)),
    'short.job': sample.subarray(0, 20),
    'version.job': Buffer.from(sample).fill(21, 46, 47),
    'antenna.job': Buffer.from(sample).fill(2, 43, 44),
  };
  const paths = Object.entries(files).map(([name, bytes]) => {
    writeFileSync(join(folder, name), bytes);
    return join(folder, name);
  });
  for (const salvage of [false, true]) {
    const page = await browser.newPage();
    await page.goto(server.url + 'index.html');
    if (salvage) await page.evaluate(`document.getElementById('salvage').click(); true`);
    const cards = await pickAndWait(page, paths);
    const label = salvage ? 'salvaged' : 'unreadable or damaged';
    await checkCardsAgainstTool(page, server, cards, paths, salvage ? ['--salvage'] : [], label);
    await check(`${label}: no errors on the page`,
                () => expectEqual(page.errors, [], 'page errors'));
  }
}

// Cancel during a long conversion: the page stops, says where, and offers
// the document cut off there, as the export leaves it when its progress
// callback asks to stop at that record.
async function cancel(browser, server) {
  const job = generateJob(join(workDir, 'jobs', 'long.job'), 100000, 7);
  const page = await browser.newPage();
  await page.goto(server.url + 'index.html');
  // Cancel is pressed at the first progress the page shows.
  await page.evaluate(`new MutationObserver((changes, observer) => {
    const progress = document.querySelector('.job-progress');
    if (progress && progress.position >= 0) {
      observer.disconnect();
      document.querySelector('.cancel').click();
    }
  }).observe(document.getElementById('jobs'), { subtree: true, attributes: true,
                                                childList: true, characterData: true }); true`);
  const [card] = await pickAndWait(page, [job]);
  console.log(`# cancelled after ${card.recordsWritten} of 100000 records`);
  await check('cancel: the conversion stops where Cancel reached it', () => {
    expect(card.state === 'cancelled', `the page says ${card.state}: ${card.text}`);
    expect(card.recordsWritten > 0 && card.recordsWritten < 100000,
           `stopped after ${card.recordsWritten} records`);
    expectEqual(card.text, `Cancelled after ${card.recordsWritten.toLocaleString('en-US')} of ` +
                           '100,000 records; long.xml is cut off there', 'the state');
  });
  await check('cancel: the cut-off document is the export\'s', async () => {
    const out = join(workDir, 'native', 'long-stopped.xml');
    mkdirSync(dirname(out), { recursive: true });
    const host = run(join(nativeDir, 'tqxml-host'),
                     ['--library', join(nativeDir, 'libtqxml.so'), '--stop-after',
                      String(card.recordsWritten), basename(job), out], dirname(job));
    expect(host.status === 0, `tqxml-host failed: ${host.stderr}`);
    expectSameBytes(await offeredDocument(page, server, card), readFileSync(out), 'long.job');
  });
  await check('no errors on the page', () => expectEqual(page.errors, [], 'page errors'));
}

// The page opened from disk converts with nothing but its own files.
async function offline(browser, server) {
  const job = join(sourceDir, 'examples/sample.job');
  const page = await browser.newPage();
  await page.goto(pathToFileURL(join(pageDir, 'index.html')).href);
  const [card] = await pickAndWait(page, [job]);
  const asked = page.requests.slice();
  await check('file://: the page converts the sample', async () => {
    expect(card.state === 'done', `not converted: ${card.state} ${card.problem}`);
    expectSameBytes(await offeredDocument(page, server, card), nativeDocument(job), 'sample.job');
  });
  await check('file://: nothing is asked of a network', () => {
    expect(asked.some((url) => url.endsWith('/tqxml-engine.js')), `no requests seen: ${asked}`);
    const remote = asked.filter((url) => !/^(file|blob|data):/.test(url));
    expectEqual(remote, [], 'requests');
  });
  await check('no errors on the page', () => expectEqual(page.errors, [], 'page errors'));
}

const groups = { documents, unreadable, cancel, offline };
const body = groups[options.group];
if (!body) {
  console.error(`unknown group "${options.group}"; one of ${Object.keys(groups).join(', ')}`);
  process.exit(2);
}
rmSync(workDir, { recursive: true, force: true });
mkdirSync(workDir, { recursive: true });
const server = await startServer(pageDir);
const browser = await Browser.launch();
try {
  await body(browser, server);
} catch (error) {
  failed += 1;
  console.log(`not ok ${passed + failed} - ${options.group}: ${error.stack || error}`);
} finally {
  await browser.close();
  await server.close();
}
console.log(`${passed} passed, ${failed} failed`);
process.exit(failed === 0 ? 0 : 1);
