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

def run(args, work, **kwargs):
    env = dict(os.environ, QT_QPA_PLATFORM="offscreen")
    env.update(kwargs.pop("env", {}))
    return subprocess.run(args, cwd=work, env=env, capture_output=True, text=True, timeout=300, **kwargs)


def lightest_grey(path):
    return Image.open(path).convert("L").getextrema()[1]


batch = os.path.join(prefix, "bin/quintalis-batch")
with tempfile.TemporaryDirectory() as work:
    # Started from an empty folder, as a menu starts it: the picture found at
    # start-up is the one the runs convolve.
    Image.new("RGB", (120, 80), (220, 160, 90)).save(os.path.join(work, "flat.tif"), compression="tiff_lzw")
    result = run([batch, "--dump-state", "state.json", "--save-picture", "Planetimage=planet.png",
                  "--click", "ConvoluteInColor", "--save-picture", "Planetaberrate=mars.png",
                  "--file", "flat.tif", "--click", "BitBtn4", "--dump-state", "tiff.json"], work)
    if result.returncode != 0:
        failures.append(f"quintalis-batch ended with {result.returncode}: {result.stderr}")
    elif "XDG_RUNTIME_DIR" in result.stderr:
        failures.append(f"quintalis-batch printed the runtime folder note: {result.stderr}")
    else:
        with open(os.path.join(work, "state.json")) as f:
            state = json.load(f)
        for message in state["messages"]:
            failures.append(f"message box at start-up: {message['text']}")
        if not state["labels"]["planetimagesize"].startswith(("25", "51")):
            failures.append(f"planet picture size: {state['labels']['planetimagesize']}")
        if lightest_grey(os.path.join(work, "planet.png")) < 64:
            failures.append("the planet picture is black")
        if lightest_grey(os.path.join(work, "mars.png")) < 64:
            failures.append("the convolved planet is black")
        with open(os.path.join(work, "tiff.json")) as f:
            tiff = json.load(f)
        if tiff["labels"]["planetimagesize"] != "12arcseconds wide":
            failures.append(f"the TIFF picture was not read: {tiff['labels']['planetimagesize']}")

    # A run that fails says so in its exit status and on standard error.
    result = run([batch, "--click", "SpeedButton2", "--dump-state", "after.json"], work)
    if result.returncode != 2 or "Focus-value is Zero" not in result.stderr:
        failures.append(f"a refused run ended with {result.returncode}: {result.stderr}")
    if not os.path.isfile(os.path.join(work, "after.json")):
        failures.append("the actions after a refused run did not run")

    # Help and version need no display.
    for program in ("quintalis", "quintalis-batch"):
        for option in ("--help", "--version"):
            result = run([os.path.join(prefix, "bin", program), option], work,
                         env={"QT_QPA_PLATFORM": "xcb", "DISPLAY": "", "WAYLAND_DISPLAY": ""})
            if result.returncode != 0 or not result.stdout or result.stderr:
                failures.append(f"{program} {option} ended with {result.returncode}: {result.stderr}")
    if os.listdir(work) and set(os.listdir(work)) - {"flat.tif", "state.json", "planet.png", "mars.png",
                                                      "tiff.json", "after.json"}:
        failures.append(f"files left in the working folder: {sorted(os.listdir(work))}")

for failure in failures:
    print(failure)
sys.exit(1 if failures else 0)
