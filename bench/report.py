#!/usr/bin/python3
"""bench/report.py RESULTS_JSON BENCHMARKS_MD

Writes BENCHMARKS.md from the results of bench/run.py. The section
"Hardening" comes from bench/hostile-count (one number: the hostile inputs
tried and held) when that file exists, and otherwise keeps what the old
BENCHMARKS.md said there."""
import statistics
import json
import os
import re
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
HOSTILE_COUNT = os.path.join(ROOT, "bench", "hostile-count")

# The lean build's "before": setup.exe with the full C runtime, measured on
# the build before the lean one (commit a70f77c), and the figures that the
# issue quoted from an earlier build still.
BEFORE = {
    "measured": {"whole": 2032007, "stripped": 1196558, "without_pictures": 432362},
    "issue": {"whole": 1176867, "stripped": 376334},
}


# The commit bench/run.py prices the log against.
BEFORE_LOG = "3c05a4a"


def ms(seconds):
    return "%.0f ms" % (1000 * seconds)


def n(value):
    return "{:,}".format(value)


def ratio(a, b):
    return "%.2f" % (a / b) if a is not None and b else "n/a"


def hardening_section(old_text):
    if os.path.exists(HOSTILE_COUNT):
        count = open(HOSTILE_COUNT).read().strip()
        return ("## Hardening\n\nHostile inputs tried and held: %s\n\n"
                "(from `bench/hostile-count`; the hostile-input tests say what they are)\n" % count)
    if old_text:
        kept = re.search(r"^## Hardening\n.*?(?=^## |\Z)", old_text, re.S | re.M)
        if kept:
            return kept.group(0).rstrip() + "\n"
    return "## Hardening\n\nHostile inputs tried and held: (not yet counted)\n"


def machine_lines(m):
    if m["qemu"]:
        emulation = ("Wine's 32-bit side runs under QEMU's user-mode emulation here (%s): "
                     "absolute times are far slower than on Windows, so only the ratios carry over." % m["qemu"])
    else:
        emulation = ("This machine's kernel runs Wine's 32-bit side natively (no QEMU emulation was registered "
                     "for i386 programs during the run). On machines where it runs under QEMU's user-mode "
                     "emulation, absolute times are many times slower; in either case only the ratios carry over "
                     "to Windows, not the absolute figures.")
    return [
        "- %d cores, %s, %.1f GB RAM; Debian %s, kernel %s" % (m["nproc"], m["cpu"], m["ram_gb"], m["debian"],
                                                              m["kernel"]),
        "- %s, %s, makensis %s" % (m["wine"], m["hyperfine"], m["makensis"]),
        "- load average before / after the run: %.2f / %.2f (the machine is shared: other builds ran meanwhile)"
        % (m["load_before"][0], m["load_after"][0]),
        "- " + emulation,
        "- The virtual display (Xvfb) has no window manager, so the prefix is set to unmanaged windows "
        "(`HKCU\\Software\\Wine\\X11 Driver`, `Managed=N`): otherwise Wine waits 2 s for a window manager "
        "each time a window is hidden, which would add 2 s to the end of every wizard run.",
    ]


