#!/usr/bin/env python3
"""Times the whole compose of a 4000 x 3000 JPEG (decode, three shadowed caption
lines, BMP out) beside djpeg -bmp (the decode floor) and ImageMagick doing the
same captioning, in one run, and reports median wall time and peak memory.

usage: bench/compose_vs_tools.py BUILD_DIR [RUNS]
needs: libjpeg-turbo-progs (djpeg, cjpeg), imagemagick, fonts-noto-cjk
"""
import os
import statistics
import subprocess
import sys
import tempfile
import time

FONT = "/usr/share/fonts/opentype/noto/NotoSansCJK-Bold.ttc"
WIDTH, HEIGHT = 4000, 3000


def measure(argv, runs):
    times, peaks = [], []
    for _ in range(runs):
        start = time.perf_counter()
        proc = subprocess.Popen(argv, stdout=subprocess.DEVNULL)
        _, status, usage = os.wait4(proc.pid, 0)
        times.append(time.perf_counter() - start)
        peaks.append(usage.ru_maxrss / 1024)
        if status != 0:
            sys.exit(f"failed: {' '.join(argv)}")
    return statistics.median(times), max(peaks)


def main():
    build = sys.argv[1]
    runs = int(sys.argv[2]) if len(sys.argv) > 2 else 7
    work = tempfile.mkdtemp(prefix="miaoyu-bench-")
    picture = os.path.join(work, "big.jpg")
    # A photograph scaled up to 4000 x 3000, so the entropy data is realistic.
    here = os.path.dirname(os.path.abspath(__file__))
    source = os.path.join(here, "..", "data", "img", "rocket.jpg")
    subprocess.run(["convert", source, "-resize", f"{WIDTH}x{HEIGHT}!", "-quality", "90", picture], check=True)

    ours = [os.path.join(build, "bench", "compose_file"), picture, str(WIDTH), str(HEIGHT),
            os.path.join(work, "ours.bmp")]
    djpeg = ["djpeg", "-bmp", "-outfile", os.path.join(work, "djpeg.bmp"), picture]
    magick = ["convert", picture, "-font", FONT, "-density", "96", "-pointsize", "13"]
    for line, top in (("当你以为今天是周五", 40), ("其实才周三", 40 + HEIGHT // 3), ("妙语画坊 2026", 40 + 2 * (HEIGHT // 3))):
        magick += ["-gravity", "North", "-fill", "black", "-annotate", f"+0+{top}", line,
                   "-fill", "white", "-annotate", f"-1+{top - 1}", line]
    magick += ["BMP3:" + os.path.join(work, "magick.bmp")]

    pixels_mb = WIDTH * HEIGHT * 4 / 2**20
    results = {name: measure(argv, runs) for name, argv in (("miaoyu", ours), ("djpeg", djpeg), ("imagemagick", magick))}
    for name, (seconds, peak) in results.items():
        print(f"{name:12s} median {seconds * 1000:8.1f} ms   peak {peak:7.1f} MiB")
    t_ours, m_ours = results["miaoyu"]
    print(f"miaoyu / djpeg       = {t_ours / results['djpeg'][0]:.2f}  (goal <= 1.5)")
    print(f"imagemagick / miaoyu = {results['imagemagick'][0] / t_ours:.2f}  (goal >= 3)")
    print(f"peak memory {m_ours:.1f} MiB, limit 4 x {pixels_mb:.1f} + 50 = {4 * pixels_mb + 50:.1f} MiB")


if __name__ == "__main__":
    main()
