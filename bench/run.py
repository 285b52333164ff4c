#!/usr/bin/python3
"""bench/run.py RESULTS_JSON

The measurements of script/bench, in one go, side by side, in a fresh
64-bit Windows 7 prefix under build/bench: our silent install against the
NSIS peer in both variants, the floor, peak memory, the uninstalls, the time
to the painted wizard and its region, the growth with the payload, sizes.
Needs a built tree; the prefix it makes brings its own virtual display.
Writes every figure and the raw runs to RESULTS_JSON for bench/report.py."""
import json
import os
import platform
import re
import shutil
import statistics
import subprocess
import sys
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
BUILD = os.path.join(ROOT, "build")
WORK = os.path.join(BUILD, "bench")
MEDIUM = os.path.join(BUILD, "medium")
PROBE = os.path.join(BUILD, "tools", "bench-probe.exe")
PREFIX = os.path.join(WORK, "wine", "win7")
NSI = os.path.join(ROOT, "bench", "arrayvane.nsi")

# Names of the medium's default setup.ini, which the NSIS peer hard-codes too.
APP_NAME, FOLDER, SERVICE = "Arrayvane", "HBC71K", "ArrayvaneRaidService"
INSTALL_DIR = "C:\\Program Files (x86)\\" + FOLDER
COPY_DIR = "C:\\bench-copy"

