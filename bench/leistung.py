#!/usr/bin/env python3
"""Runs every benchmark of a release build and prints one Markdown table of
ratios: each measurement beside the bare operation it is held against.

Wall times on a shared machine swing by a factor of two, so every figure is
the median of several repetitions, and where the wall clock is mostly noise
(short, CPU-bound work) the CPU time is used; the table says which.
"""
import datetime
import json
import os
import platform
import statistics
import struct
import subprocess
import sys
import tempfile
import threading
import time

BUILD = sys.argv[1] if len(sys.argv) > 1 else "build-rel"
WIEDERHOLUNGEN = 5
STARTS = 25  # whole-process starts of each program, taken in turn

UMGEBUNG = dict(os.environ, QT_QPA_PLATFORM="offscreen",
                # The offscreen plugin's warnings are not ours and drown the figures.
                QT_LOGGING_RULES="qt.qpa.*=false;*.debug=false")

# (label, program, benchmark, baseline or None, "real"/"cpu", target ratio or None,
#  target absolute milliseconds or None)
ZEILEN = [
    ("Data file load, 1,000 snakes", "bench_daten", "Laden/1000", "RohLesen/1000", "cpu", 1.1, None),
    ("Data file load, 10,000 snakes", "bench_daten", "Laden/10000", "RohLesen/10000", "cpu", 1.1, None),
    ("Data file save, 1,000 snakes", "bench_daten", "Speichern/1000", "RohSchreiben/1000", "real", None, None),
    ("Data file save, 10,000 snakes", "bench_daten", "Speichern/10000", "RohSchreiben/10000", "real", None, None),
    ("Laden with tabs and first paint, 1,000", "bench_fenster", "BM_Laden/1000", None, "cpu", None, 100.0),
    ("Laden with tabs and first paint, 10,000", "bench_fenster", "BM_Laden/10000", "BM_Laden/1000", "cpu",
     12.0, None),
    ("Upd, 200 feedings and 200 remarks", "bench_fenster", "BM_UpdVoll", None, "cpu", None, 2.0),
    ("Fress-Check, 10,000 snakes with 200 feedings", "bench_auswertung", "BM_FressCheck", "BM_BlosseSchleife",
     "cpu", 3.0, None),
    ("Fress-Termine, 10,000 snakes with 200 feedings", "bench_auswertung", "BM_FressTermine",
     "BM_BlosseSchleife", "cpu", 3.0, None),
    ("Fress-Parade, 10,000 snakes with 200 feedings", "bench_auswertung", "BM_FressParade", "BM_BlosseSchleife",
     "cpu", 3.0, None),
    ("F2 Fress-Check window, 10,000 snakes: key to painted, CPU", "bench_auswertung", "BM_FressCheckFenster",
     None, "painted_cpu_ms", None, 30.0),
    ("F2 Fress-Check window, 10,000 snakes: key to closed, CPU", "bench_auswertung", "BM_FressCheckFenster",
     None, "closed_cpu_ms", None, None),
    ("F3 Fress-Termine window, 10,000 snakes: key to painted, CPU", "bench_auswertung", "BM_FressTermineFenster",
     None, "painted_cpu_ms", None, 30.0),
    ("F3 Fress-Termine window, 10,000 snakes: key to closed, CPU", "bench_auswertung", "BM_FressTermineFenster",
     None, "closed_cpu_ms", None, None),
    ("Its chart scrolled one bar a step: median step", "bench_auswertung", "BM_DiagrammScrollen",
     None, "median_step_ms", None, None),
    ("Its chart scrolled one bar a step: 99th percentile step", "bench_auswertung", "BM_DiagrammScrollen",
     None, "p99_step_ms", None, None),
    ("Upd with a 4000 × 3000 baseline JPEG", "bench_bild", "BM_UpdMitBild/1", "BM_UpdMitBild/0", "cpu",
     None, 5.0),
    ("Upd with a 16,000 × 12,000 baseline JPEG", "bench_bild", "BM_UpdMitBild/2", "BM_UpdMitBild/0", "cpu",
     None, 20.0),
    ("Upd with a 4000 × 3000 progressive JPEG", "bench_bild", "BM_UpdMitBild/3", "BM_UpdMitBild/0", "cpu",
     None, None),
    ("100,000 foods, screen reader on: start-up", "bench_futter", "BM_StartMitFutterliste/1",
     "BM_StartMitFutterliste/0", "cpu", None, None),
    ("100,000 foods, screen reader on: add a feeding", "bench_futter", "BM_FutterHinzufuegen/1",
     "BM_FutterHinzufuegen/0", "cpu", None, None),
    ("100,000 foods, screen reader on: add in the options dialog", "bench_futter",
     "BM_OptionenFutterHinzufuegen/1", "BM_OptionenFutterHinzufuegen/0", "cpu", None, None),
]


def kurzname(name):
    """A benchmark's name without the run settings Google Benchmark appends."""
    return "/".join(t for t in name.split("/") if ":" not in t and t not in ("manual_time", "real_time", "process_time"))


