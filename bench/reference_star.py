#!/usr/bin/env python3
"""The physics of one star calculation written plainly with numpy, timed.

The yardstick for the star calculation of the program: the pupil of radius
R = D x 5.7 cells (D in inches, 555 nm) with a little defocus and coma, laid
on its bounding box in the middle of a 512 x 512 complex grid, its 2-D
transform, the intensity, its peak, the normalised and centred PSF, and the
256 x 256 grey picture looked up through a gamma display table. numpy works
in double precision throughout (its FFT has no single-precision path).

Prints the median wall-clock and processor time of each aperture; with
--json FILE also writes them for scripts/bench.
"""

import argparse
import json
import statistics
import sys
import time

import numpy as np

SIDE = 512
PICTURE = 256


def display_table(gamma=0.5):
    """1001 entries: the display level of a normalised intensity k / 1000."""
    k = np.arange(1001) / 1000.0
    return np.round(255.0 * k ** gamma).astype(np.uint8)


def star(diameter_inches, table):
    radius = diameter_inches * 5.7
    n = int(round(radius))  # half to even, as the program rounds
    u = np.arange(-n, n + 1) / radius
    x, y = np.meshgrid(u, u, indexing="ij")
    rho2 = x * x + y * y
    inside = rho2 <= 1.0
    phase = 2.0 * np.pi * (0.5 * rho2 + 0.2 * (1.5 * rho2 - 1.0) * x)
    pupil = np.where(inside, np.exp(1j * phase), 0.0)

    field = np.zeros((SIDE, SIDE), dtype=np.complex128)
    c = SIDE // 2
    field[c - n:c + n + 1, c - n:c + n + 1] = pupil

    amplitude = np.fft.fft2(field)
    intensity = amplitude.real ** 2 + amplitude.imag ** 2
    peak = intensity.max()
    psf = np.fft.fftshift(intensity / (peak + 1e-5))

    window = psf[c - PICTURE // 2:c + PICTURE // 2, c - PICTURE // 2:c + PICTURE // 2]
    levels = table[np.minimum((window * 1000.0).astype(np.int64), 1000)]
    picture = np.repeat(levels[:, :, np.newaxis], 3, axis=2)
    return peak, picture


def time_star(diameter_inches, repetitions, table):
    """Median and minimum wall and processor times in seconds."""
    star(diameter_inches, table)  # warm up
    wall = []
    cpu = []
    for _ in range(repetitions):
        start_wall = time.perf_counter()
        start_cpu = time.process_time()
        star(diameter_inches, table)
        cpu.append(time.process_time() - start_cpu)
        wall.append(time.perf_counter() - start_wall)
    return {"median_s": statistics.median(wall), "min_s": min(wall),
            "median_cpu_s": statistics.median(cpu), "min_cpu_s": min(cpu), "repetitions": repetitions}


def blas_note():
    try:
        from threadpoolctl import threadpool_info
    except ImportError:
        return "threadpoolctl not installed"
    parts = [f"{i.get('internal_api')} {i.get('architecture', '?')} threads={i.get('num_threads')}"
             for i in threadpool_info()]
    return ", ".join(parts) if parts else "no thread pools"


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--repetitions", type=int, default=30)
    parser.add_argument("--json", help="write the medians (seconds) to this file")
    args = parser.parse_args()

    table = display_table()
    print(f"numpy {np.__version__}; {blas_note()}")
    results = {}
    for inches in (5, 25):
        r = time_star(inches, args.repetitions, table)
        results[f"star_{inches}in"] = r
        print(f"numpy star {inches:2d} in: median {r['median_s'] * 1e3:7.2f} ms wall, {r['median_cpu_s'] * 1e3:7.2f} ms"
              f" processor  (min {r['min_s'] * 1e3:.2f} ms, {args.repetitions} runs)")
    if args.json:
        with open(args.json, "w", encoding="utf-8") as out:
            json.dump({"numpy": np.__version__, "results": results}, out, indent=2)
    return 0


if __name__ == "__main__":
    sys.exit(main())
