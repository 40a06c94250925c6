#!/usr/bin/env python3
"""Times every report command as a whole process on generated deals, against the sqlite3 shell
reading the same ordered selection, and keeps or checks the outputs byte for byte.

    bench/report_commands.py [--build build] [--work DIR] [--count N] [--runs R]
                             [--only TEXT] [--save DIR] [--check DIR] [--budget SECONDS]
                             [--server CONNECTION]

Two databases are made in WORK (default build/bench-report-commands; made once, later runs reuse
them): N deals with 40 distinct salesperson keys and N with 3,000. Each case runs as --json, as
plain text and with --print-to-file (where the report prints); each measurement is the median of
R runs, the program's and the shell's runs taken in turn, as elapsed time and as processor time
(user and system; steadier than the elapsed time on a busy machine). The peak memory is the largest
resident size of the program's runs. --save DIR keeps what one run of each case wrote (standard
output, or the document file); --check DIR compares that with a saved folder and exits 1 on any
difference. The whole run stops starting new cases after --budget seconds. A case on 3,000 keys
also runs the same command on 40 keys in turn with its own runs, and the two medians give the
ratio of 3,000 keys to 40.

With --server CONNECTION (a libpq connection string naming a database used to make others), the
two sets of deals are moved once into the server databases volmera_bench_k40 and
volmera_bench_k3000 with `volmera migrate`, every report runs there with --database, and psql
reading the same ordered selection (`\copy (SELECT * ...) TO '/dev/null'` in the program's own
order: texts on their ASCII-folded key, blanks first, the order of writing last) takes the
shell's place. --check against outputs saved from the file shows the server gives the same bytes.
"""
import argparse
import os
import shutil
import statistics
import subprocess
import sys
import time

TODAY = "12/31/2026"
SPRING = ["--from", "03/01/2000", "--to", "05/31/2000"]

# label, database (40 or 3000 keys), command arguments, the shell's order, printable
CASES = [
    ("fi-log", 40, ["fi-log"], "DateSold", True),
    ("fi-log used", 40, ["fi-log", "--vehicle", "used"], "NewUsed, DateSold", True),
    ("summary", 40, ["summary"], "DateSold", True),
    ("summary by salesperson", 40, ["summary", "--by", "salesperson"], "Salesman, DateSold",
     True),
    ("summary by salesperson k3000", 3000, ["summary", "--by", "salesperson"],
     "Salesman, DateSold", True),
    ("gross-sales", 40, ["gross-sales"], "DateSold", True),
    ("gross-sales by salesperson", 40, ["gross-sales", "--by", "salesperson"],
     "Salesman, DateSold", True),
    ("gross-sales by salesperson k3000", 3000, ["gross-sales", "--by", "salesperson"],
     "Salesman, DateSold", True),
    ("commission", 40, ["commission"], "DateSold, Salesman", True),
    ("commission by asm", 40, ["commission", "--by", "asm"], "DateSold, Salesman", True),
    ("names", 40, ["names"], "ByLName, DateSold", True),
    ("names by salesperson", 40, ["names", "--by", "salesperson"],
     "Salesman, ByLName, DateSold", True),
    ("names labels", 40, ["names", "--format", "label"], "ByLName, DateSold", False),
    ("letters", 40, ["letters"], "DateSold", False),
    ("anniversary", 40, ["anniversary"] + SPRING, "ByLName", True),
    ("birthday", 40, ["birthday"] + SPRING, "ByLName", True),
    ("service", 40, ["service"], "SrvElig, DateSold", True),
    ("model", 40, ["model", "--model", "CAMRY"], "DateSold", True),
]
MODES = ["json", "text", "file"]


def run(argv, stdout):
    """Runs argv to its end; gives (seconds, processor seconds, peak resident MB, exit status)."""
    start = time.perf_counter()
    proc = subprocess.Popen(argv, stdout=stdout, stderr=subprocess.DEVNULL)
    _, status, usage = os.wait4(proc.pid, 0)
    proc.returncode = os.waitstatus_to_exitcode(status)
    return (time.perf_counter() - start, usage.ru_utime + usage.ru_stime,
            usage.ru_maxrss / 1024.0, proc.returncode)


def make_database(args, folder, keys):
    path = os.path.join(folder, "ZELDB.mdb")
    if os.path.exists(path):
        return
    os.makedirs(folder, exist_ok=True)
    print(f"generating {args.count} deals with {keys} salesperson keys into {path} ...",
          flush=True)
    subprocess.run([os.path.join(args.build, "bench", "volmera_gen"), "--out", path, "--count",
                    str(args.count), "--salespeople", str(keys), "--seed", "14", "--batch",
                    "5000"], check=True)


def server_for(args, keys):
    """The connection of the server database holding the deals of the keys' set."""
    return f"{args.server} dbname=volmera_bench_k{keys}"


def make_server_database(args, folder, keys):
    name = f"volmera_bench_k{keys}"
    listed = subprocess.run(["psql", args.server, "-Atc",
                             f"SELECT 1 FROM pg_database WHERE datname = '{name}'"],
                            capture_output=True, text=True, check=True).stdout.strip()
    if listed == "1":
        return
    print(f"moving the deals of {folder} to the server database {name} ...", flush=True)
    subprocess.run(["psql", args.server, "-qc", f"CREATE DATABASE {name}"], check=True)
    subprocess.run([os.path.join(args.build, "volmera"), "--data-dir", folder, "migrate", "--to",
                    server_for(args, keys)], check=True, stdout=subprocess.DEVNULL)
    # The planner's figures as an office's server has them after its first automatic analysis.
    subprocess.run(["psql", server_for(args, keys), "-qc", "ANALYZE"], check=True)


