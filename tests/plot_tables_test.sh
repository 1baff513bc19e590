#!/usr/bin/env bash
# tools/plot_tables.sh on small hand-written tables of both kinds, with NaN, inf and -999 rows:
# every figure must be a complete PNG of its fixed size, the left-out counts must be reported,
# and nothing may be written to standard error; a quality table beside a table marks its flag-2
# windows, a broken one is reported. Exit 77 (skipped) when gnuplot is missing.
#   plot_tables_test.sh PLOT_TABLES_SH WORK_DIR
set -uo pipefail

plot=$1
work=$2
if ! command -v gnuplot >/dev/null; then
  echo "gnuplot not found (Debian package gnuplot-nox): skipped"
  exit 77
fi

failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

# Folder and file names with spaces, as the programs write them.
rm -rf "$work"
dir="$work/output folder"
mkdir -p "$dir"
whole="$dir/2014 TN Seed Whole Data_fence.txt"
cases="$dir/2014 TN Pollen Test Cases_hill.txt"

# Left out: SourceStrength 2 (-999, nan), UStar 1, L 2 (nan, -nan), WindSpeed 1, WindDirection 2 (nan, inf).
cat >"$whole" <<'EOF'
DayIndex,BeginMinute,EndMinute,Date,BeginTime,EndTime,SourceStrength,UStar,L,WindSpeed,WindDirection,AvgU,UStd,AvgV,VStd,AvgW,WStd,AvgTs,TsStd,SolarRad,RainFall,Humi,FD1_x,FD1_y,FD1_z,FD1_dep,UZ_5,UZ_3.15,UZ_2.225,UZ_1.3,UZ_0.5,
Day,Minute,Minute,MM/DD/YYYY,HHMM,HHMM,Grains/m2/s,m/s,m,m/s,degree,m/s,m/s,m/s,m/s,m/s,m/s,CelsiusDegree,CelsiusDegree,w/m2,inch,%,m,m,m,grains/m2/s,m/s,m/s,m/s,m/s,m/s,
15,313,428,8/15/2014,0513,0708,4.62713,0.185336,31.2716,1.58265,235.516,1.58273,0.675945,0,0.666203,0,0.230104,20.1765,0.569105,0.25,0,92.1667,-6,0,0.5,0.054,2.05182,1.70069,1.47108,1.15356,0.3,
15,774,877,8/15/2014,1254,1437,-999,0.370249,-28.1548,2.77454,222.373,2.77484,1.08281,0,1.07968,0,0.395536,28.4392,0.756587,531,0,51.9091,-6,0,0.5,-1,3.01606,2.69419,2.43599,2.0129,0.587902,
15,1281,1393,8/15/2014,2121,2313,nan,nan,nan,nan,nan,nan,nan,nan,nan,nan,nan,nan,nan,nan,nan,nan,-6,0,0.5,0.019,nan,nan,nan,nan,nan,
16,79,174,8/16/2014,0119,0254,1.27321,0.158311,-nan,1.44678,5.2,1.44694,0.648229,0,0.61842,0,0.207901,17.9435,0.197215,0,0,98.9091,-6,0,0.5,0.019,nan,nan,nan,nan,nan,
16,741,832,8/16/2014,1221,1352,2.47385,0.500112,-62.8861,3.64722,inf,3.64762,1.36196,0,1.32776,0,0.400562,27.8984,0.994069,591.7,0,48.4,-6,0,0.5,0.016,4.28978,3.80093,3.41644,2.79972,0.8177,
16,1095,1154,8/16/2014,1815,1914,1.88658,0.372324,1500,6.2,358.1,2.91529,1.06041,0,0.979047,0,0.411015,27.2387,0.32802,211.143,0,51.7143,-6,0,0.5,0.013,3.2269,2.85348,2.56138,2.09532,0.611,
EOF

# Left out: SourceStrength 2 (-999, nan), UStar 1, L 2 (nan, -nan), WindSpeed 1, WindDirection 1.
cat >"$cases" <<'EOF'
TestCaseID,DayIndex,BeginMinute,EndMinute,Date,BeginTime,EndTime,TimePeriod,SourceStrength,UStar,L,WindSpeed,WindDirection,
TestCaseID,Day,Minute,Minute,MM/DD/YYYY,HHMM,HHMM,s,Grains/m2/s,m/s,m,m/s,degree,
1,15,314,343,8/15/2014,0514,0543,1800,1110.1,0.252719,72.4125,2.0768,238.103
1,15,344,373,8/15/2014,0544,0613,1800,-999,0.23097,46.5698,2.06329,243.039
2,15,526,555,8/15/2014,0846,0915,1800,793.357,0.414611,-251.986,3.26981,242.931
2,15,556,567,8/15/2014,0916,0927,720,nan,nan,nan,nan,nan
4,16,115,144,8/16/2014,0155,0224,1800,1217.74,0.271489,-nan,2.28421,209.752
EOF

