#!/usr/bin/python3
"""Installs a build into a fresh prefix and runs the installed batch driver
from an empty folder, where no planet picture lies: mars.jpg must come from
<prefix>/share/quintalis.

usage: install_test.py BUILD_DIR PREFIX APP_ID COMPILED_IN_DATA_DIR
"""
import json
import os
import shutil
import subprocess
import sys
import tempfile

from PIL import Image

build, prefix, app_id, compiled_in = sys.argv[1:5]
prefix = os.path.abspath(prefix)
shutil.rmtree(prefix, ignore_errors=True)
subprocess.run(["cmake", "--install", build, "--prefix", prefix], check=True, stdout=subprocess.DEVNULL)

icons = "share/icons/hicolor"
expected = [
    "bin/quintalis",
    "bin/quintalis-batch",
    "share/quintalis/mars.jpg",
    "share/quintalis/jupiter.jpg",
    "share/quintalis/saturn.jpg",
    "share/quintalis/CREDITS",
    f"share/applications/{app_id}.desktop",
    f"share/metainfo/{app_id}.metainfo.xml",
    f"{icons}/scalable/apps/{app_id}.svg",
] + [f"{icons}/{n}x{n}/apps/{app_id}.png" for n in (16, 22, 24, 32, 48, 64, 128, 256)]
failures = [f"not installed: {path}" for path in expected if not os.path.isfile(os.path.join(prefix, path))]
for n in (16, 256):
    png = os.path.join(prefix, f"{icons}/{n}x{n}/apps/{app_id}.png")
    if os.path.isfile(png) and Image.open(png).size != (n, n):
        failures.append(f"{png} is not {n}x{n}")

if os.path.isdir(compiled_in):
    # The picture could then come from there as well; the run still shows
    # that the installed program finds one.
    print(f"note: {compiled_in} exists on this machine")

with tempfile.TemporaryDirectory() as work:
    env = dict(os.environ, QT_QPA_PLATFORM="offscreen")
    run = subprocess.run(
        [os.path.join(prefix, "bin/quintalis-batch"), "--dump-state", "state.json",
         "--save-picture", "Planetimage=planet.png"],
        cwd=work, env=env, capture_output=True, text=True)
    if run.returncode != 0:
        failures.append(f"quintalis-batch ended with {run.returncode}: {run.stderr}")
    else:
        with open(os.path.join(work, "state.json")) as f:
            state = json.load(f)
        for message in state["messages"]:
            failures.append(f"message box at start-up: {message['text']}")
        if not state["labels"]["planetimagesize"].startswith(("25", "51")):
            failures.append(f"planet picture size: {state['labels']['planetimagesize']}")
        lightest = Image.open(os.path.join(work, "planet.png")).convert("L").getextrema()[1]
        if lightest < 64:
            failures.append(f"the planet picture is black (lightest grey {lightest})")

for failure in failures:
    print(failure)
sys.exit(1 if failures else 0)
