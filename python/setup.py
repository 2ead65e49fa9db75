"""The tqxml package's build: its extension, tqxml._core, is the CMake target
tqxml_python of the checkout that this folder belongs to, compiled with the
core as the library is, for the interpreter that runs the build. Offline:
CMake, a C++ compiler and pybind11 (python3-pybind11) must be there."""

import os
import re
import shutil
import subprocess
import sys
from pathlib import Path

from setuptools import Extension, setup
from setuptools.command.build_ext import build_ext

SOURCE = Path(__file__).resolve().parent.parent


class CMakeBuild(build_ext):
    def build_extension(self, ext):
        if not (SOURCE / "src" / "CMakeLists.txt").is_file():
            sys.exit(f"tqxml builds from its checkout: {SOURCE} holds no src/")
        build = Path(self.build_temp).resolve() / "cmake"
        configure = ["cmake", "-S", str(SOURCE), "-B", str(build), "-DCMAKE_BUILD_TYPE=Release",
                     "-DTQXML_PYTHON=ON", "-DTQXML_TESTS=OFF", "-DTQXML_BENCH=OFF",
                     "-DTQXML_TOOLS=OFF", f"-DPython_EXECUTABLE={sys.executable}"]
        if shutil.which("ninja") and not (build / "CMakeCache.txt").exists():
            configure += ["-G", "Ninja"]
        subprocess.run(configure, check=True)
        subprocess.run(["cmake", "--build", str(build), "--target", "tqxml_python",
                        "--parallel", str(os.cpu_count() or 1)], check=True)
        built = (build / "python" / "extension.txt").read_text()
        target = Path(self.get_ext_fullpath(ext.name))
        target.parent.mkdir(parents=True, exist_ok=True)
        shutil.copyfile(built, target)


def version():
    text = (SOURCE / "CMakeLists.txt").read_text()
    return re.search(r"project\(tqxml VERSION ([0-9.]+)", text).group(1)


setup(version=version(), ext_modules=[Extension("tqxml._core", sources=[])],
      cmdclass={"build_ext": CMakeBuild})