def install_table(r):
    inst = r["install"]["rounds"]
    hf = r["install"]["hyperfine"]
    floor = inst["floor"]["median"]
    hf_floor = hf["floor"]["median"]
    rows = [
        "| Run | Median wall | Above the floor | Ours ÷ it, above the floor | Peak memory | "
        "hyperfine: median, above the floor, ours ÷ it |",
        "|---|---:|---:|---:|---:|---:|",
    ]
    names = {
        "floor": "floor: `wine cmd /c exit`",
        "ours": "ours: `setup.exe s`",
        "nsis_service": "NSIS with the service step (`-i`)",
        "nsis_files": "NSIS, files only",
    }
    ours_above = inst["ours"]["median"] - floor
    hf_ours_above = hf["ours"]["median"] - hf_floor
    for key in ("floor", "ours", "nsis_service", "nsis_files"):
        above = inst[key]["median"] - floor
        hf_above = hf[key]["median"] - hf_floor
        if key == "floor":
            hf_text = ms(hf[key]["median"])
        else:
            hf_text = "%s, %s%s" % (ms(hf[key]["median"]), ms(hf_above),
                                   ", " + ratio(hf_ours_above, hf_above) if key.startswith("nsis") else "")
        rows.append("| %s | %s | %s | %s | %s KB | %s |" % (
            names[key], ms(inst[key]["median"]), "—" if key == "floor" else ms(above),
            "**%s**" % ratio(ours_above, above) if key.startswith("nsis") else "—",
            n(inst[key]["peak_kb_median"]), hf_text))
    return rows, ours_above, floor


def left_summary(found, want_service):
    """How many of the runs left the complete install behind."""
    def complete(f):
        return (f.get("files") == "1" and f.get("uninstaller") == "1" and f.get("links") == "3" and
                f.get("entry") == "1" and (f.get("service") == "1") == want_service)
    return "%d of %d" % (sum(complete(f) for f in found), len(found))


def uninstall_rows(u):
    rows = [
        "| Run | Median, process start to end | Above the probe's floor |",
        "|---|---:|---:|",
    ]
    floor = u["floor"]["median_ms"]
    names = {
        "floor": "floor: `cmd /c exit` started by the probe",
        "ours": "ours: `Uninstall\\setup.exe delpkg`, the wizard's buttons clicked",
        "ours_silent": "ours, silent: `Uninstall\\setup.exe delpkg SilentDel`",
        "nsis_service": "NSIS uninstaller `/S` (runs `-k`, `-u` with ExecWait)",
        "nsis_files": "NSIS uninstaller `/S`, files only",
    }
    for key in ("floor", "ours", "ours_silent", "nsis_service", "nsis_files"):
        if key not in u:
            continue
        v = u[key]["median_ms"]
        rows.append("| %s | %.0f ms | %s |" % (names[key], v, "—" if key == "floor" else "%.0f ms" % (v - floor)))
    return rows


def uninstalls_clean(u):
    def clean(f):
        return f.get("files") == "0" and f.get("entry") == "0" and f.get("links") == "0" and f.get("service") == "0"
    return {k: "%d of %d" % (sum(clean(f) for f in u[k]["left"]), len(u[k]["left"]))
            for k in ("ours", "ours_silent", "nsis_service", "nsis_files") if k in u}


REPRODUCIBLE = os.path.join(ROOT, "build", "bench", "reproducible.md")


def limit_rows(sv, floor, probe_cost):
    """Done to done (to the running service) against NSIS, and against what
    no installer can avoid: its own start (the floor), the copy and the
    service tool's start, which ours overlaps with the copy of the images;
    plus the probe's start that every timed command here ends with."""
    ours = sv["ours_running"]["median"] - floor
    nsis = sv["nsis_running"]["median"] - floor
    copy = sv["copy"]["median"] - floor
    limit = probe_cost + max(copy, probe_cost)
    upgrade = sv["ours_upgrade"]["median"] - floor
    nsis_upgrade = sv["nsis_upgrade"]["median"] - floor
    return [
        "",
        "Done to done, with the service running: ours %s above the floor against NSIS's %s, "
        "**%.2fx**. The limit on this machine: the installer's own start (the floor), the copy of the "
        "medium's %d files (a plain 32-bit `xcopy /e` of `build/medium`: %s above the floor, in the same "
        "rounds) and the service tool's start (one program start, about the probe's %s), which can overlap "
        "the copy, then the probe's start: %s above the floor. Ours stands at %.2fx that limit, %s above it." % (
            ms(ours), ms(nsis), ours / nsis if nsis > 0 else 0, sv.get("copied_files", 0), ms(copy),
            ms(probe_cost), ms(limit), ours / limit if limit > 0 else 0, ms(ours - limit)),
        "",
        "The silent upgrade to its running service: ours %s above the floor against NSIS's reinstall (which "
        "runs `-k` and `-u` with ExecWait before its files) at %s, **%.2fx**." % (
            ms(upgrade), ms(nsis_upgrade), upgrade / nsis_upgrade if nsis_upgrade > 0 else 0),
    ]