# Runs the plot script on the arguments: a failing status or a word on standard error
# fails the test, each message led by WHAT.
plot_quietly() {
  local what=$1
  shift
  "$plot" "$@" >"$work/stdout" 2>"$work/stderr"
  local status=$?
  [ "$status" -eq 0 ] || fail "${what}exit status $status"
  if [ -s "$work/stderr" ]; then
    fail "${what}standard error is not empty:"
    cat "$work/stderr"
  fi
}

plot_quietly "" "$whole" "$cases"

expect_line() {
  grep -qxF -- "$1" "$work/stdout" || fail "no line '$1' in the report"
}
expect_line "$whole: whole-data table, 6 cases"
expect_line "$cases: test-case table, 5 sub-windows"
expect_line "  left out: SourceStrength 2, UStar 1, L 2, WindSpeed 1, WindDirection 2"
expect_line "  left out: SourceStrength 2, UStar 1, L 2, WindSpeed 1, WindDirection 1"

# Reads a big-endian 32-bit number at byte OFFSET of FILE.
u32() {
  local b
  read -r -a b < <(od -A n -t u1 -j "$2" -N 4 "$1")
  echo $(((b[0] << 24) | (b[1] << 16) | (b[2] << 8) | b[3]))
}

# PNG signature, then the IHDR chunk (length 13) holding width and height; IEND closes the file.
check_png() {
  local file=$1 width=$2 height=$3
  if [ ! -s "$file" ]; then
    fail "$file not written"
    return
  fi
  local head tail
  head=$(od -A n -t x1 -N 16 "$file" | tr -d ' \n')
  tail=$(tail -c 12 "$file" | od -A n -t x1 | tr -d ' \n')
  [ "$head" = 89504e470d0a1a0a0000000d49484452 ] || fail "$file: no PNG signature and IHDR chunk"
  [ "$tail" = 0000000049454e44ae426082 ] || fail "$file: no IEND chunk at the end"
  local w h
  w=$(u32 "$file" 16)
  h=$(u32 "$file" 20)
  if [ "$w" -ne "$width" ] || [ "$h" -ne "$height" ]; then
    fail "$file: ${w}x$h, expected ${width}x$height"
  fi
  grep -qxF "  wrote $file" "$work/stdout" || fail "$file not reported"
}
check_png "$dir/2014 TN Seed Whole Data_fence_series.png" 1100 1400
check_png "$dir/2014 TN Seed Whole Data_fence_windrose.png" 800 800
check_png "$dir/2014 TN Seed Whole Data_fence_source_ustar.png" 900 650
check_png "$dir/2014 TN Pollen Test Cases_hill_series.png" 1100 1400
[ ! -e "$dir/2014 TN Pollen Test Cases_hill_windrose.png" ] || fail "a wind rose was drawn for a test-case table"

# Degenerate tables still give every figure without a word on standard error: no data row,
# one row with nothing valid, one single valid row.
header='DayIndex,BeginMinute,EndMinute,Date,BeginTime,EndTime,SourceStrength,UStar,L,WindSpeed,WindDirection,'
units='Day,Minute,Minute,MM/DD/YYYY,HHMM,HHMM,Grains/m2/s,m/s,m,m/s,degree,'
printf '%s\n%s\n' "$header" "$units" >"$dir/empty_hill.txt"
printf '%s\n%s\n15,1,2,8/15/2014,0001,0002,nan,-nan,nan,inf,-999,\n' "$header" "$units" >"$dir/none_hill.txt"
printf '%s\n%s\n15,1,2,8/15/2014,0001,0002,3,0.2,50,2,90,\n' "$header" "$units" >"$dir/one_fence.txt"
plot_quietly "degenerate tables: " "$dir/empty_hill.txt" "$dir/none_hill.txt" "$dir/one_fence.txt"
expect_line "  left out: SourceStrength 1, UStar 1, L 1, WindSpeed 1, WindDirection 1"
for stem in empty_hill none_hill one_fence; do
  check_png "$dir/${stem}_series.png" 1100 1400
  check_png "$dir/${stem}_windrose.png" 800 800
  check_png "$dir/${stem}_source_ustar.png" 900 650
done

# A file of neither kind is refused on standard error with a failing status.
printf 'a,b,c\n1,2,3\n' >"$dir/other.txt"
if "$plot" "$dir/other.txt" >"$work/stdout" 2>"$work/stderr"; then
  fail "a table of neither kind was accepted"
fi
grep -q "not a whole-data or test-case table" "$work/stderr" || fail "no message for a table of neither kind"