RUNS = int(os.environ.get("AV_BENCH_RUNS", "15"))
SHORT_RUNS = max(5, RUNS // 2)          # the uninstalls, the painted wizard, small payloads
PAYLOAD_RUNS = {1: SHORT_RUNS, 100: SHORT_RUNS, 1024: int(os.environ.get("AV_BENCH_GB_RUNS", "3"))}
MB = 1 << 20


def log(text):
    print("bench: " + text, file=sys.stderr, flush=True)


def wine_environment():
    env = dict(os.environ)
    # As scripts/wine-env sets it for the project's throw-away prefixes.
    env.update(WINEPREFIX=PREFIX, WINEDEBUG="-all", LC_ALL="C.UTF-8",
               WINEDLLOVERRIDES="winemenubuilder.exe=d;mscoree=d;mshtml=d")
    env.pop("WINEARCH", None)
    return env


ENV = wine_environment()


def unix_to_windows(path):
    return "Z:" + path.replace("/", "\\")


def q(text):
    """Quoted for the shell that hyperfine runs commands in."""
    return "'" + text.replace("'", "'\\''") + "'"


def run(args, **kw):
    return subprocess.run(args, env=ENV, check=True, text=True, stdout=subprocess.PIPE, **kw).stdout


def probe(*args):
    """One bench-probe command; its "name=value" pairs as a dict."""
    out = run(["wine", PROBE] + list(args)).strip().splitlines()
    line = out[-1] if out else ""
    pairs = dict(p.split("=", 1) for p in line.split() if "=" in p)
    if "error" in pairs:
        raise RuntimeError("bench-probe %s: %s" % (args[0], line))
    return pairs


def reset_command(log_file, await_service):
    cmd = "wine %s reset %s %s %s %s" % (q(PROBE), q(INSTALL_DIR), APP_NAME, FOLDER, SERVICE)
    if await_service:
        cmd += " --await-service"
    return cmd + " >> " + q(log_file)


def reset(await_service=False):
    args = ["reset", INSTALL_DIR, APP_NAME, FOLDER, SERVICE] + (["--await-service"] if await_service else [])
    return probe(*args)


def median(values):
    return statistics.median(values) if values else None


# ---------------------------------------------------------------- the prefix

def make_prefix():
    log("a fresh 64-bit Windows 7 prefix in " + PREFIX)
    if os.path.exists(PREFIX):
        subprocess.run(["wineserver", "-k"], env=ENV, stderr=subprocess.DEVNULL)
    shutil.rmtree(os.path.join(WORK, "wine"), ignore_errors=True)
    # The project's own prefix maker: it leaves one wineserver alive (-p).
    # A screen that holds the wizard at 200 % too.
    subprocess.run([os.path.join(ROOT, "scripts", "wine-prefixes"), "create", os.path.join(WORK, "wine"), "win7"],
                   check=True, env=dict(os.environ, AV_SCREEN="1600x1200x24"))
    # It gives the prefix a virtual display of its own: every run uses that one.
    with open(PREFIX + ".display") as display:
        ENV["DISPLAY"] = ":" + display.read().strip()
    # wine-prefixes also leaves its windows unmanaged: the virtual display has
    # no window manager, which Wine would wait for each time one is hidden.


def end_prefix():
    subprocess.run([os.path.join(ROOT, "scripts", "wine-prefixes"), "destroy", os.path.join(WORK, "wine"), "win7"],
                   stderr=subprocess.DEVNULL)


# ------------------------------------------------------------- the NSIS peer

def build_nsis(medium, out_dir):
    """Both variants of the peer for `medium`: {variant: (path, makensis output)}."""
    os.makedirs(out_dir, exist_ok=True)
    built = {}
    for variant in ("files", "service"):
        out = os.path.join(out_dir, "arrayvane-nsis-%s.exe" % variant)
        args = ["makensis", "-V4", "-DMEDIUM=" + medium, "-DOUTFILE=" + out]
        if variant == "service":
            args.append("-DSERVICE")
        text = subprocess.run(args + [NSI], check=True, text=True, stdout=subprocess.PIPE).stdout
        built[variant] = (out, text)
    return built


def nsis_header(makensis_output):
    """makensis's own account: output type, compressor, header bytes."""
    target = re.search(r"writing output \(([\w-]+)\)", makensis_output)
    compressor = re.search(r"Using (\w+) compression", makensis_output)
    header = re.search(r"EXE header size:\s+(\d+) / (\d+) bytes", makensis_output)
    return {
        "target": target.group(1) if target else None,
        "compressor": compressor.group(1) if compressor else None,
        "header_bytes": int(header.group(1)) if header else None,
    }


# ---------------------------------------------------------------- hyperfine

def hyperfine(commands, runs, name, warmup=1):
    """commands: [(label, command, prepare)]; results by label (seconds)."""
    out = os.path.join(WORK, name + ".json")
    args = ["hyperfine", "--style", "basic", "--warmup", str(warmup), "--runs", str(runs), "--export-json", out]
    for label, command, prepare in commands:
        args += ["--prepare", prepare or "true"]
    for label, command, prepare in commands:
        args += ["--command-name", label, command]
    subprocess.run(args, env=ENV, check=True, stdout=sys.stderr)
    with open(out) as f:
        results = json.load(f)["results"]
    return {r["command"]: {"median": r["median"], "mean": r["mean"], "stddev": r["stddev"],
                           "min": r["min"], "max": r["max"], "times": r["times"]} for r in results}


def rounds(commands, count, name):
    """Own timing, interleaved: each round runs every command once, its
    prepare first (untimed), the order rotating from round to round, so that
    the load of a shared machine falls on all of them alike. Each run goes
    through GNU time for its peak memory. Results by label (seconds, KB)."""
    out = {label: {"times": [], "peak_kb": []} for label, _, _ in commands}
    memory_file = os.path.join(WORK, name + ".time")
    for i in range(count):
        order = commands[i % len(commands):] + commands[:i % len(commands)]
        for label, args, prepare in order:
            if prepare:
                prepare()
            start = time.perf_counter()
            subprocess.run(["/usr/bin/time", "-f", "%M", "-o", memory_file] + args, env=ENV, check=True,
                           stdout=subprocess.DEVNULL)
            out[label]["times"].append(time.perf_counter() - start)
            with open(memory_file) as f:
                out[label]["peak_kb"].append(int(f.read().split()[-1]))
    for label, r in out.items():
        r["median"] = median(r["times"])
        r["peak_kb_median"] = median(r["peak_kb"])
    with open(os.path.join(WORK, name + ".json"), "w") as f:
        json.dump(out, f, indent=1)
    return out


def read_resets(path):
    """The probe's account of what each reset found, one dict a run."""
    found = []
    if os.path.exists(path):
        for line in open(path):
            found.append(dict(p.split("=", 1) for p in line.split() if "=" in p))
    return found


# ------------------------------------------------------------ measurements

def measure_installs(nsis):
    log("silent installs against NSIS, with the floor: %d interleaved rounds, then hyperfine" % RUNS)
    setup = os.path.join(MEDIUM, "setup.exe")
    # What each install left, as the reset after it found it: a reset puts
    # right what the last install before it (in any round) did.
    found = {"ours": [], "nsis_service": [], "nsis_files": []}
    last = [None]

    def account(state):
        if last[0]:
            found[last[0]].append(state)

    def resetter(key):
        def prepare():
            # The service of the install before must be awaited if that one
            # registered it.
            account(reset(await_service=last[0] in ("ours", "nsis_service")))
            last[0] = key
        return prepare

    # No /D=: wine quotes an argument with spaces, and NSIS takes /D= only
    # unquoted. The .nsi's InstallDir is the same folder, which every reset
    # checks.
    programs = [
        ("floor", ["wine", "cmd", "/c", "exit"], None),
        ("ours", ["wine", setup, "s"], resetter("ours")),
        ("nsis_service", ["wine", nsis["service"][0], "/S"], resetter("nsis_service")),
        ("nsis_files", ["wine", nsis["files"][0], "/S"], resetter("nsis_files")),
    ]
    reset()
    # One untimed round first, as hyperfine's warm-up.
    rounds(programs, 1, "install-warmup")
    results = {"rounds": rounds(programs, RUNS, "install-rounds")}
    account(reset(await_service=last[0] in ("ours", "nsis_service")))
    for key, states in found.items():
        results["rounds"][key]["left"] = states

    def shell(args):
        return " ".join(q(a) for a in args)

    logs = {k: os.path.join(WORK, "reset-%s.log" % k) for k in ("ours", "nsis_service", "nsis_files")}
    for path in logs.values():
        if os.path.exists(path):
            os.remove(path)
    commands = [
        ("floor", "wine cmd /c exit", None),
        ("ours", shell(["wine", unix_to_windows(setup), "s"]), reset_command(logs["ours"], True)),
        ("nsis_service", shell(["wine", unix_to_windows(nsis["service"][0]), "/S"]),
         reset_command(logs["nsis_service"], True)),
        ("nsis_files", shell(["wine", unix_to_windows(nsis["files"][0]), "/S"]),
         reset_command(logs["nsis_files"], False)),
    ]
    results["hyperfine"] = hyperfine(commands, RUNS, "install-hyperfine")
    reset()
    return results


def version2_medium():
    """The medium as its next version: the same files, Version 2.00.00."""
    v2 = os.path.join(WORK, "medium-v2")
    shutil.rmtree(v2, ignore_errors=True)
    shutil.copytree(MEDIUM, v2)
    ini = os.path.join(v2, "setup.ini")
    with open(ini, encoding="latin-1") as f:
        text = f.read()
    with open(ini, "w", encoding="latin-1", newline="") as f:
        f.write(text.replace("Version=1.00.00", "Version=2.00.00"))
    return v2


# The last commit before every run kept a log. Its setup.exe, run side by
# side with today's to the running service, prices the log.
BEFORE_LOG = "3c05a4a"


def setup_before_log():
    """That commit's setup.exe, in a copy of today's medium (built once)."""
    src = os.path.join(WORK, "before-log")
    exe = os.path.join(src, "build", "medium", "setup.exe")
    stamp_file = os.path.join(src, "commit")
    built = os.path.exists(exe) and os.path.exists(stamp_file) and open(stamp_file).read() == BEFORE_LOG
    if not built:
        log("building setup.exe of " + BEFORE_LOG + ", before every run kept a log")
        shutil.rmtree(src, ignore_errors=True)
        subprocess.run(["git", "clone", "-q", ROOT, src], check=True)
        subprocess.run(["git", "-C", src, "checkout", "-q", BEFORE_LOG], check=True)
        with open(stamp_file, "w") as f:
            f.write(BEFORE_LOG)
        subprocess.run(["cmake", "-S", src, "-B", os.path.join(src, "build"),
                        "-DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake", "-DCMAKE_BUILD_TYPE=Release"],
                       check=True, stdout=subprocess.DEVNULL)
        subprocess.run(["cmake", "--build", os.path.join(src, "build"), "-j", str(os.cpu_count()),
                        "--target", "setup"], check=True, stdout=subprocess.DEVNULL)
    medium = os.path.join(WORK, "medium-before")
    shutil.rmtree(medium, ignore_errors=True)
    shutil.copytree(MEDIUM, medium)
    shutil.copyfile(exe, os.path.join(medium, "setup.exe"))
    return os.path.join(medium, "setup.exe")


def measure_service_and_upgrade(nsis):
    """The silent installs to the moment their service runs (each command
    ends with the probe, started as the installer returns, seeing the
    service running), and the silent upgrade: version 1 installed and its
    service running (untimed), then version 2 over it."""
    # As many rounds as the installs: the transaction's cost is a difference
    # of two medians, which 7 rounds leave at the mercy of the machine's load.
    log("to the running service, and the silent upgrade: %d interleaved rounds" % RUNS)
    setup = os.path.join(MEDIUM, "setup.exe")
    setup2 = os.path.join(version2_medium(), "setup.exe")
    before = setup_before_log()

    def then_running(args):
        return ["sh", "-c", " ".join(q(a) for a in args) + " && wine " + q(PROBE) + " await-service " + SERVICE]

    def fresh():
        reset(await_service=True)

    def installed(args):
        def prepare():
            reset(await_service=True)
            run(args)
            probe("await-service", SERVICE)
        return prepare

    copy_unix = os.path.join(PREFIX, "drive_c", COPY_DIR[3:])

    def no_copy():
        shutil.rmtree(copy_unix, ignore_errors=True)

    # The limit's copy: the same medium by a plain 32-bit xcopy.
    programs = [
        ("floor", ["wine", "cmd", "/c", "exit"], None),
        ("probe_floor", ["sh", "-c", "wine cmd /c exit && wine cmd /c exit"], None),
        ("copy", ["wine", "xcopy", "/e", "/i", "/q", "/y", unix_to_windows(MEDIUM), COPY_DIR], no_copy),
        ("ours_returned", ["wine", setup, "s"], fresh),
        ("ours_running", then_running(["wine", setup, "s"]), fresh),
        ("before_running", then_running(["wine", before, "s"]), fresh),
        ("nsis_returned", ["wine", nsis["service"][0], "/S"], fresh),
        ("nsis_running", then_running(["wine", nsis["service"][0], "/S"]), fresh),
        ("ours_upgrade", then_running(["wine", setup2, "s"]), installed(["wine", setup, "s"])),
        ("nsis_upgrade", then_running(["wine", nsis["service"][0], "/S"]),
         installed(["wine", nsis["service"][0], "/S"])),
    ]
    reset(await_service=True)
    rounds(programs, 1, "service-warmup")
    results = rounds(programs, RUNS, "service-rounds")
    reset(await_service=True)
    no_copy()
    results["copied_files"] = sum(len(files) for _, _, files in os.walk(MEDIUM))
    return results


def measure_uninstalls(nsis):
    """Ours through the wizard's buttons, NSIS's uninstaller silently in
    place (_?=, so that its own process is the one that does the work);
    each timed by the probe from process start to end, with the probe's own
    floor (cmd /c exit started the same way)."""
    log("uninstalls, %d runs each" % SHORT_RUNS)
    ours_installed = unix_to_windows(os.path.join(MEDIUM, "setup.exe"))
    uninstall_dir = INSTALL_DIR + "\\Uninstall"
    runs = {"floor": [], "ours": [], "ours_silent": [], "nsis_service": [], "nsis_files": []}
    left = {k: [] for k in runs}
    reset()
    for _ in range(SHORT_RUNS):
        runs["floor"].append(probe("run", "C:\\windows\\system32\\cmd.exe /c exit"))
        run(["wine", ours_installed, "s"])
        probe("await-service", SERVICE)
        runs["ours"].append(probe("walk", uninstall_dir + "\\setup.exe", "delpkg"))
        left["ours"].append(reset(await_service=False))
        # The silent uninstall, as a deployment tool runs it.
        run(["wine", ours_installed, "s"])
        probe("await-service", SERVICE)
        runs["ours_silent"].append(probe("run", '"%s\\setup.exe" delpkg SilentDel' % uninstall_dir))
        left["ours_silent"].append(reset(await_service=False))
        for variant in ("service", "files"):
            run(["wine", nsis[variant][0], "/S"])
            if variant == "service":
                # Its "-i" may still run; the uninstall must find the service.
                probe("await-service", SERVICE)
            runs["nsis_" + variant].append(
                probe("run", '"%s\\uninst.exe" /S _?=%s' % (uninstall_dir, uninstall_dir)))
            left["nsis_" + variant].append(reset())
    out = {}
    for key, values in runs.items():
        field = "total_ms" if key == "ours" else "run_ms"
        out[key] = {"median_ms": median([float(v[field]) for v in values]), "runs": values, "left": left[key]}
    out["ours"]["work_median_ms"] = median([float(v["work_ms"]) for v in runs["ours"]])
    out["ours"]["wizard_median_ms"] = median([float(v["wizard_ms"]) for v in runs["ours"]])
    return out


def measure_wizard():
    log("start to the painted wizard, %d runs; the region, %d cuts" % (SHORT_RUNS, 2 * SHORT_RUNS + 1))
    setup = os.path.join(MEDIUM, "setup.exe")
    painted = [probe("painted", setup) for _ in range(SHORT_RUNS)]
    # The same on a display of 192 dpi (200 %): the wizard decodes and
    # shows its 200 % pictures.
    os.environ["AV_DISPLAY_DPI"] = "192"
    try:
        painted_192 = [probe("painted", setup) for _ in range(SHORT_RUNS)]
    finally:
        del os.environ["AV_DISPLAY_DPI"]
    region = probe("region", setup, str(2 * SHORT_RUNS + 1))
    cuts = [float(v) for v in region["region_ms"].split(",")]
    result = {
        "painted_median_ms": median([float(p["painted_ms"]) for p in painted]),
        "visible_median_ms": median([float(p["visible_ms"]) for p in painted]),
        "painted_runs": painted,
        "painted_192_median_ms": median([float(p["painted_ms"]) for p in painted_192]),
        "painted_192_runs": painted_192,
        "region_median_ms": median(cuts),
        "region_runs_ms": cuts,
        "region_size": [int(region["width"]), int(region["height"])],
    }
    result["region_share"] = result["region_median_ms"] / result["painted_median_ms"]
    return result


# ----------------------------------------------------------------- payloads

def pattern_block():
    # Incompressible, so that no layer can cheat on zeros.
    return os.urandom(MB)


def write_file(path, size, block):
    with open(path, "ab") as f:
        left = size
        while left > 0:
            n = min(left, len(block))
            f.write(block[:n])
            left -= n


def make_payload_medium(added_mb, block):
    """A copy of the medium with added_mb MB more in its Application folder:
    the application and its DLL each grow by 45 % of it (data appended after
    the program, which Windows ignores), the 109 images share the other
    10 %. The service tool stays as built, since the install runs it."""
    medium = os.path.join(WORK, "payload", "%dmb" % added_mb)
    shutil.rmtree(medium, ignore_errors=True)
    shutil.copytree(MEDIUM, medium)
    app = os.path.join(medium, "Application")
    added = added_mb * MB
    for name in ("KXRaidSetup.exe", "mingwm10.dll"):
        write_file(os.path.join(app, name), int(added * 0.45), block)
    images = sorted(os.listdir(os.path.join(app, "Images")))
    each = int(added * 0.10) // len(images)
    for name in images:
        write_file(os.path.join(app, "Images", name), each, block)
    app_bytes = sum(os.path.getsize(os.path.join(d, f)) for d, _, fs in os.walk(app) for f in fs)
    medium_bytes = sum(os.path.getsize(os.path.join(d, f)) for d, _, fs in os.walk(medium) for f in fs)
    return medium, app_bytes, medium_bytes, len(images)


def measure_payloads():
    need = 3 * 1024 * MB + 512 * MB
    free = shutil.disk_usage(BUILD).free
    sizes = [1, 100, 1024] if free > need else [1, 100]
    log("payload growth: +%s MB (%.1f GB free)" % (sizes, free / 1024 / MB))
    block = pattern_block()
    copy_unix = os.path.join(PREFIX, "drive_c", COPY_DIR[3:])
    out = {"free_bytes": free, "skipped_1gb": 1024 not in sizes, "cases": {}}
    for added_mb in sizes:
        medium, app_bytes, medium_bytes, images = make_payload_medium(added_mb, block)
        last = [None]

        # Each run starts with nothing of the last one left, on the disk or
        # in its cache of written pages: the writes of the run before would
        # otherwise fall on whichever run came next.
        def prepare(key):
            def clean():
                reset(await_service=last[0] == "ours")
                shutil.rmtree(copy_unix, ignore_errors=True)
                subprocess.run(["sync"], check=True)
                last[0] = key
            return clean

        programs = [
            ("floor", ["wine", "cmd", "/c", "exit"], prepare("floor")),
            ("ours", ["wine", os.path.join(medium, "setup.exe"), "s"], prepare("ours")),
            # The physical limit: the same medium copied by the system's own
            # tool, in the same prefix, from the same place to the same disk.
            ("copy", ["wine", "xcopy", "/e", "/i", "/q", "/y", unix_to_windows(medium), COPY_DIR], prepare("copy")),
        ]
        runs = PAYLOAD_RUNS[added_mb]
        # One untimed round first, as hyperfine's warm-up: the medium's
        # files come into the page cache for both alike.
        rounds(programs, 1, "payload-%dmb-warmup" % added_mb)
        result = rounds(programs, runs, "payload-%dmb" % added_mb)
        reset(await_service=last[0] == "ours")
        shutil.rmtree(copy_unix, ignore_errors=True)
        shutil.rmtree(medium, ignore_errors=True)
        floor_s = result["floor"]["median"]
        case = {"runs": runs, "added_mb": added_mb, "application_bytes": app_bytes,
                "medium_bytes": medium_bytes, "images": images, "floor": floor_s}
        for key in ("ours", "copy"):
            r = result[key]
            above = r["median"] - floor_s
            case[key] = {"median": r["median"], "above_floor": above, "times": r["times"],
                         "mb_per_s": (app_bytes / MB) / above if above > 0 else None}
        case["ratio_throughput"] = (case["copy"]["above_floor"] / case["ours"]["above_floor"]
                                    if case["ours"]["above_floor"] > 0 else None)
        out["cases"]["%dmb" % added_mb] = case
    shutil.rmtree(os.path.join(WORK, "payload"), ignore_errors=True)
    return out


# --------------------------------------------------------------------- waits

WAIT_LINE = re.compile(r"(Waited (\d+) ms for .*|.*bound passed.*)$")


def count_waits():
    """What each run waits for and how long, from its own log (log=): a
    fresh silent install, the silent upgrade over it, the silent uninstall.
    Each wait's line names what it waited for and the milliseconds."""
    log_unix = os.path.join(PREFIX, "drive_c", "bench-waits.log")
    waits = {}

    def logged_waits():
        if not os.path.exists(log_unix):
            return []
        with open(log_unix, encoding="utf-8-sig", errors="replace") as f:
            found = [WAIT_LINE.search(l.rstrip()) for l in f]
        os.remove(log_unix)
        return [{"text": m.group(1), "ms": int(m.group(2)) if m.group(2) else None} for m in found if m]

    log_arg = "/log=C:\\bench-waits.log"
    reset(await_service=True)
    logged_waits()
    run(["wine", os.path.join(MEDIUM, "setup.exe"), "s", log_arg])
    probe("await-service", SERVICE)
    waits["install"] = logged_waits()
    run(["wine", os.path.join(version2_medium(), "setup.exe"), "s", log_arg])
    probe("await-service", SERVICE)
    waits["upgrade"] = logged_waits()
    probe("run", '"%s\\Uninstall\\setup.exe" delpkg SilentDel %s' % (INSTALL_DIR, log_arg))
    waits["uninstall"] = logged_waits()
    reset()
    return waits


# -------------------------------------------------------------------- sizes

def pe_sizes(path):
    out = subprocess.run([sys.executable, os.path.join(ROOT, "scripts", "pe-sizes"), "--json", path],
                         check=True, text=True, stdout=subprocess.PIPE).stdout
    return json.loads(out)[0]


def sizes(nsis):
    info = nsis_header(nsis["files"][1])
    stub_name = {"x86-unicode": "x86-unicode", "x86-ansi": "x86-ansi"}.get(info["target"], info["target"])
    stub = "/usr/share/nsis/Stubs/%s-%s" % (info["compressor"], stub_name)
    return {
        "ours": pe_sizes(os.path.join(MEDIUM, "setup.exe")),
        "language_modules": {f: os.path.getsize(os.path.join(MEDIUM, f))
                             for f in sorted(os.listdir(MEDIUM)) if f.lower().endswith(".dll")},
        "nsis": {
            "stub_file": stub,
            "stub_bytes": os.path.getsize(stub) if os.path.exists(stub) else None,
            "header_bytes": info["header_bytes"],
            "target": info["target"],
            "compressor": info["compressor"],
            "installer_files_bytes": os.path.getsize(nsis["files"][0]),
            "installer_service_bytes": os.path.getsize(nsis["service"][0]),
        },
        "payload_bytes": sum(os.path.getsize(os.path.join(d, f))
                             for d, _, fs in os.walk(os.path.join(MEDIUM, "Application")) for f in fs),
    }


# ------------------------------------------------------------------ machine

def first_line(args):
    try:
        return subprocess.run(args, text=True, stdout=subprocess.PIPE, stderr=subprocess.STDOUT).stdout.splitlines()[0]
    except (OSError, IndexError):
        return None


def machine():
    cpu = None
    for line in open("/proc/cpuinfo"):
        if line.startswith("model name"):
            cpu = line.split(":", 1)[1].strip()
            break
    mem_kb = next(int(l.split()[1]) for l in open("/proc/meminfo") if l.startswith("MemTotal"))
    debian = open("/etc/debian_version").read().strip() if os.path.exists("/etc/debian_version") else None
    # Wine's 32-bit loader runs natively where the kernel takes i386
    # programs, and under QEMU's user-mode emulator (binfmt) where not.
    binfmt = "/proc/sys/fs/binfmt_misc/qemu-i386"
    qemu = None
    if os.path.exists(binfmt) and "enabled" in open(binfmt).read():
        interpreter = next((l.split()[1] for l in open(binfmt) if l.startswith("interpreter")), None)
        qemu = first_line([interpreter, "--version"]) if interpreter else "registered"
    return {
        "nproc": os.cpu_count(),
        "cpu": cpu,
        "ram_gb": round(mem_kb / 1024 / 1024, 1),
        "debian": debian,
        "kernel": platform.release(),
        "wine": first_line(["wine", "--version"]),
        "hyperfine": first_line(["hyperfine", "--version"]),
        "makensis": first_line(["makensis", "-VERSION"]),
        "qemu": qemu,
        "load_before": os.getloadavg(),
    }


def main():
    if len(sys.argv) != 2:
        print(__doc__, file=sys.stderr)
        return 2
    results_path = sys.argv[1]
    os.makedirs(WORK, exist_ok=True)
    started = time.time()
    results = {"machine": machine(), "runs": RUNS, "short_runs": SHORT_RUNS,
               "payload_runs": {str(k): v for k, v in PAYLOAD_RUNS.items()}}
    nsis = build_nsis(MEDIUM, os.path.join(WORK, "nsis"))
    results["sizes"] = sizes(nsis)
    make_prefix()
    try:
        results["install"] = measure_installs(nsis)
        results["service"] = measure_service_and_upgrade(nsis)
        results["uninstall"] = measure_uninstalls(nsis)
        results["wizard"] = measure_wizard()
        results["waits"] = count_waits()
        results["payload"] = measure_payloads()
    finally:
        end_prefix()
        # The big payload copies go even when a measurement failed.
        shutil.rmtree(os.path.join(WORK, "payload"), ignore_errors=True)
        shutil.rmtree(os.path.join(PREFIX, "drive_c", COPY_DIR[3:]), ignore_errors=True)
    results["machine"]["load_after"] = os.getloadavg()
    results["seconds"] = round(time.time() - started)
    with open(results_path, "w") as f:
        json.dump(results, f, indent=1)
    log("done in %d s; results in %s" % (results["seconds"], results_path))
    return 0


if __name__ == "__main__":
    sys.exit(main())