def benchmarks(programm):
    """Median real and CPU time in ms of every benchmark of one program."""
    pfad = os.path.join(BUILD, "bench", programm)
    if not os.path.exists(pfad):
        return {}
    with tempfile.NamedTemporaryFile(suffix=".json") as aus:
        subprocess.run([pfad, f"--benchmark_repetitions={WIEDERHOLUNGEN}",
                        "--benchmark_report_aggregates_only=true",
                        f"--benchmark_out={aus.name}", "--benchmark_out_format=json"],
                       env=UMGEBUNG, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=True)
        daten = json.load(open(aus.name))
    faktor = {"ns": 1e-6, "us": 1e-3, "ms": 1.0, "s": 1e3}
    ergebnis = {}
    for b in daten["benchmarks"]:
        if b.get("aggregate_name") != "median":
            continue
        f = faktor[b.get("time_unit", "ns")]
        werte = {"real": b["real_time"] * f, "cpu": b["cpu_time"] * f}
        # Counters a benchmark reports itself (already in ms).
        werte.update({k: v for k, v in b.items() if k.endswith("_ms") and isinstance(v, (int, float))})
        ergebnis[kurzname(b["run_name"])] = werte
    return ergebnis


def record(name, tage, futter):
    """One 44,432-byte record of the data file, laid out byte by byte."""
    r = bytearray(44432)
    n = name.encode("cp1252")
    r[0] = len(n)
    r[1:1 + len(n)] = n
    struct.pack_into("<i", r, 208, tage)
    for i in range(futter):
        d = f"{1 + i % 28:02d}.11.26".encode()
        r[212 + 9 * i] = len(d)
        r[213 + 9 * i:213 + 9 * i + len(d)] = d
        t = f"Maus {i}".encode()
        r[3830 + 101 * i] = len(t)
        r[3831 + 101 * i:3831 + 101 * i + len(t)] = t
    return bytes(r)


def starts(ordner, anzahl, runden, nachbau=False):
    """Median wall and processor times of the program's start with `anzahl`
    snakes (none: the settings load nothing) to its first card and of a minimal
    Qt window, taken in turn `runden` times, and the medians of the pairwise
    ratios: {"real": (a, b, ratio), "cpu": (a, b, ratio)}; under "ganz" the
    same start until the whole collection is in (with snakes only); with
    `nachbau`, under "nachbau" the same for the first frame built from stock
    Qt widgets, taken in the same turns: (its times, ratio to the minimal
    window, Vivarix's ratio to it)."""
    vix = os.path.join(ordner, f"start{anzahl}.vix")
    if anzahl:
        with open(vix, "wb") as f:
            for i in range(anzahl):
                f.write(record(f"Schlange {i}", 7, 20))
    with open(os.path.join(ordner, "options.ini"), "wb") as f:
        f.write(b"[Options]\r\nautoload=" + (b"1" if anzahl else b"0") + b"\r\nfile=" + vix.encode() +
                b"\r\nremember=0\r\nmaximize=0\r\nfutter=\r\n")
    a_prog = os.path.abspath(os.path.join(BUILD, "bench", "start_vivarix"))
    b_prog = os.path.abspath(os.path.join(BUILD, "bench", "start_minimal"))
    c_prog = os.path.abspath(os.path.join(BUILD, "bench", "start_nachbau"))
    if not (os.path.exists(a_prog) and os.path.exists(b_prog)):
        return None
    nachbau = nachbau and os.path.exists(c_prog)

    def uhr(prog, *argumente):
        # The child is reaped with wait4, which returns the moment it ends and
        # gives its own processor time; subprocess.run with a timeout polls
        # with growing sleeps and rounded every start up to its next poll.
        t = time.perf_counter()
        kind = subprocess.Popen([prog, *argumente], cwd=ordner, env=UMGEBUNG, stdout=subprocess.DEVNULL,
                                stderr=subprocess.DEVNULL)
        wache = threading.Timer(60, kind.kill)
        wache.start()
        _, status, nutzung = os.wait4(kind.pid, 0)
        wand = (time.perf_counter() - t) * 1e3
        wache.cancel()
        kind.returncode = os.waitstatus_to_exitcode(status)
        if kind.returncode != 0:
            raise subprocess.CalledProcessError(kind.returncode, prog)
        return {"real": wand, "cpu": (nutzung.ru_utime + nutzung.ru_stime) * 1e3}

    uhr(a_prog), uhr(b_prog)  # warm the page cache
    a, b, c, g = [], [], [], []
    for _ in range(runden):
        a.append(uhr(a_prog))
        b.append(uhr(b_prog))
        if nachbau:
            c.append(uhr(c_prog))
        if anzahl:
            g.append(uhr(a_prog, "ganz"))
    ergebnis = {k: (statistics.median(x[k] for x in a), statistics.median(y[k] for y in b),
                    statistics.median(x[k] / y[k] for x, y in zip(a, b))) for k in ("real", "cpu")}
    if c:
        ergebnis["nachbau"] = {k: (statistics.median(z[k] for z in c),
                                   statistics.median(z[k] / y[k] for z, y in zip(c, b)),
                                   statistics.median(x[k] / z[k] for x, z in zip(a, c))) for k in ("real", "cpu")}
    if g:
        ergebnis["ganz"] = {k: statistics.median(x[k] for x in g) for k in ("real", "cpu")}
    return ergebnis


