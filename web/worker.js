// The worker that converts one job: it runs the WebAssembly module over the
// job's bytes in the module's in-memory files and hands back the report and
// the document. The build wraps this file, with the module's loader
// (createTqxmlModule), in one function that the page starts as a worker from
// a blob: URL, so the page needs no server and works from file:// too.

const JOB_PATH = '/work/job';
const DOCUMENT_PATH = '/work/document.xml';
const UNTRANSCODED_PATH = '/work/untranscoded.xml';

// The statuses of the export.
const STATUS_DONE = 0;
const STATUS_STOPPED = 1;

let cancelRequested = false;

self.onmessage = (event) => {
  const message = event.data;
  if (message.type === 'cancel') {
    cancelRequested = true;
  } else if (message.type === 'convert') {
    convert(message).catch((error) => {
      self.postMessage({ type: 'crashed', message: String((error && error.message) || error) });
    });
  }
};

async function loadModule(wasmModule) {
  return createTqxmlModule({
    instantiateWasm(imports, receive) {
      WebAssembly.instantiate(wasmModule, imports).then((instance) => receive(instance));
      return {};
    },
    // Called while the conversion pauses (see page_api.cpp): the progress
    // goes to the page, and messages that came meanwhile (Cancel) are taken.
    pauseConversion(recordsWritten, percent) {
      self.postMessage({ type: 'progress', recordsWritten, percent });
      return new Promise((resolve) => setTimeout(() => resolve(cancelRequested ? 1 : 0), 0));
    },
    print() {},
    printErr() {},
  });
}

// The document's blocks as they are written to DOCUMENT_PATH, a device:
// the library writes to a device as to standard output, and an in-memory
// file would be copied again each time it grew.
function gatherDocument(FS) {
  const blocks = [];
  const device = FS.makedev(64, 0);
  FS.registerDevice(device, {
    write(stream, buffer, offset, length) {
      blocks.push(buffer.slice(offset, offset + length));
      return length;
    },
  });
  FS.mkdev(DOCUMENT_PATH, device);
  return blocks;
}

async function convert({ wasmModule, file, transcode, salvage }) {
  const started = performance.now();
  const tqxml = await loadModule(wasmModule);
  tqxml.FS.mkdir('/work');
  const blocks = gatherDocument(tqxml.FS);
  tqxml.FS.writeFile(JOB_PATH, new Uint8Array(await file.arrayBuffer()), { canOwn: true });

  const report = JSON.parse(tqxml.ccall('tqxml_job_report', 'string', ['string', 'number'],
                                        [JOB_PATH, salvage ? 1 : 0]));
  self.postMessage({ type: 'report', report });
  if (!report.opened) {
    self.postMessage({ type: 'unreadable', reason: report.failure });
    return;
  }

  const convertStarted = performance.now();
  // The document names the job by the file's own name, as the tool does
  // for a job converted from its own folder. The texts are transcoded from
  // a document written whole first, as the tool does.
  const status = await tqxml.ccall('tqxml_convert', 'number',
                                   ['string', 'string', 'string', 'number'],
                                   [JOB_PATH, transcode ? UNTRANSCODED_PATH : DOCUMENT_PATH,
                                    file.name, salvage ? 1 : 0], { async: true });
  const convertMs = performance.now() - convertStarted;
  tqxml.FS.unlink(JOB_PATH);
  const outcome = {
    type: 'finished',
    status,
    recordsWritten: tqxml._tqxml_records_written(),
    journalReports: tqxml._tqxml_journal_reports(),
    writeFailed: tqxml._tqxml_write_failed() !== 0,
    gaps: JSON.parse(tqxml.ccall('tqxml_salvage_gaps', 'string', [], [])),
    transcodeError: 0,
    convertMs,
  };
  const written = status === STATUS_DONE || status === STATUS_STOPPED;
  if (transcode && written && !outcome.writeFailed) {
    outcome.transcodeError = tqxml.ccall('tqxml_transcode', 'number',
                                         ['string', 'string', 'string'],
                                         [UNTRANSCODED_PATH, DOCUMENT_PATH, 'CP1252']);
  }
  if (written) outcome.document = new Blob(blocks, { type: 'application/xml' });
  outcome.totalMs = performance.now() - started;
  self.postMessage(outcome);
}