def service_rows(sv):
    """A deployment tool that checks the service right after the exit code
    needs it running by then: each timed command ends once the probe,
    started as the installer returns, sees it running."""
    floor = sv["floor"]["median"]
    probe_cost = sv["probe_floor"]["median"] - floor
    rows = [
        "Medians of %d interleaved rounds. \"Running\" = the installer, then the probe (one more Wine "
        "start, %s here) until the service runs. The upgrade: version 1 installed and running (untimed), "
        "then version 2 (`Version` 2.00.00, same files) over it, to its running service; NSIS runs its "
        "installer again." % (len(sv["floor"]["times"]), ms(probe_cost)),
        "",
        "| Run | Median wall | Above the floor |",
        "|---|---:|---:|",
    ]
    names = [
        ("floor", "floor: `wine cmd /c exit`"),
        ("ours_returned", "ours: `setup.exe s`, returned"),
        ("ours_running", "ours: returned, then the service seen running"),
        ("before_running", "ours before every run kept a log (commit %s), to the running service" % BEFORE_LOG),
        ("nsis_returned", "NSIS with the service step, returned"),
        ("nsis_running", "NSIS: returned, then the service seen running"),
        ("ours_upgrade", "ours: silent upgrade 1 → 2, to the running service"),
        ("nsis_upgrade", "NSIS: silent reinstall, to the running service"),
    ]
    for key, name in names:
        rows.append("| %s | %s | %s |" % (name, ms(sv[key]["median"]),
                                          "—" if key == "floor" else ms(sv[key]["median"] - floor)))
    rows += limit_rows(sv, floor, probe_cost)
    # Each round ran both builds under the same load: the difference within
    # a round, its median and quartiles over the rounds.
    diffs = [a - b for a, b in zip(sv["ours_running"]["times"], sv["before_running"]["times"])]
    cost = statistics.median(diffs)
    q1, _, q3 = statistics.quantiles(diffs, n=4)
    rows += ["", "The log (every step gathered in memory, written at the end) against the same install before it, "
             "measured to the running service, as the median of the differences within each round: "
             "%s (quartiles %s to %s), %.1f %% of the silent install's time above the floor (%s)." % (
                 ms(cost), ms(q1), ms(q3), 100 * cost / (sv["ours_running"]["median"] - floor),
                 ms(sv["ours_running"]["median"] - floor))]
    gap = sv["ours_running"]["median"] - sv["ours_returned"]["median"] - probe_cost
    rows += ["", "Ours returns with its service running: returned-to-running takes %s beyond the probe's own "
             "start (before the installs waited for the service tool it was 0.36 s)." % ms(max(gap, 0))]
    return rows


def reproducible_section(old):
    """bench/reproducible's section from this run, or the one the file had."""
    if os.path.exists(REPRODUCIBLE):
        return open(REPRODUCIBLE).read()
    start = old.find("## Reproducible builds")
    if start < 0:
        return ""
    end = old.find("\n## ", start + 1)
    return old[start:] if end < 0 else old[start:end + 1]


