// Headless Chromium (Debian's package) driven over the DevTools protocol on
// a pipe (--remote-debugging-pipe: no port, no WebSocket library), a static
// server on 127.0.0.1 for the page, which also takes what the page posts to
// /upload/NAME, and what the page shows of each job.
import { spawn } from 'node:child_process';
import { mkdtempSync, readFileSync, rmSync, statSync } from 'node:fs';
import { createServer } from 'node:http';
import { tmpdir } from 'node:os';
import { basename, extname, join, normalize } from 'node:path';

const TYPES = { '.html': 'text/html', '.js': 'text/javascript', '.css': 'text/css',
                '.wasm': 'application/wasm' };

// Serves `root`; keeps each upload's bytes for take(NAME).
export async function startServer(root) {
  const uploads = new Map();
  const waiting = new Map();
  const server = createServer((request, response) => {
    // A page opened from file:// posts across origins.
    response.setHeader('Access-Control-Allow-Origin', '*');
    if (request.method === 'OPTIONS') {
      response.setHeader('Access-Control-Allow-Headers', 'Content-Type');
      response.statusCode = 204;
      response.end();
      return;
    }
    const url = new URL(request.url, 'http://127.0.0.1');
    if (request.method === 'POST' && url.pathname.startsWith('/upload/')) {
      const name = decodeURIComponent(url.pathname.slice('/upload/'.length));
      const chunks = [];
      request.on('data', (chunk) => chunks.push(chunk));
      request.on('end', () => {
        uploads.set(name, Buffer.concat(chunks));
        waiting.get(name)?.();
        response.end('ok');
      });
      return;
    }
    const path = normalize(join(root, decodeURIComponent(url.pathname)));
    let file = path.endsWith('/') ? join(path, 'index.html') : path;
    try {
      if (!file.startsWith(root) || !statSync(file).isFile()) throw new Error('not a file');
      response.setHeader('Content-Type', TYPES[extname(file)] || 'application/octet-stream');
      response.end(readFileSync(file));
    } catch {
      response.statusCode = 404;
      response.end('not found');
    }
  });
  await new Promise((resolve) => server.listen(0, '127.0.0.1', resolve));
  return {
    url: `http://127.0.0.1:${server.address().port}/`,
    // The bytes uploaded as `name`, once they are there.
    async take(name) {
      if (!uploads.has(name)) await new Promise((resolve) => waiting.set(name, resolve));
      const bytes = uploads.get(name);
      uploads.delete(name);
      waiting.delete(name);
      return bytes;
    },
    close: () => new Promise((resolve) => server.close(resolve)),
  };
}

export class Browser {
  static async launch(executable = process.env.CHROMIUM || '/usr/bin/chromium') {
    const profile = mkdtempSync(join(tmpdir(), 'tqxml-chromium-'));
    const child = spawn(executable, [
      '--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
      '--disable-background-networking', '--disable-component-update', '--disable-sync',
      '--disable-extensions', '--mute-audio', '--window-size=1200,1000',
      `--user-data-dir=${profile}`, '--remote-debugging-pipe', 'about:blank',
    ], { stdio: ['ignore', 'ignore', 'pipe', 'pipe', 'pipe'] });
    const browser = new Browser(child, profile);
    await browser.send('Target.setDiscoverTargets', { discover: true });
    return browser;
  }

  constructor(child, profile) {
    this.child = child;
    this.profile = profile;
    this.nextId = 1;
    this.pending = new Map();
    this.listeners = new Set();
    this.stderr = '';
    child.stderr.on('data', (data) => { this.stderr = (this.stderr + data).slice(-4000); });
    let buffered = '';
    child.stdio[4].on('data', (data) => {
      buffered += data.toString('utf8');
      for (let end = buffered.indexOf('\0'); end >= 0; end = buffered.indexOf('\0')) {
        this.dispatch(JSON.parse(buffered.slice(0, end)));
        buffered = buffered.slice(end + 1);
      }
    });
    child.on('exit', () => {
      for (const { reject } of this.pending.values()) {
        reject(new Error(`chromium ended: ${this.stderr}`));
      }
      this.pending.clear();
    });
  }

  dispatch(message) {
    if (message.id !== undefined) {
      const call = this.pending.get(message.id);
      this.pending.delete(message.id);
      if (message.error) call.reject(new Error(`${call.method}: ${message.error.message}`));
      else call.resolve(message.result);
      return;
    }
    for (const listener of this.listeners) listener(message);
  }

  send(method, params = {}, sessionId = undefined) {
    const id = this.nextId++;
    const message = JSON.stringify({ id, method, params, ...(sessionId ? { sessionId } : {}) });
    return new Promise((resolve, reject) => {
      this.pending.set(id, { resolve, reject, method });
      this.child.stdio[3].write(message + '\0');
    });
  }

