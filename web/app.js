// The page: takes job files picked or dropped, converts each in a worker of
// its own (a few at a time), and shows its progress, what the job holds (as
// `tqxml --info` tells it) and the document to download or preview.
// tqxml-engine.js, made by the build, defines tqxmlWorkerMain (the worker's
// program) and TQXML_WASM_BASE64 (the converter's WebAssembly module).
'use strict';

const PREVIEW_BYTES = 64 * 1024;
const STATUS_DONE = 0;
const STATUS_STOPPED = 1;
const STATUS_OUTPUT_FAILED = 5;

const jobsSection = document.getElementById('jobs');
const fileInput = document.getElementById('job-files');
const transcodeBox = document.getElementById('transcode');
const salvageBox = document.getElementById('salvage');
const dropZone = document.getElementById('drop-zone');

const queue = [];
let running = 0;
// Jobs converted at once: each worker holds its job and document in memory.
const maxRunning = Math.max(1, Math.min(4, (navigator.hardwareConcurrency || 2) - 1));

function showPageProblem(text) {
  const problem = document.getElementById('page-problem');
  problem.textContent = text;
  problem.hidden = false;
}

// The WebAssembly module, compiled once and handed to every worker.
let compiled = null;
function compiledModule() {
  if (!compiled) {
    const text = atob(TQXML_WASM_BASE64);
    const bytes = new Uint8Array(text.length);
    for (let i = 0; i < text.length; ++i) bytes[i] = text.charCodeAt(i);
    compiled = WebAssembly.compile(bytes);
  }
  return compiled;
}

let workerUrl = null;
function newWorker() {
  if (!workerUrl) {
    const source = '(' + tqxmlWorkerMain.toString() + ')();';
    workerUrl = URL.createObjectURL(new Blob([source], { type: 'text/javascript' }));
  }
  return new Worker(workerUrl);
}

// NAME.xml for NAME.job, as the tool names the document beside its job.
function documentName(fileName) {
  const dot = fileName.lastIndexOf('.');
  return (dot > 0 ? fileName.slice(0, dot) : fileName) + '.xml';
}

function formatCount(n) {
  return Number(n).toLocaleString('en-US');
}

function formatSize(bytes) {
  if (bytes < 1024 * 1024) return `${formatCount(bytes)} bytes`;
  return `${formatCount(bytes)} bytes (${(bytes / (1024 * 1024)).toFixed(1)} MiB)`;
}

function hex(value) {
  return '0x' + value.toString(16);
}

// The identification text as --info shows it: bytes outside printable ASCII
// (and the backslash) as \xNN.
function printable(bytes) {
  return bytes.map((b) => (b >= 0x20 && b < 0x7f && b !== 0x5c
    ? String.fromCharCode(b)
    : '\\x' + b.toString(16).padStart(2, '0'))).join('');
}

// The lines of `tqxml --info` for a job, as [heading, text]; the records by
// type are drawn as a chart instead.
function infoRows(name, report) {
  const rows = [];
  const add = (heading, text) => rows.push([heading, text]);
  add('job', `${name} (${report.fileSize} bytes)`);
  if (report.headerRead) {
    const id = report.identification.length === 0 ? 'no identification text (old form)'
                                                   : `"${printable(report.identification)}"`;
    add('header', `${id}, type ${report.fileType} (${report.fileTypeText}), version ${report.version}`);
  }
  if (report.journalRead) {
    let entries = `${report.entriesRead} read`;
    if (report.manualRepairs) entries += `, ${report.manualRepairs} removed by hand (skipped)`;
    if (report.foreignEntriesSkipped) entries += `, ${report.foreignEntriesSkipped} foreign (skipped)`;
    add('entries', entries);
    add('transactions', `${report.transactionsApplied} applied, ${report.transactionsDropped} dropped`);
    for (const drop of report.drops) add('', `${drop.count} ${drop.reason}`);
    report.gaps.forEach((gap, i) => add(i === 0 ? 'salvage' : '', gap));
    if (report.stoppedAtDamage) {
      add('replay', `stopped at the damaged entry at ${hex(report.stopPosition)}: ${report.damageText}`);
    } else {
      add('replay', `read to the end of the journal at ${hex(report.stopPosition)}`);
    }
    add('', `last complete transaction ends at ${hex(report.committedPosition)}`);
    const counts = [
      [report.missingTargets, 'entries for records no longer there (skipped)'],
      [report.dbidDiscontinuities, 'gaps in the record identifiers'],
      [report.entriesWithBytesLeft, 'entries with bytes after their record (ignored)'],
      [report.entriesRejected, 'entries with an action their record does not take'],
    ];
    for (const [count, text] of counts) if (count) add('', `${count} ${text}`);
  }
  if (report.opened) add('records', `${report.recordsChained} in the chain`);
  add('open status', `${report.status}, ${report.statusText}`);
  return rows;
}