def main():
    if len(sys.argv) != 3:
        print(__doc__, file=sys.stderr)
        return 2
    r = json.load(open(sys.argv[1]))
    out_path = sys.argv[2]
    old = open(out_path).read() if os.path.exists(out_path) else ""
    m = r["machine"]
    s = r["sizes"]
    lines = ["# Benchmarks", "",
             "Produced by one command, `script/bench`, which builds, makes a fresh 64-bit Windows 7 Wine prefix in "
             "`build/bench`, builds the NSIS peer (`bench/arrayvane.nsi`) from the same `build/medium` with "
             "Debian's makensis, runs every measurement below in one go and rewrites this file "
             "(`bench/run.py` measures, `bench/report.py` writes). Every figure here comes from that run "
             "(%d s in all). The installs: medians of %d interleaved rounds (each round runs every program "
             "once, in an order that rotates, so that the load of this shared machine falls on all alike), and "
             "as a cross-check hyperfine's medians of %d runs each after one warm-up, run one program after "
             "the other. The uninstalls and the wizard: medians of %d runs." % (
                 r["seconds"], r["runs"], r["runs"], r["short_runs"]),
             "", "## Machine", ""] + machine_lines(m)

    rows, ours_above, floor = install_table(r)
    inst = r["install"]["rounds"]
    lines += ["", "## Silent install: ours against NSIS", "",
              "Each run starts from the same clean prefix: before it (untimed in the rounds, and as hyperfine's "
              "`--prepare`) `bench-probe reset` waits for the service tool that the install before started, "
              "stops and deletes the service, and removes the folder, the shortcuts, the uninstall entry and the "
              "compatibility mark. NSIS installs the same files as ours "
              "(the seven language modules and `setup.ini` beside its uninstaller in `InstallDir\\Uninstall`, "
              "the Application files), the same uninstall entry "
              "(`HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\HBC71K`, under Wow6432Node for a "
              "32-bit installer, with the same five values), the same three shortcuts, into the same folder "
              "(`C:\\Program Files (x86)\\HBC71K`; given as its InstallDir, since `wine` quotes a `/D=` with "
              "spaces and NSIS then ignores it). Its service variant starts `ArrSvcSetup.exe -i` without "
              "waiting for it; ours waits for its tool and returns with the service running (see \"To the "
              "running service, and the silent upgrade\").", ""] + rows
    lines += ["",
              "Ratios below 1 mean ours is faster. Peak memory (median over the rounds) is the largest resident "
              "size GNU time saw (`/usr/bin/time -f %M`) among the processes of the tree that `wine` runs, as "
              "the host sees them.",
              "",
              "What each run left, as the next reset found it (complete install, service as expected): "
              "ours %s, NSIS with service %s, NSIS files only %s." % (
                  left_summary(inst["ours"]["left"], True), left_summary(inst["nsis_service"]["left"], True),
                  left_summary(inst["nsis_files"]["left"], False))]

    u = r["uninstall"]
    if "service" in r:
        lines += ["", "## To the running service, and the silent upgrade", ""] + service_rows(r["service"])
    lines += ["", "## Uninstall", "",
              "Ours is driven through the wizard by `bench-probe walk` (real mouse clicks on the action button "
              "and then the finish button, on the virtual display); NSIS's uninstaller runs silently and in "
              "place (`/S _?=InstallDir\\Uninstall`, so that the timed process is the one that does the work). "
              "Each is timed inside the prefix by the probe, from CreateProcess to the end of the process, "
              "after a fresh install whose service is running. The self-delete script that ours starts at "
              "exit, and the uninstaller file NSIS leaves when run in place, are outside the figures.", ""]
    lines += uninstall_rows(u)
    nsis_above = u["nsis_service"]["median_ms"] - u["floor"]["median_ms"]
    lines += ["",
              "Ours in parts (medians): %.0f ms to a wizard that takes clicks, %.0f ms from the action button "
              "to the finish button, the rest the finish click and the exit." % (
                  u["ours"]["wizard_median_ms"], u["ours"]["work_median_ms"]),
              "",
              "Above the probe's floor, against NSIS's `/S` uninstaller (%.0f ms): ours through the wizard "
              "%.0f ms, **%.2fx**; ours silent %.0f ms, **%.2fx**." % (
                  nsis_above, u["ours"]["median_ms"] - u["floor"]["median_ms"],
                  (u["ours"]["median_ms"] - u["floor"]["median_ms"]) / nsis_above,
                  u["ours_silent"]["median_ms"] - u["floor"]["median_ms"],
                  (u["ours_silent"]["median_ms"] - u["floor"]["median_ms"]) / nsis_above),
              "",
              "Runs that left nothing of the product (files, entry, shortcuts, service): ours %s, ours silent "
              "%s, NSIS with service %s, NSIS files only %s." % tuple(uninstalls_clean(u)[k] for k in
                                                       ("ours", "ours_silent", "nsis_service", "nsis_files"))]

    lines += ["", "## What the runs wait for", "",
              "The installer waits for other programs instead of pausing: after `-k` until every service whose "
              "program lies in the installation folder has stopped and its process has ended, after `-u` until "
              "none is registered, after closing the application's window until its process has ended; each "
              "bounded by `StopTimeout` (30 s). Read from each run's own log (`/log=`), one run each:", "",
              "| Run | What it waited for, and how long |",
              "|---|---|"]
    for key, name in (("install", "fresh silent install"), ("upgrade", "silent upgrade 1 → 2"),
                      ("uninstall", "silent uninstall")):
        waited = r["waits"][key]
        lines.append("| %s | %s |" % (name, "; ".join(w["text"] for w in waited) or "no wait logged: nothing was "
                                                                                   "left running when it looked"))
    lines += ["", "A wait is logged only where something was still running when the installer looked: the "
              "stand-in's `-k` itself waits until the service has stopped and its process has ended, and `-u` "
              "removes it at once, so these runs find nothing left to wait for; no application window is open "
              "(`LaunchAPInSilentMode=0`). A service that needs longer, or a tool that returns at once, is "
              "waited for as long as it needs, up to the bound (the tests' slow stand-ins: 3 s and 2.5 s)."]

    w = r["wizard"]
    lines += ["", "## Start to the painted wizard", "",
              "`bench-probe painted` starts `setup.exe` (the install wizard) and polls the screen until the "
              "wizard's window is visible and at least 60 %% of a 10 × 10 grid of its points show the pixels of "
              "its background bitmap (read from setup.exe's own resources), then presses Cancel and waits for the "
              "process to end; again on a display of 192 dpi, against the 200 %% background. `bench-probe region` times `RegionFromBitmap` (wizard/WindowShape.cpp, the cut of "
              "the window's shape) on the same %d × %d bitmap, %d times." % (
                  w["region_size"][0], w["region_size"][1], len(w["region_runs_ms"])), "",
              "| Figure | Median |", "|---|---:|",
              "| process start to the wizard visible | %.0f ms |" % w["visible_median_ms"],
              "| process start to the wizard painted | %.0f ms |" % w["painted_median_ms"],
              "| the same at 192 dpi (200 %%: the 200 %% pictures decoded) | %s |" % (
                  "%.0f ms" % w["painted_192_median_ms"] if "painted_192_median_ms" in w else "not measured"),
              "| cutting the window region | %.2f ms (%.1f %% of start to painted) |" % (
                  w["region_median_ms"], 100 * w["region_share"])]

    pay = r["payload"]
    images = next(iter(pay["cases"].values()))["images"] if pay["cases"] else 109
    lines += ["", "## Growth with the payload", "",
              "Copies of the medium with 1 MB, 100 MB and 1 GB more in the Application folder: the "
              "application and its DLL each grow by 45 %% of it (incompressible data appended after the "
              "program), the %d images share the other 10 %%; the service tool stays as built. Ours: "
              "`setup.exe s` from the copy. The physical limit: `wine xcopy /e /i /q /y` of the whole copied "
              "medium, in the same prefix, to `C:\\bench-copy`. The floor, ours and xcopy run in interleaved "
              "rounds after one untimed round; before each run the prefix is reset and `sync` writes out what "
              "the run before left in the page cache. Throughput is the Application folder's bytes over the "
              "time above that case's floor." % images, "",
              "| Payload | Runs | Floor | Ours | xcopy | Ours MB/s | xcopy MB/s | Ours ÷ xcopy throughput |",
              "|---|---:|---:|---:|---:|---:|---:|---:|"]
    for key, c in pay["cases"].items():
        lines.append("| +%s (%s bytes in all) | %d | %s | %s | %s | %.0f | %.0f | **%.2f** |" % (
            key.replace("1024mb", "1 GB").replace("mb", " MB"), n(c["application_bytes"]), c["runs"],
            ms(c["floor"]), ms(c["ours"]["median"]), ms(c["copy"]["median"]), c["ours"]["mb_per_s"] or 0,
            c["copy"]["mb_per_s"] or 0, c["ratio_throughput"] or 0))
    lines += ["", "With a payload of a few MB both take little more than their floor, so that ratio is mostly "
              "noise; it means something from 100 MB on."]
    if pay.get("skipped_1gb"):
        lines.append("")
        lines.append("The 1 GB case was left out: the disk had only %.1f GB free." % (pay["free_bytes"] / 2 ** 30))
    gb_runs = r["payload_runs"].get("1024")
    if gb_runs and int(gb_runs) < 5 and not pay.get("skipped_1gb"):
        lines += ["", "The 1 GB case has %s runs only (plus one warm-up), to keep the whole run short." % gb_runs]

    o = s["ours"]
    ns = s["nsis"]
    lines += ["", "## Sizes", "",
              "| File | Bytes |", "|---|---:|",
              "| ours: setup.exe, whole (%s) | %s |" % ("stripped" if o["stripped"] else "NOT stripped", n(o["whole"])),
              "| ours: setup.exe without its bitmaps | %s |" % n(o["without_bitmaps"]),
              "| ours: setup.exe without its pictures (bitmaps and icon images) | %s |" % n(o["without_pictures"]),
              "| ours: language modules | %s to %s each |" % (n(min(s["language_modules"].values())),
                                                           n(max(s["language_modules"].values()))),
              "| NSIS stub that makensis used: `%s` | %s |" % (ns["stub_file"], n(ns["stub_bytes"] or 0)),
              "| NSIS: EXE header in the built installer (stub after makensis dropped unused resources) | %s |"
              % n(ns["header_bytes"] or 0),
              "| NSIS: whole installer, files only (%s, payload inside) | %s |" % (ns["compressor"],
                                                                                 n(ns["installer_files_bytes"])),
              "| NSIS: whole installer, with the service step | %s |" % n(ns["installer_service_bytes"]),
              "",
              "Ours ships beside its medium (the Application folder holds %s bytes here); NSIS carries the same "
              "files compressed inside itself." % n(s["payload_bytes"]),
              "",
              "### The lean build, before and after", "",
              "| setup.exe | Whole | Stripped | Without pictures |", "|---|---:|---:|---:|",
              "| before, full C runtime (measured on the build before the lean one) | %s | %s | %s |" % (
                  n(BEFORE["measured"]["whole"]), n(BEFORE["measured"]["stripped"]),
                  n(BEFORE["measured"]["without_pictures"])),
              "| before, as the issue quoted it (an earlier build) | %s | %s | — |" % (
                  n(BEFORE["issue"]["whole"]), n(BEFORE["issue"]["stripped"])),
              "| after: this run's build (stripped as built) | %s | %s | %s |" % (
                  n(o["whole"]), n(o["whole"]), n(o["without_pictures"])),
              "",
              "The test `medium.size` keeps the last column within 72 KB."]

    lines += ["", hardening_section(old).rstrip()]
    reproducible = reproducible_section(old).rstrip()
    if reproducible:
        lines += ["", reproducible]
    with open(out_path, "w") as f:
        f.write("\n".join(lines) + "\n")
    return 0


if __name__ == "__main__":
    sys.exit(main())
