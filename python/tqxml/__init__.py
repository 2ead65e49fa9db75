"""Survey job files converted into XML documents.

``convert(job, xml)`` writes the document of a job file, the same bytes as
the ``tqxml`` command; ``info(job)`` tells what the job holds, as
``tqxml --info`` does. A conversion runs without the interpreter's lock, so
threads converting different jobs run at the same time.
"""

from __future__ import annotations

import os
import tempfile
import warnings
from typing import Callable, Optional, TypedDict, Union

from . import _core

__all__ = [
    "convert", "info", "Error", "JobMissing", "JobUnreadable", "OutputFailed",
    "WriteFailed", "Cancelled", "DamagedJobWarning", "JobInfo", "Header", "Journal",
    "Replay", "RecordCount", "Gap",
]

Path = Union[str, bytes, "os.PathLike[str]", "os.PathLike[bytes]"]
Progress = Callable[[int], Optional[bool]]


class Error(Exception):
    """A document that was not written completely, and why."""

    def __init__(self, path: str, reason: str) -> None:
        super().__init__(f"{path}: {reason}")
        self.path = path  #: the job or the document the reason is about
        self.reason = reason


class JobMissing(Error):
    """There is no job file at the path."""


class JobUnreadable(Error):
    """The file is not a job that can be opened (or it holds no record)."""


class OutputFailed(Error):
    """The document cannot be created."""


class WriteFailed(Error):
    """The document could not be written completely; a partly written file is removed."""


class Cancelled(Error):
    """The progress callback asked to stop; the document is cut off."""


class DamagedJobWarning(UserWarning):
    """The journal is damaged or incomplete: the document holds what could be read."""


_FAILURES: dict[str, type[Error]] = {
    "job_missing": JobMissing, "job_unreadable": JobUnreadable,
    "output_failed": OutputFailed, "write_failed": WriteFailed, "cancelled": Cancelled,
}


def _encoded(path: Path) -> bytes:
    encoded = os.fsencode(path)
    if b"\0" in encoded:
        raise ValueError("embedded null byte")
    return encoded


def convert(job: Path, xml: Path, *, progress: Progress | None = None,
            text_encoding: str | None = None, salvage: bool = False) -> None:
    """Writes the document of the job file ``job`` to ``xml``, replacing an
    earlier file (a device or a FIFO is written to).

    ``progress(percent)`` is called with each new percentage done (0 to 100,
    at most once each, on the converting thread); a false answer (``False``,
    not ``None``) stops the run with ``Cancelled``, leaving the document cut
    off where the library stopped writing. An exception it raises stops the
    run the same way and is raised again from here.

    ``text_encoding`` names the code page of the job's texts (``"CP1252"``):
    the document then is UTF-8 throughout, one any XML parser accepts.

    ``salvage`` goes on past damaged entries of the journal, as
    ``tqxml --salvage`` does: the records behind them are converted too, the
    document says where it was salvaged, and ``DamagedJobWarning`` names
    each gap.

    Raises a subclass of ``Error``; warns with ``DamagedJobWarning`` when the
    job's journal is damaged and the document holds only what could be read.
    """
    job_path, xml_path = _encoded(job), _encoded(xml)
    # The library reads this one name as standard output; here it is a file.
    library_xml = b"./STDOUT$" if xml_path == b"STDOUT$" else xml_path
    if progress is not None and not callable(progress):
        raise TypeError("progress must be callable")
    if text_encoding is not None and not _core.is_known_text_encoding(text_encoding):
        raise ValueError(f"no such code page: {text_encoding}")
    try:
        same = os.path.samefile(job_path, xml_path)
    except OSError:
        same = False
    if same:
        raise OutputFailed(os.fsdecode(xml_path), "the document would replace its own job file")
    if text_encoding is None:
        outcome = _core.convert(job_path, library_xml, progress, "", b"", salvage)
    else:
        try:
            handle, temporary = tempfile.mkstemp(prefix="tqxml-document-", suffix=".xml")
        except OSError as error:
            raise OutputFailed(os.fsdecode(xml_path),
                               f"cannot make a temporary file: {error.strerror}") from None
        os.close(handle)
        try:
            outcome = _core.convert(job_path, library_xml, progress, text_encoding,
                                    os.fsencode(temporary), salvage)
        finally:
            os.unlink(temporary)
    if outcome is None:
        return
    kind, reason = outcome
    job_name, xml_name = os.fsdecode(job_path), os.fsdecode(xml_path)
    if kind == "damaged":
        warnings.warn(f"{job_name}: {reason}", DamagedJobWarning, stacklevel=2)
        return
    if kind == "cancelled":
        raise Cancelled(job_name, f"{reason}; {xml_name} is cut off")
    failure = _FAILURES.get(kind, Error)
    raise failure(xml_name if failure in (OutputFailed, WriteFailed) else job_name, reason)


class Header(TypedDict):
    identification: str  #: "" in the old form, which has none
    file_type: int
    file_type_text: str  #: "job journal", "antenna file", "style file", "unknown"
    version: str  #: "12.20.36"


class Replay(TypedDict):
    stopped_at_damage: bool
    position: int  #: the damaged entry's offset, or the end of the journal
    damage: str | None  #: "checksum", "short_read", ...; None when read to the end
    damage_text: str | None  #: the same in words
    committed_position: int  #: where the last complete transaction ends


class Gap(TypedDict):
    position: int  #: where the damaged entry begins
    damage: str | None  #: "checksum", "short_read", ...
    resumed_at: int | None  #: where reading went on; None when nothing after it could be read
    bytes_skipped: int
    entries_read_after: int
    text: str  #: the same in words, as tqxml --salvage says it


class Journal(TypedDict):
    entries_read: int
    entries_removed_by_hand: int  #: skipped
    entries_foreign: int  #: skipped
    transactions_applied: int
    transactions_dropped: int
    #: "discarded", "broken", "interrupted", "unfinished_at_end", "cut_by_damage"
    dropped_by_reason: dict[str, int]
    replay: Replay
    missing_targets: int  #: entries for records no longer there (skipped)
    identifier_gaps: int
    entries_with_bytes_left: int  #: bytes after their record (ignored)
    entries_rejected: int  #: an action their record does not take
    salvage_gaps: list[Gap]  #: with ``info(job, salvage=True)``: the damaged places skipped


class RecordCount(TypedDict):
    type: int
    name: str | None  #: the record element's name; None for an unnamed type
    count: int


class JobInfo(TypedDict):
    path: str
    size: int  #: bytes
    header: Header | None  #: None when no whole header could be read
    journal: Journal | None  #: None when the journal was not read
    records_chained: int | None  #: None when the job did not open
    records: list[RecordCount]  #: in type order, the types with records
    open_status: int  #: 0 opened, 6 opened up to a damaged entry; else not opened
    open_status_text: str
    opened: bool
    problem: str | None  #: why the job cannot be converted; None when it opened


def info(job: Path, *, salvage: bool = False) -> JobInfo:
    """What ``tqxml --info`` reports of the job file ``job``: its header, the
    journal's entries and transactions, where the replay stopped and why,
    and the records by type. A file that is no job that opens is reported
    too, as far as it could be read (``opened`` is false, ``problem`` says
    why). With ``salvage``, the replay goes on past damaged entries and
    ``journal["salvage_gaps"]`` lists them. Raises ``JobMissing`` when
    there is no such file."""
    path = _encoded(job)
    report = _core.info(path, salvage)
    if report is None:
        raise JobMissing(os.fsdecode(path), "no such job file")
    report["path"] = os.fsdecode(path)
    return report  # type: ignore[no-any-return]