class Job {
  constructor(file, { transcode, salvage }) {
    this.file = file;
    this.transcode = transcode;
    this.salvage = salvage;
    this.name = documentName(file.name);
    this.total = 0;
    this.worker = null;
    this.card = document.getElementById('job-card').content.firstElementChild.cloneNode(true);
    this.part = (selector) => this.card.querySelector(selector);
    this.part('.job-name').textContent = file.name;
    this.part('.cancel').addEventListener('click', () => this.cancel());
    this.part('.preview-toggle').addEventListener('click', () => this.togglePreview());
    this.setState('queued', 'Waiting for its turn');
    jobsSection.prepend(this.card);
  }

  setState(state, text) {
    this.card.dataset.state = state;
    this.part('.job-state').textContent = text;
    const finished = !['queued', 'reading', 'converting'].includes(state);
    this.part('.cancel').disabled = finished || this.cancelRequested;
    this.part('.progress-row').hidden = finished;
  }

  showProblem(text) {
    const problem = this.part('.problem');
    problem.textContent = text;
    problem.hidden = false;
  }

  async start() {
    this.running = true;
    this.started = performance.now();
    this.setState('reading', 'Reading the journal…');
    let wasmModule;
    try {
      wasmModule = await compiledModule();
      this.worker = newWorker();
    } catch (error) {
      this.fail(`The converter could not be started in this browser: ${error.message || error}`);
      return;
    }
    this.worker.onmessage = (event) => this.receive(event.data);
    this.worker.onerror = (event) => {
      event.preventDefault();
      this.crashed(event.message || 'no reason given');
    };
    this.worker.postMessage({ type: 'convert', wasmModule, file: this.file,
                              transcode: this.transcode, salvage: this.salvage });
    if (this.cancelRequested) this.worker.postMessage({ type: 'cancel' });
  }

  cancel() {
    this.cancelRequested = true;
    this.part('.cancel').disabled = true;
    const waiting = queue.indexOf(this);
    if (waiting >= 0) {
      queue.splice(waiting, 1);
      this.setState('cancelled', 'Cancelled before it started');
    } else if (this.worker) {
      this.worker.postMessage({ type: 'cancel' });
    }
  }

  receive(message) {
    switch (message.type) {
      case 'report':
        this.showSummary(message.report);
        if (message.report.opened) {
          this.total = message.report.recordsChained;
          this.setState('converting', `Converting ${formatCount(this.total)} records…`);
        }
        break;
      case 'progress':
        this.part('.job-progress').value = message.percent;
        this.setState('converting', `Converting: ${formatCount(message.recordsWritten)} of ` +
                                    `${formatCount(this.total)} records (${message.percent}%)`);
        break;
      case 'unreadable':
        this.finish();
        this.setState('failed', 'Not converted');
        this.showProblem(`${this.file.name}: ${message.reason}`);
        break;
      case 'finished':
        this.finish();
        this.showOutcome(message);
        break;
      case 'crashed':
        this.crashed(message.message);
        break;
    }
  }

  finish() {
    if (this.worker) this.worker.terminate();
    this.worker = null;
    if (this.running) {
      this.running = false;
      running -= 1;
      pump();
    }
  }

  fail(text) {
    this.finish();
    this.setState('failed', 'Not converted');
    this.showProblem(text);
  }

  crashed(reason) {
    this.fail(`The converter stopped unexpectedly (${reason}); perhaps the job is too large ` +
              'for the memory this browser gives a page');
  }