# Quality tables: "<table> QC.txt", two header rows, a QcFlag column among others, one row per
# data row. Flag-2 windows change the figures; the quality table itself is passed over.
qdir="$work/quality"
mkdir -p "$qdir"
qwhole="$qdir/2014 TN Seed Whole Data_fence.txt"
qcases="$qdir/2014 TN Pollen Test Cases_hill.txt"
cp "$whole" "$qwhole"
cp "$cases" "$qcases"
"$plot" "$qwhole" "$qcases" >"$work/stdout" 2>"$work/stderr" || fail "tables without quality tables: failed"
for f in "$qdir"/*.png; do mv "$f" "${f%.png}.plain"; done
cat >"$qdir/2014 TN Seed Whole Data_fence QC.txt" <<'EOF'
DayIndex,BeginMinute,Stationarity,Spikes,LongestGap,Coverage,QcFlag,QcReasons,SourceStrengthMedian,SourceStrengthLow,SourceStrengthHigh,SourceShareUstar,SourceShareZ0,SourceShareCanopy,SourceShareDirection,SourceShareMast
Day,Minute,%,count,s,%,,text,,,,%,%,%,%,%
15,313,5.1,0,0.1,100,0,,4.5,3.7,5.7,2.6,50.9,26,1,19.5
15,774,1885,0,0.1,100,2,steady-uw;steady-wts,0.93,0.7,1.23,29.9,38.7,17.8,0.6,13
15,1281,16,0,1200,82,2,gap,,,,,,,,
16,79,4,0,10,60,1,coverage;source-uncertain,1.28,0.2,2.5,80,10,5,0,5
16,741,2,13,0.1,100,2,spikes-u;spikes-w;coverage,2.4,1.8,3.2,2.1,54.8,24.5,0.4,18.2
16,1095,2,0,0.1,100,0,,1.9,1.5,2.5,3.6,54.5,16.4,1.3,24.2
EOF
printf 'TestCaseID,QcFlag\r\n,\r\n1,0\r\n1,2\r\n2,1\r\n2,0\r\n4,2\r\n' >"$qdir/2014 TN Pollen Test Cases_hill QC.txt"
plot_quietly "quality tables: " "$qwhole" "$qcases" "$qdir/2014 TN Seed Whole Data_fence QC.txt"
expect_line "  quality table: 2014 TN Seed Whole Data_fence QC.txt, 3 windows of flag 2 (hollow markers), flag 1 crossed, their reasons counted"
expect_line "  quality table: 2014 TN Pollen Test Cases_hill QC.txt, 2 windows of flag 2 (hollow markers), flag 1 crossed, their reasons counted"
expect_line "$qdir/2014 TN Seed Whole Data_fence QC.txt: quality table, marks the figures of 2014 TN Seed Whole Data_fence.txt"
check_png "$qdir/2014 TN Seed Whole Data_fence_series.png" 1100 1400
check_png "$qdir/2014 TN Seed Whole Data_fence_windrose.png" 800 800
check_png "$qdir/2014 TN Seed Whole Data_fence_source_ustar.png" 900 650
check_png "$qdir/2014 TN Pollen Test Cases_hill_series.png" 1100 1400
# The reasons counted: a bar each (coverage twice); a quality table without QcReasons gives the empty chart.
check_png "$qdir/2014 TN Seed Whole Data_fence_qc_reasons.png" 900 500
check_png "$qdir/2014 TN Pollen Test Cases_hill_qc_reasons.png" 900 500
# The interval: five of six cases have one; a quality table without its columns gives the empty chart.
check_png "$qdir/2014 TN Seed Whole Data_fence_source_interval.png" 1000 700
check_png "$qdir/2014 TN Pollen Test Cases_hill_source_interval.png" 1000 700
[ ! -e "$qdir/2014 TN Seed Whole Data_fence QC_series.png" ] || fail "a quality table was drawn as a table"
for stem in "2014 TN Seed Whole Data_fence_series" "2014 TN Seed Whole Data_fence_source_ustar" \
    "2014 TN Pollen Test Cases_hill_series"; do
  ! cmp -s "$qdir/$stem.png" "$qdir/$stem.plain" || fail "$stem: flag-2 windows left unmarked"
done

# A quality table that does not fit its table is reported; the figures are drawn without it.
printf 'TestCaseID,QcFlag\n,\n1,2\n' >"$qdir/2014 TN Pollen Test Cases_hill QC.txt"
printf 'TestCaseID,Flag\n,\n1,2\n' >"$qdir/2014 TN Seed Whole Data_fence QC.txt"
if "$plot" "$qwhole" "$qcases" >"$work/stdout" 2>"$work/stderr"; then
  fail "an unusable quality table left the exit status 0"
fi
grep -qF "Test Cases_hill QC.txt: 1 data rows, the table has 5; figures drawn without quality flags" "$work/stderr" ||
  fail "no message for a quality table of the wrong length"
grep -qF "Whole Data_fence QC.txt: no QcFlag column in its first row" "$work/stderr" ||
  fail "no message for a quality table without QcFlag"
check_png "$qdir/2014 TN Pollen Test Cases_hill_series.png" 1100 1400
check_png "$qdir/2014 TN Seed Whole Data_fence_series.png" 1100 1400

if [ "$failures" -ne 0 ]; then
  echo "$failures check(s) failed"
  exit 1
fi
echo "all figures drawn and checked"
