"""Writes the benchmark package: 2000 entries (20 folders of 99 files), about 200 MB in all,
mixed sizes (many small files, some of hundreds of KB, a few of megabytes), half of them text
that deflates well and half data that hardly does, packed by Info-ZIP zip (deflate, level 6).
Usage: extraction_package.py PACKAGE.zip"""
import os
import pathlib
import random
import shutil
import subprocess
import sys
import tempfile

TOTAL = 200 * 1000 * 1000
FOLDERS, FILES_PER_FOLDER = 20, 99

package = pathlib.Path(sys.argv[1]).resolve()
chance = random.Random(2000)
sizes = ([chance.randint(1000, 32000) for _ in range(1700)] +
         [chance.randint(100000, 800000) for _ in range(260)] +
         [chance.randint(2000000, 6000000) for _ in range(20)])
chance.shuffle(sizes)
scale = TOTAL / sum(sizes)
sizes = [max(1, int(size * scale)) for size in sizes]
sizes[-1] += TOTAL - sum(sizes)

words = [bytes(chance.choice(b"abcdefghijklmnopqrstuvwxyz") for _ in range(chance.randint(2, 9)))
         for _ in range(3000)]
text = b" ".join(chance.choice(words) for _ in range(400000))
noise = os.urandom(8 << 20)

work = pathlib.Path(tempfile.mkdtemp(prefix="mervantis-bench-package-"))
try:
    for index, size in enumerate(sizes):
        folder = work / "pkg" / f"folder{index // FILES_PER_FOLDER:02}"
        folder.mkdir(parents=True, exist_ok=True)
        source = text if index % 2 else noise
        start = chance.randrange(0, len(source) - 1)
        data = (source[start:] + source) * (size // len(source) + 1)
        (folder / f"file{index:04}.{'txt' if index % 2 else 'bin'}").write_bytes(data[:size])
    package.unlink(missing_ok=True)
    subprocess.run(["zip", "-q", "-r", str(package), "."], cwd=work / "pkg", check=True)
finally:
    shutil.rmtree(work)