  showOutcome(outcome) {
    const seconds = ((performance.now() - this.started) / 1000).toFixed(1);
    this.card.dataset.convertMs = outcome.convertMs.toFixed(1);
    this.card.dataset.workerMs = outcome.totalMs.toFixed(1);
    this.card.dataset.pageMs = (performance.now() - this.started).toFixed(1);
    this.card.dataset.recordsWritten = outcome.recordsWritten;
    if (outcome.writeFailed || outcome.status === STATUS_OUTPUT_FAILED) {
      this.setState('failed', 'Not converted');
      this.showProblem(`${this.name}: the document could not be written completely`);
      return;
    }
    if (outcome.transcodeError) {
      this.setState('failed', 'Not converted');
      this.showProblem(`${this.name}: the texts could not be transcoded (error ${outcome.transcodeError})`);
      return;
    }
    if (outcome.status === STATUS_STOPPED) {
      this.setState('cancelled', `Cancelled after ${formatCount(outcome.recordsWritten)} of ` +
                                 `${formatCount(this.total)} records; ${this.name} is cut off there`);
    } else if (outcome.status === STATUS_DONE) {
      this.setState('done', `Converted ${formatCount(outcome.recordsWritten)} records in ${seconds} s` +
                            (this.transcode ? ', the texts transcoded from CP1252' : ''));
      if (outcome.gaps.length > 0) {
        // A salvaged job tells each gap, instead of the warning of damage.
        this.showProblem(outcome.gaps.map((gap) => `salvaged: ${gap}`).join('\n'));
        this.part('.problem').classList.add('warning');
      } else if (outcome.journalReports > 0) {
        this.showProblem('warning: the journal is damaged or incomplete; the document holds what ' +
                         'could be read (the summary below tells where and why)');
        this.part('.problem').classList.add('warning');
      }
    } else {
      this.setState('failed', 'Not converted');
      this.showProblem(`${this.file.name}: conversion failed with status ${outcome.status}`);
      return;
    }
    this.offerDocument(outcome.document);
  }

  offerDocument(blob) {
    this.documentBlob = blob;
    const link = this.part('.download');
    link.href = URL.createObjectURL(blob);
    link.download = this.name;
    link.textContent = `Download ${this.name}`;
    this.part('.document-size').textContent = formatSize(blob.size);
    this.part('.document').hidden = false;
  }

  async togglePreview() {
    const preview = this.part('.preview');
    const button = this.part('.preview-toggle');
    if (!preview.hidden) {
      preview.hidden = true;
      button.textContent = 'Preview';
      return;
    }
    if (!preview.textContent) {
      const blob = this.documentBlob;
      let text = await blob.slice(0, PREVIEW_BYTES).text();
      if (blob.size > PREVIEW_BYTES) {
        text += `\n… (the first ${formatCount(PREVIEW_BYTES)} of ${formatCount(blob.size)} bytes)`;
      }
      preview.textContent = text;
    }
    preview.hidden = false;
    button.textContent = 'Hide the preview';
  }

  showSummary(report) {
    const body = this.part('.info tbody');
    body.replaceChildren();
    for (const [heading, text] of infoRows(this.file.name, report)) {
      const row = body.insertRow();
      row.insertCell().textContent = heading;
      row.insertCell().textContent = text;
    }
    const records = report.records || [];
    const chart = this.part('.chart');
    chart.replaceChildren();
    const most = Math.max(1, ...records.map((r) => r.count));
    for (const record of records) {
      const item = document.createElement('li');
      const bar = document.createElement('span');
      bar.className = 'bar';
      bar.style.width = `${(100 * record.count) / most}%`;
      const count = document.createElement('span');
      count.className = 'count';
      count.textContent = record.count;
      const name = document.createElement('span');
      name.className = 'type-name';
      name.textContent = record.name || `type ${record.type}`;
      item.append(bar, count, name);
      chart.append(item);
    }
    this.part('.chart-title').hidden = records.length === 0;
    this.part('.summary').hidden = false;
  }
}

function pump() {
  while (running < maxRunning && queue.length > 0) {
    running += 1;
    queue.shift().start();
  }
}

function addFiles(files) {
  const options = { transcode: transcodeBox.checked, salvage: salvageBox.checked };
  for (const file of files) queue.push(new Job(file, options));
  pump();
}

function setUp() {
  if (typeof WebAssembly !== 'object' || typeof Worker !== 'function') {
    showPageProblem('This browser cannot run the converter: it has no WebAssembly or no workers.');
    return;
  }
  if (typeof tqxmlWorkerMain !== 'function' || typeof TQXML_WASM_BASE64 !== 'string') {
    showPageProblem('The converter (tqxml-engine.js) is missing beside this page: ' +
                    'copy the whole folder the page was built into.');
    return;
  }
  fileInput.addEventListener('change', () => {
    addFiles(fileInput.files);
    fileInput.value = '';
  });
  // A file dropped anywhere is taken, not opened by the browser in place of the page.
  window.addEventListener('dragover', (event) => {
    event.preventDefault();
    dropZone.classList.add('dragging');
  });
  window.addEventListener('dragleave', (event) => {
    if (!event.relatedTarget) dropZone.classList.remove('dragging');
  });
  window.addEventListener('drop', (event) => {
    event.preventDefault();
    dropZone.classList.remove('dragging');
    addFiles(event.dataTransfer.files);
  });
}

setUp();