def zelle(x):
    return "–" if x is None else (f"{x:.3f}" if x < 1 else f"{x:.1f}")


def main():
    programme = sorted({z[1] for z in ZEILEN})
    werte = {p: benchmarks(p) for p in programme}
    cpu = open("/proc/cpuinfo").read().split("model name")[1].split("\n")[0].strip(" :\t") \
        if os.path.exists("/proc/cpuinfo") else platform.processor()
    print("# Performance report\n")
    print(f"Made by `bash bench/leistung.sh` on {datetime.date.today().isoformat()}: {cpu}, "
          f"{os.cpu_count()} cores, {platform.system()} {platform.release()}, Qt offscreen.")
    print(f"Every figure is the median of {WIEDERHOLUNGEN} repetitions (program starts: of {STARTS} starts, "
          "taken in turn with the yardstick). \"cpu\" marks figures taken as CPU time because the wall "
          "clock of this shared machine is noise for them; \"real\" ones include waiting for the disk; "
          "\"…_step_ms\" are the steps' own times as the benchmark measured them, \"…_cpu_ms\" the "
          "processor time of the whole process from the key on.\n")
    print("| measurement | time ms | against | its time ms | ratio | clock | target | met |")
    print("|---|---|---|---|---|---|---|---|")
    for label, prog, name, basis, uhr, ziel_v, ziel_ms in ZEILEN:
        m = werte.get(prog, {}).get(name)
        if m is None:
            print(f"| {label} | not measured | | | | | | |")
            continue
        t = m.get(uhr)
        if t is None:
            print(f"| {label} | not measured | | | | | | |")
            continue
        tb = werte[prog].get(basis, {}).get(uhr) if basis else None
        v = t / tb if tb else None
        ziel, ok = "", ""
        if ziel_v is not None and v is not None:
            ziel, ok = f"≤ {ziel_v}×", "yes" if v <= ziel_v else "NO"
        if ziel_ms is not None:
            ziel, ok = f"< {ziel_ms} ms", "yes" if t < ziel_ms else "NO"
        print(f"| {label} | {zelle(t)} | {basis or ''} | {zelle(tb)} | {zelle(v)} | {uhr} | {ziel} | {ok} |")
    # The large collections take longer to start, so they are started fewer times.
    for anzahl, runden in ((0, STARTS), (1000, STARTS), (10000, STARTS // 3), (30000, STARTS // 5)):
        with tempfile.TemporaryDirectory() as ordner:
            s = starts(ordner, anzahl, runden, nachbau=anzahl == 1000)
        if not s:
            continue
        was = f"{anzahl:,} snakes" if anzahl else "no snakes"
        a, b, v = s["real"]
        print(f"| Program start to first painted window, {was} | {zelle(a)} | minimal Qt window "
              f"| {zelle(b)} | {v:.2f} | real | | |")
        a, b, v = s["cpu"]
        print(f"| The same start, processor time of all its threads | {zelle(a)} | minimal Qt window "
              f"| {zelle(b)} | {v:.2f} | cpu | ≤ 1.3× | {'yes' if v <= 1.3 else 'NO'} |")
        if "nachbau" in s:
            t, v_min, v_viv = s["nachbau"]["cpu"]
            print(f"| The same first frame built from stock Qt widgets, processor time | {zelle(t)} "
                  f"| minimal Qt window | {zelle(b)} | {v_min:.2f} | cpu | | |")
            print(f"| Vivarix's first card against that stock-Qt frame | {zelle(a)} | stock-Qt frame "
                  f"| {zelle(t)} | {v_viv:.2f} | cpu | | |")
        if "ganz" in s:
            print(f"| The same start until the whole collection is in | {zelle(s['ganz']['cpu'])} | first card "
                  f"| {zelle(a)} | {s['ganz']['cpu'] / a:.2f} | cpu | | |")
    print("\nThe ratios of the start are the medians of the pairwise ratios of starts taken in turn. "
          "Both programs end at their first painted window; with snakes, Vivarix's first paint that shows "
          "the first snake and the tabs (a large collection's rest is read after it, on a helper thread; "
          "\"until the whole collection is in\" ends once it is). The stock-Qt frame (`bench/start_nachbau`) "
          "shows the same menu bar, tool bar, tabs, card, two journals and status bar, put together from "
          "Qt's own widgets with nothing of ours: what Qt itself needs for that much window.")


if __name__ == "__main__":
    main()
