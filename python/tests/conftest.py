"""What the package's tests share: the golden jobs and the sample, and the
build's tool, job writer and shared library that the package must agree with
(found in $TQXML_BUILD_DIR, else in build/ of the checkout)."""

import ctypes
import os
import subprocess
from pathlib import Path

import pytest

SOURCE = Path(__file__).resolve().parents[2]
SAMPLE = SOURCE / "examples" / "sample.job"
GOLDEN_JOBS = sorted((SOURCE / "tests" / "golden").glob("*.job"))


def built(name):
    build = os.environ.get("TQXML_BUILD_DIR")
    path = Path(build or SOURCE / "build") / name
    if not path.exists():
        if build:
            pytest.fail(f"{path} is not built")
        pytest.skip(f"needs {name} of a build (TQXML_BUILD_DIR)")
    return path


def run_tool(*args, cwd=None, **options):
    """The tool's run: its exit code, standard output, and its error line
    without the leading "tqxml: "."""
    run = subprocess.run([built("tqxml"), "-q", *map(str, args)], cwd=cwd,
                         capture_output=True, **options)
    return run.returncode, run.stdout, run.stderr.decode().removeprefix("tqxml: ").rstrip("\n")


@pytest.fixture(scope="session")
def big_jobs(tmp_path_factory):
    """Two generated jobs of 3,000 records: documents of many flushes."""
    folder = tmp_path_factory.mktemp("jobs")
    jobs = [folder / f"big{seed}.job" for seed in (1, 2)]
    for seed, job in enumerate(jobs, 1):
        subprocess.run([built("tqxml-genjob"), "--records", "3000", "--seed", str(seed), job],
                       check=True)
    return jobs


@pytest.fixture(scope="session")
def export():
    """CreateTQXMLFile of the shared library, with a callback that stops at
    the first percentage of `stop_at` or more; its status."""
    library = ctypes.CDLL(str(built("libtqxml.so")))
    callback_type = ctypes.CFUNCTYPE(ctypes.c_ubyte, ctypes.c_int)

    def create(job, xml, stop_at=101):
        callback = callback_type(lambda percent: 0 if percent >= stop_at else 1)
        return library.CreateTQXMLFile(os.fsencode(job), os.fsencode(xml), callback)

    return create
