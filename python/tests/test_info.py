"""tqxml.info: the facts of tqxml --info as data, for a sound job, damaged
ones and files that are no job; and a damaged job's conversion."""

import re
import struct

import pytest

import tqxml
from conftest import SAMPLE, run_tool

HEADER_SIZE = 48


def entry_offsets(job_bytes):
    """Where each journal entry's length field starts."""
    offsets, position = [], HEADER_SIZE
    while position + 4 <= len(job_bytes):
        offsets.append(position)
        position += 4 + struct.unpack_from("<I", job_bytes, position)[0]
    return offsets


def tool_info_lines(job):
    code, out, _ = run_tool("--info", job)
    return code, [line.rstrip() for line in out.decode().splitlines()]


def assert_the_tool_tells_the_same(info):
    code, lines = tool_info_lines(info["path"])
    assert code == (0 if info["opened"] else 4)
    assert lines[0] == f"job           {info['path']} ({info['size']} bytes)"
    assert lines[-1] == f"open status   {info['open_status']}, {info['open_status_text']}"
    header = info["header"]
    if header:
        assert f"type {header['file_type']} ({header['file_type_text']}), " \
               f"version {header['version']}" in lines[1]
    journal = info["journal"]
    if journal:
        replay = journal["replay"]
        assert f"entries       {journal['entries_read']} read" in lines
        assert f"transactions  {journal['transactions_applied']} applied, " \
               f"{journal['transactions_dropped']} dropped" in lines
        assert (f"replay        stopped at the damaged entry at {replay['position']:#x}: "
                f"{replay['damage_text']}" if replay["stopped_at_damage"] else
                f"replay        read to the end of the journal at {replay['position']:#x}") in lines
        assert f"{' ' * 14}last complete transaction ends at " \
               f"{replay['committed_position']:#x}" in lines
    if info["opened"]:
        chain = lines.index(f"records       {info['records_chained']} in the chain")
        assert lines[chain + 1:-1] == [
            f"{' ' * 14}{r['count']:8d}  {r['name'] or 'type ' + str(r['type'])}"
            for r in info["records"]]
        assert info["records_chained"] == sum(r["count"] for r in info["records"])
    else:
        assert info["records"] == [] and info["records_chained"] is None


def test_a_sound_job():
    info = tqxml.info(SAMPLE)
    assert info["opened"] and info["open_status"] == 0 and info["problem"] is None
    assert info["header"] == {"identification": "Halvorn Tessary Journal", "file_type": 1,
                              "file_type_text": "job journal", "version": "12.20.36"}
    replay = info["journal"]["replay"]
    assert not replay["stopped_at_damage"] and replay["damage"] is None
    assert replay["position"] == replay["committed_position"] == info["size"]
    assert_the_tool_tells_the_same(info)


def test_damaged_jobs_tell_where_and_why_the_replay_stopped(tmp_path):
    original = SAMPLE.read_bytes()
    offsets = entry_offsets(original)
    flipped = bytearray(original)
    flipped[offsets[10] + 12] ^= 0x40
    cut = original[:offsets[-1] + 7]
    job, ours, tools = tmp_path / "damaged.job", tmp_path / "ours.xml", tmp_path / "tools.xml"
    for content, damage, position in [(bytes(flipped), "checksum", offsets[10]),
                                      (cut, "short_read", offsets[-1])]:
        job.write_bytes(content)
        info = tqxml.info(job)
        replay = info["journal"]["replay"]
        assert info["opened"] and info["open_status"] == 6
        assert replay["stopped_at_damage"] and replay["damage"] == damage
        assert replay["position"] == replay["committed_position"] == position
        assert info["journal"]["entries_read"] == offsets.index(position)
        assert info["journal"]["salvage_gaps"] == []
        assert_the_tool_tells_the_same(info)

        # Converted up to the damage, with a warning, as the tool converts it.
        with pytest.warns(tqxml.DamagedJobWarning, match="journal is damaged or incomplete"):
            tqxml.convert(job, ours)
        assert run_tool("-o", tools, job)[0] == 0
        assert ours.read_bytes() == tools.read_bytes()

    # Salvage reads on past the damaged entry, as the tool does.
    job.write_bytes(bytes(flipped))
    gaps = tqxml.info(job, salvage=True)["journal"]["salvage_gaps"]
    assert [(g["position"], g["damage"], g["resumed_at"]) for g in gaps] == \
        [(offsets[10], "checksum", offsets[11])]
    with pytest.warns(tqxml.DamagedJobWarning, match=re.escape("salvaged: " + gaps[0]["text"])):
        tqxml.convert(job, ours, salvage=True)
    assert run_tool("--salvage", "-o", tools, job)[0] == 0
    assert ours.read_bytes() == tools.read_bytes()


def test_files_that_are_no_job_are_told_as_far_as_they_read(tmp_path):
    other_version = bytearray(SAMPLE.read_bytes())
    other_version[47] += 1
    for name, content, version in [("version.job", bytes(other_version), "12.20.37"),
                                   ("short.job", b"Halvorn", None)]:
        job = tmp_path / name
        job.write_bytes(content)
        info = tqxml.info(job)
        assert not info["opened"] and info["journal"] is None
        assert (info["header"] or {}).get("version") == version
        assert f"{job}: {info['problem']}" == run_tool("-o", tmp_path / "x.xml", job)[2]
        assert_the_tool_tells_the_same(info)
    with pytest.raises(tqxml.JobMissing, match="none.job: no such job file"):
        tqxml.info(tmp_path / "none.job")


def crc16_arc(data):
    crc = 0
    for byte in data:
        crc ^= byte
        for _ in range(8):
            crc = (crc >> 1) ^ 0xA001 if crc & 1 else crc >> 1
    return crc


def test_a_transaction_left_open_at_the_end_is_dropped(tmp_path):
    # The last entry, still signed, opens a transaction that nothing closes.
    job_bytes = bytearray(SAMPLE.read_bytes())
    last = entry_offsets(job_bytes)[-1]
    length = struct.unpack_from("<I", job_bytes, last)[0]
    job_bytes[last + 4] = 1
    signed = job_bytes[last + 4:last + 2 + length]
    struct.pack_into("<H", job_bytes, last + 2 + length, crc16_arc(signed))
    job = tmp_path / "open.job"
    job.write_bytes(job_bytes)
    info = tqxml.info(job)
    journal = info["journal"]
    assert info["open_status"] == 0 and journal["transactions_dropped"] == 1
    assert journal["dropped_by_reason"] == {"discarded": 0, "broken": 0, "interrupted": 0,
                                            "unfinished_at_end": 1, "cut_by_damage": 0}
    assert journal["replay"]["position"] == info["size"]
    assert journal["replay"]["committed_position"] == last
    assert_the_tool_tells_the_same(info)