def server_order(order):
    """The shell's order on the server, as the program words it: texts by their ASCII-folded key,
    blanks first, and the order the deals were written in last."""
    terms = []
    for field in (f.strip() for f in order.split(",")):
        key = f'"{field}"' if field == "DateSold" else f'lower(CAST("{field}" AS text) COLLATE "C")'
        terms.append(key + " NULLS FIRST")
    return ", ".join(terms + ["rowid"])


def reader(args, keys, folder, order):
    """The shell reading the report's ordered selection."""
    if args.server:
        return ["psql", server_for(args, keys), "-qc",
                f"\\copy (SELECT * FROM \"ZEL\" ORDER BY {server_order(order)}) TO '/dev/null'"]
    return ["sqlite3", os.path.join(folder, "ZELDB.mdb"), f"SELECT * FROM ZEL ORDER BY {order}"]


def command(args, folder, case_args, mode, keys=40):
    argv = [os.path.join(args.build, "volmera"), "--data-dir", folder, "report", *case_args,
            "--today", TODAY]
    if args.server:
        argv += ["--database", server_for(args, keys)]
    if mode == "json":
        argv.append("--json")
    elif mode == "file":
        argv.append("--print-to-file")
    return argv


def keep_output(args, folder, case_args, mode, target, keys):
    """Runs the case once more, writing what it gives to target."""
    argv = command(args, folder, case_args, mode, keys)
    if mode != "file":
        with open(target, "wb") as out:
            subprocess.run(argv, stdout=out, stderr=subprocess.DEVNULL, check=False)
        return
    printed = subprocess.run(argv, capture_output=True, check=False).stdout.decode().strip()
    if printed and os.path.exists(printed):
        shutil.copyfile(printed, target)
    else:
        with open(target, "wb") as out:
            out.write(b"(no document file)\n")


def main():
    p = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    p.add_argument("--build", default="build")
    p.add_argument("--work", default=os.path.join("build", "bench-report-commands"))
    p.add_argument("--count", type=int, default=100000)
    p.add_argument("--runs", type=int, default=5)
    p.add_argument("--only", default="", help="cases whose label contains this text")
    p.add_argument("--modes", default=",".join(MODES))
    p.add_argument("--save", help="keep each case's output in this folder")
    p.add_argument("--check", help="compare each case's output with this saved folder")
    p.add_argument("--budget", type=float, default=1800.0)
    p.add_argument("--server", help="run on databases on this server, against psql")
    args = p.parse_args()

    folders = {k: os.path.join(args.work, f"k{k}") for k in (40, 3000)}
    for keys, folder in folders.items():
        make_database(args, folder, keys)
        if args.server:
            make_server_database(args, folder, keys)
    modes = [m for m in args.modes.split(",") if m in MODES]
    began = time.monotonic()
    results = {}
    paired = {}
    differences = []
    print(f"{'case':34} {'mode':5} {'program s':>9} {'shell s':>8} {'ratio':>6} {'cpu s':>6} "
          f"{'shell':>6} {'ratio':>6} {'peak MB':>8}")
    for label, keys, case_args, order, printable in CASES:
        if args.only not in label:
            continue
        folder = folders[keys]
        for mode in modes:
            if mode == "file" and not printable:
                continue
            if time.monotonic() - began > args.budget:
                print(f"budget of {args.budget:.0f} s spent; the remaining cases were not run")
                return finish(differences)
            program, shell, program_cpu, shell_cpu, peak, failed = [], [], [], [], 0.0, False
            few = []  # the same command on 40 keys, run in turn with this one's
            for _ in range(args.runs):
                seconds, cpu, mb, status = run(command(args, folder, case_args, mode, keys),
                                               subprocess.DEVNULL)
                failed |= status != 0
                program.append(seconds)
                program_cpu.append(cpu)
                peak = max(peak, mb)
                if keys != 40:
                    few.append(run(command(args, folders[40], case_args, mode),
                                   subprocess.DEVNULL)[0])
                seconds, cpu, _, _ = run(reader(args, keys, folder, order), subprocess.DEVNULL)
                shell.append(seconds)
                shell_cpu.append(cpu)
            prog, sh = statistics.median(program), statistics.median(shell)
            pcpu, scpu = statistics.median(program_cpu), statistics.median(shell_cpu)
            results[(label, mode)] = (prog, sh, peak)
            if few:
                paired[(label, mode)] = prog / statistics.median(few)
            print(f"{label:34} {mode:5} {prog:9.3f} {sh:8.3f} {prog / sh:6.2f} {pcpu:6.3f} "
                  f"{scpu:6.3f} {pcpu / scpu:6.2f} {peak:8.1f}"
                  + ("  (exit status not 0)" if failed else ""), flush=True)
            name = f"{label.replace(' ', '-')}.{mode}"
            if args.save:
                os.makedirs(args.save, exist_ok=True)
                keep_output(args, folder, case_args, mode, os.path.join(args.save, name), keys)
            if args.check:
                fresh = os.path.join(args.work, "latest-" + name)
                keep_output(args, folder, case_args, mode, fresh, keys)
                with open(fresh, "rb") as a, open(os.path.join(args.check, name), "rb") as b:
                    if a.read() != b.read():
                        differences.append(name)
                        print(f"  differs from {os.path.join(args.check, name)}")
    # Against the 40-key runs taken in turn with the 3,000-key ones, so that a machine that
    # speeds up or slows down between cases does not show as a difference.
    for (label, mode), ratio in paired.items():
        print(f"{label.replace(' k3000', '')} {mode}: 3,000 keys take {ratio:.2f}x the time of 40")
    return finish(differences)


def finish(differences):
    if differences:
        print("outputs that differ: " + ", ".join(differences))
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
