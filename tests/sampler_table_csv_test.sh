#!/usr/bin/env bash
# The sampler tables of a generated day read as analysts read them: Python's csv module (and
# pandas where it is installed) must find one header row, the types each column promises and
# one row per case and sampler. Exit 77 (skipped) without python3.
#   sampler_table_csv_test.sh GENERATOR FIELDJOIN WORK_DIR
set -euo pipefail
generator=$1
fieldjoin=$2
work=$3
if ! command -v python3 >/dev/null; then
  echo "python3 not found: skipped"
  exit 77
fi
rm -rf "$work"
mkdir -p "$work/out"
"$generator" --root "$work/data" --days 1 --rate 2 --seed 5 >/dev/null
"$fieldjoin" --all --data-root "$work/data/c/Vantrel" --output-dir "$work/out" 2>/dev/null
python3 - "$work/out" <<'PY'
import csv, glob, os, sys
folder = sys.argv[1]
numbers = ["X_m", "Y_m", "Z_m", "Distance_m", "Bearing_deg", "Downwind_m", "Crosswind_m", "Reading",
           "SourceStrength_grains_m2_s", "UStar_m_s", "L_m", "WindSpeed_m_s", "WindDirection_deg"]
integers = ["DayIndex", "BeginMinute", "EndMinute"]
tables = sorted(glob.glob(os.path.join(folder, "* Samplers.txt")))
assert len(tables) == 4, tables
for path in tables:
    whole = path.replace(" Samplers.txt", ".txt")
    with open(whole, newline="") as f:
        cases = sum(1 for _ in f) - 2
    samplers = 14 if path.endswith("_fence Samplers.txt") else 36
    with open(path, newline="") as f:
        rows = list(csv.DictReader(f))
    assert len(rows) == cases * samplers, (path, len(rows), cases, samplers)
    for row in rows:
        assert None not in row and len(row) == 23, row  # no stray column from a trailing comma
        for name in integers:
            int(row[name])
        for name in numbers:
            if row[name] != "":
                float(row[name])
        assert row["Kind"] in ("deposition", "concentration"), row
        assert row["QcFlag"] in ("0", "1", "2"), row
        assert row["Begin"][:4].isdigit() and row["Begin"][10] == "T", row
    try:
        import pandas
    except ImportError:
        continue
    frame = pandas.read_csv(path)
    assert len(frame) == len(rows)
    for name in numbers + integers:
        assert frame[name].dtype.kind in "fi", (name, frame[name].dtype)
print("sampler tables read:", len(tables))
PY
