#!/usr/bin/env python3
"""The grey planet run written plainly with numpy and scipy, timed.

The yardstick for "Calculate Greyvalues": the star image of a 5-inch
telescope as in reference_star.py (pupil, 2-D transform, normalised and
centred intensity), a 256 x 256 grey planet placed in the middle of a
512 x 512 plane, its convolution with the star image of unit sum by
scipy.signal.fftconvolve, the squared result normalised to its peak and the
256 x 256 grey picture through the display table. The planet is a
limb-darkened disc drawn here (the contents of the picture do not change the
cost of the transforms). Double precision throughout.

Prints the median wall-clock and processor time; with --json FILE also
writes them for scripts/bench.
"""

import argparse
import json
import os
import statistics
import sys
import time

import numpy as np
import scipy
from scipy import signal

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from reference_star import SIDE, PICTURE, display_table  # noqa: E402


def planet_disc():
    """A 256 x 256 grey disc of radius 110 pixels, darker towards the limb."""
    u = np.arange(PICTURE) - PICTURE / 2 + 0.5
    x, y = np.meshgrid(u, u, indexing="ij")
    r2 = (x * x + y * y) / 110.0 ** 2
    return np.where(r2 < 1.0, 230.0 * np.sqrt(np.clip(1.0 - r2, 0.0, 1.0)) ** 0.5, 0.0)


def psf(diameter_inches):
    """The normalised, centred star image of reference_star.star."""
    radius = diameter_inches * 5.7
    n = int(round(radius))
    u = np.arange(-n, n + 1) / radius
    x, y = np.meshgrid(u, u, indexing="ij")
    inside = x * x + y * y <= 1.0
    field = np.zeros((SIDE, SIDE), dtype=np.complex128)
    c = SIDE // 2
    field[c - n:c + n + 1, c - n:c + n + 1] = inside
    amplitude = np.fft.fft2(field)
    intensity = amplitude.real ** 2 + amplitude.imag ** 2
    return np.fft.fftshift(intensity / (intensity.max() + 1e-5))


def grey_run(picture, table):
    kernel = psf(5.0)
    plane = np.zeros((SIDE, SIDE))
    c = (SIDE - PICTURE) // 2
    plane[c:c + PICTURE, c:c + PICTURE] = picture
    convolved = signal.fftconvolve(plane, kernel / kernel.sum(), mode="same")
    shown = convolved * convolved
    shown /= shown.max() + 1e-5
    window = shown[SIDE // 2 - PICTURE // 2:SIDE // 2 + PICTURE // 2, SIDE // 2 - PICTURE // 2:SIDE // 2 + PICTURE // 2]
    return table[np.clip((window * 1000.0).astype(np.int64), 0, 1000)]


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--repetitions", type=int, default=30)
    parser.add_argument("--json", help="write the medians (seconds) to this file")
    args = parser.parse_args()

    table = display_table()
    picture = planet_disc()
    grey_run(picture, table)  # warm up
    wall, cpu = [], []
    for _ in range(args.repetitions):
        start_wall, start_cpu = time.perf_counter(), time.process_time()
        grey_run(picture, table)
        cpu.append(time.process_time() - start_cpu)
        wall.append(time.perf_counter() - start_wall)
    r = {"median_s": statistics.median(wall), "min_s": min(wall), "median_cpu_s": statistics.median(cpu),
         "min_cpu_s": min(cpu), "repetitions": args.repetitions}
    print(f"numpy {np.__version__}, scipy {scipy.__version__}")
    print(f"scipy grey planet run: median {r['median_s'] * 1e3:7.2f} ms wall, {r['median_cpu_s'] * 1e3:7.2f} ms"
          f" processor  (min {r['min_s'] * 1e3:.2f} ms, {args.repetitions} runs)")
    if args.json:
        with open(args.json, "w", encoding="utf-8") as out:
            json.dump({"numpy": np.__version__, "scipy": scipy.__version__, "results": {"grey_run": r}}, out,
                      indent=2)
    return 0


if __name__ == "__main__":
    sys.exit(main())