  async newPage() {
    const { targetId } = await this.send('Target.createTarget', { url: 'about:blank' });
    const { sessionId } = await this.send('Target.attachToTarget', { targetId, flatten: true });
    const page = new Page(this, sessionId);
    await page.send('Page.enable');
    await page.send('Runtime.enable');
    await page.send('Network.enable');
    return page;
  }

  async close() {
    try {
      await this.send('Browser.close');
    } catch {
      // already gone
    }
    await new Promise((resolve) => {
      if (this.child.exitCode !== null) resolve();
      else this.child.on('exit', resolve);
    });
    rmSync(this.profile, { recursive: true, force: true });
  }
}

export class Page {
  constructor(browser, sessionId) {
    this.browser = browser;
    this.sessionId = sessionId;
    this.errors = [];      // uncaught exceptions and console errors
    this.requests = [];    // every URL the page asked for
    this.loaded = null;
    browser.listeners.add((message) => {
      if (message.sessionId !== sessionId) return;
      const { method, params } = message;
      if (method === 'Runtime.exceptionThrown') {
        this.errors.push(params.exceptionDetails.exception?.description ||
                         params.exceptionDetails.text);
      } else if (method === 'Runtime.consoleAPICalled' && params.type === 'error') {
        this.errors.push(params.args.map((a) => a.value ?? a.description).join(' '));
      } else if (method === 'Network.requestWillBeSent') {
        this.requests.push(params.request.url);
      } else if (method === 'Page.loadEventFired' && this.loaded) {
        this.loaded();
      }
    });
  }

  send(method, params = {}) {
    return this.browser.send(method, params, this.sessionId);
  }

  async goto(url) {
    const loaded = new Promise((resolve) => { this.loaded = resolve; });
    await this.send('Page.navigate', { url });
    await loaded;
  }

  // The value of `expression` (a promise is awaited) in the page.
  async evaluate(expression) {
    const { result, exceptionDetails } = await this.send('Runtime.evaluate', {
      expression, awaitPromise: true, returnByValue: true });
    if (exceptionDetails) {
      throw new Error(exceptionDetails.exception?.description || exceptionDetails.text);
    }
    return result.value;
  }

  // Polls `expression` until it is truthy; a generous limit guards against a hang.
  async waitFor(expression, what, limitMs = 180000) {
    const until = Date.now() + limitMs;
    for (;;) {
      const value = await this.evaluate(expression);
      if (value) return value;
      if (Date.now() > until) throw new Error(`gave up waiting for ${what}`);
      await new Promise((resolve) => setTimeout(resolve, 20));
    }
  }

  // Picks `paths` in the file input named by `selector`, as a person would.
  async pickFiles(selector, paths) {
    const { root } = await this.send('DOM.getDocument');
    const { nodeId } = await this.send('DOM.querySelector', { nodeId: root.nodeId, selector });
    await this.send('DOM.setFileInputFiles', { nodeId, files: paths });
  }

  // The whole page as a PNG.
  async screenshot() {
    const { cssContentSize } = await this.send('Page.getLayoutMetrics');
    const clip = { x: 0, y: 0, width: Math.ceil(cssContentSize.width),
                   height: Math.ceil(cssContentSize.height), scale: 1 };
    const { data } = await this.send('Page.captureScreenshot', { format: 'png', clip,
                                                                 captureBeyondViewport: true });
    return Buffer.from(data, 'base64');
  }
}

// What the page shows on each job's card, newest first.
export const CARDS = `Array.from(document.querySelectorAll('.job')).map((card) => {
  const problem = card.querySelector('.problem');
  const link = card.querySelector('.download');
  return {
    name: card.querySelector('.job-name').textContent,
    state: card.dataset.state,
    text: card.querySelector('.job-state').textContent,
    problem: problem.hidden ? '' : problem.textContent,
    rows: Array.from(card.querySelectorAll('.info tr'),
                     (tr) => [tr.cells[0].textContent, tr.cells[1].textContent]),
    chart: Array.from(card.querySelectorAll('.chart li'),
                      (li) => [li.querySelector('.count').textContent,
                               li.querySelector('.type-name').textContent]),
    download: link.getAttribute('download'),
    href: link.getAttribute('href') || '',
    recordsWritten: Number(card.dataset.recordsWritten),
    convertMs: Number(card.dataset.convertMs),
    workerMs: Number(card.dataset.workerMs),
    pageMs: Number(card.dataset.pageMs),
  };
})`;

const FINISHED = ['done', 'cancelled', 'failed'];

// Picks `jobs` in the page's file input, as a person would, and waits until
// each is converted, cancelled or refused; their cards.
export async function pickAndWait(page, jobs) {
  await page.pickFiles('#job-files', jobs);
  const names = jobs.map((job) => basename(job));
  return page.waitFor(`(() => {
    const cards = ${CARDS}.filter((c) => ${JSON.stringify(names)}.includes(c.name));
    return cards.length === ${names.length} &&
           cards.every((c) => ${JSON.stringify(FINISHED)}.includes(c.state)) && cards;
  })()`, `the page to finish ${names.join(', ')}`);
}
