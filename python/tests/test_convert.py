"""tqxml.convert: the tool's documents, its failures as exceptions, the
progress callback, and conversions on two threads."""

import os
import resource
import signal
import subprocess
import sys
import threading
from pathlib import Path

import pytest

import tqxml
from conftest import GOLDEN_JOBS, SAMPLE, run_tool


@pytest.mark.parametrize("job", GOLDEN_JOBS + [SAMPLE], ids=lambda job: job.stem)
def test_documents_are_the_tools(job, tmp_path, monkeypatch):
    # From the job's folder, so that both name the job alike in the document.
    monkeypatch.chdir(job.parent)
    for encoding in (None, "CP1252"):
        ours, tools = tmp_path / "ours.xml", tmp_path / "tools.xml"
        tqxml.convert(Path(job.name), str(ours), text_encoding=encoding)
        encoding_option = ["--text-encoding", encoding] if encoding else []
        assert run_tool(*encoding_option, "-o", tools, job.name)[0] == 0
        assert ours.read_bytes() == tools.read_bytes()


def test_an_unknown_text_encoding_is_refused_before_anything_is_written(tmp_path):
    with pytest.raises(ValueError, match="no such code page: NO-SUCH-PAGE"):
        tqxml.convert(SAMPLE, tmp_path / "x.xml", text_encoding="NO-SUCH-PAGE")
    assert not (tmp_path / "x.xml").exists()


def test_each_failure_raises_what_the_tool_says(tmp_path):
    job, xml = tmp_path / "survey.job", tmp_path / "survey.xml"
    job.write_bytes(SAMPLE.read_bytes())
    short = tmp_path / "short.job"
    short.write_bytes(job.read_bytes()[:20])
    (tmp_path / "file").touch()
    cases = [
        (tmp_path / "none.job", xml, tqxml.JobMissing),
        (tmp_path, xml, tqxml.JobUnreadable),
        (short, xml, tqxml.JobUnreadable),
        (job, tmp_path, tqxml.OutputFailed),
        (job, tmp_path / "file" / "x.xml", tqxml.OutputFailed),
        (job, job, tqxml.OutputFailed),
        (job, "/dev/full", tqxml.WriteFailed),
    ]
    for job_path, xml_path, failure in cases:
        for encoding in (None, "CP1252"):
            with pytest.raises(failure) as raised:
                tqxml.convert(job_path, xml_path, text_encoding=encoding)
            job_failure = failure in (tqxml.JobMissing, tqxml.JobUnreadable)
            path = job_path if job_failure else xml_path
            assert raised.value.path == str(path)
            assert str(raised.value) == f"{path}: {raised.value.reason}"
            assert str(raised.value) == run_tool("-o", xml_path, job_path)[2]
    assert not xml.exists()
    assert job.read_bytes() == SAMPLE.read_bytes()


def test_a_document_that_cannot_be_written_whole_is_removed(tmp_path):
    # A file size limit stands in for a full disk.
    def limit():
        signal.signal(signal.SIGXFSZ, signal.SIG_IGN)
        resource.setrlimit(resource.RLIMIT_FSIZE, (20000, 20000))

    xml = tmp_path / "survey.xml"
    script = "import sys, tqxml\ntry: tqxml.convert(sys.argv[1], sys.argv[2])\n" \
             "except tqxml.WriteFailed as e: print(e, end='')"
    ours = subprocess.run([sys.executable, "-c", script, SAMPLE, xml], preexec_fn=limit,
                          capture_output=True, text=True, check=True).stdout
    assert ours == f"{xml}: File too large; the incomplete document was removed"
    assert not xml.exists()
    assert run_tool("-o", xml, SAMPLE, preexec_fn=limit)[2] == ours


class Stop(Exception):
    pass


@pytest.mark.parametrize("answer, failure", [(False, tqxml.Cancelled), (0, tqxml.Cancelled),
                                             (Stop, Stop)])
def test_the_callback_stops_the_run_where_the_export_stops(answer, failure, big_jobs, tmp_path,
                                                           export):
    job, ours, exports = big_jobs[0], tmp_path / "ours.xml", tmp_path / "export.xml"
    seen = []

    def progress(percent):
        seen.append(percent)
        if percent < 40:
            return None if percent % 2 else True
        if answer is Stop:
            raise Stop(percent)
        return answer

    with pytest.raises(failure) as raised:
        tqxml.convert(job, ours, progress=progress)
    assert seen == list(range(41))
    if failure is Stop:
        assert raised.value.args == (40,)
    else:
        assert raised.value.path == str(job)
        assert raised.value.reason == f"stopped by the progress callback; {ours} is cut off"
    assert export(job, exports, stop_at=40) == 1
    document = ours.read_bytes()
    assert document == exports.read_bytes()
    assert document and b"</JOBFile>" not in document


def test_two_threads_convert_two_jobs_each_with_its_own_progress(big_jobs, tmp_path):
    serial = []
    for number, job in enumerate(big_jobs):
        tqxml.convert(job, tmp_path / f"serial{number}.xml")
        serial.append((tmp_path / f"serial{number}.xml").read_bytes())
    seen = {}

    def work(number, job):
        calls = seen[number] = []
        tqxml.convert(job, tmp_path / f"thread{number}.xml",
                      progress=lambda percent: calls.append((threading.get_ident(), percent)))
        calls.append(threading.get_ident())

    threads = [threading.Thread(target=work, args=pair) for pair in enumerate(big_jobs)]
    for thread in threads:
        thread.start()
    for thread in threads:
        thread.join()
    for number, calls in seen.items():
        assert (tmp_path / f"thread{number}.xml").read_bytes() == serial[number]
        ident = calls.pop()
        assert calls == [(ident, percent) for percent in range(101)]


def test_another_thread_runs_while_a_job_is_converted(big_jobs, tmp_path):
    # The document goes through a FIFO that this thread reads while another
    # writes it: were the lock held through the conversion, the writer would
    # wait for this reader forever.
    fifo = tmp_path / "document"
    os.mkfifo(fifo)
    writer = threading.Thread(target=tqxml.convert, args=(big_jobs[0], fifo))
    writer.start()
    with open(fifo, "rb") as reader:
        document = reader.read()
    writer.join()
    tqxml.convert(big_jobs[0], tmp_path / "file.xml")
    assert len(document) > 1 << 20
    assert document == (tmp_path / "file.xml").read_bytes()
