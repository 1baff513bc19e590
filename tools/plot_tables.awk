# Turns one whole-data or test-case table into plain data for tools/plot_tables.gp.
#
#   awk -v dir=WORKDIR -v name=TABLE_FILE_NAME -v path=TABLE [-v qcpath=QC_TABLE] -f plot_tables.awk TABLE
#
# The quantities drawn are listed once, in BEGIN (qlist); everything else follows that list.
# Writes into WORKDIR:
#   series.dat   one line per data row: x, colour (0xRRGGBB), one column per quantity in list
#                order, stability (1 stable, -1 unstable, 0 unknown), quality flag (0 without a
#                quality table); a left-out value is NaN; in a test-case table an empty line ends
#                each test case
#   rose.dat     wind-rose wedges (x, y), one gnuplot index per wind-speed class, fastest first
#   settings.gp  gnuplot variables: kind, title, the quantities (names, units, column numbers),
#                axis texts, counts, tic lists, rose scale, quality-flag counts
# and prints on standard output two lines: KIND ROWS QC FLAGGED (QC: none, used or unusable;
# FLAGGED: rows of quality flag 2), then "left out:" with the count of each quantity.
# A table that is neither kind, or lacks a needed column, is reported on standard error
# (exit status 2); so is an unusable quality table (the figures are then drawn without it).
#
# The quality table (QC_TABLE) has two header rows like the table, a QcFlag column (0, 1 or 2)
# found by name in the first, and one row per data row of the table, in the same order.
#
# Columns are looked up by name in the first header row: fence and hill whole-data tables have
# different widths. A value is left out when it is not a plain number (NaN, nan, -nan, inf, an empty
# field) or when it is the table's missing-value mark -999.

function trim(s) {
    gsub(/^[ \t]+|[ \t]+$/, "", s)
    return s
}

function gpquote(s) {
    gsub(/'/, "''", s)
    return "'" s "'"
}

# Text inside a double-quoted gnuplot string of a tic list.
function dquote(s) {
    gsub(/\\/, "\\\\", s)
    gsub(/"/, "\\\"", s)
    return "\"" s "\""
}

function present(s) {
    return s ~ /^[-+]?([0-9]+\.?[0-9]*|\.[0-9]+)([eE][-+]?[0-9]+)?$/ && s + 0 != -999
}

function fail(msg) {
    print path ": " msg > "/dev/stderr"
    failed = 1
    exit 2
}

function clock(t) {
    return (t ~ /^[0-9][0-9][0-9][0-9]$/) ? substr(t, 1, 2) ":" substr(t, 3, 2) : t
}

function log10(v) {
    return log(v) / log(10)
}

# The quality flags of the rows, from the quality table; qc_state "used" or "unusable".
function read_quality(   line, n, nf, f, i, flagcol, reasoncol, got, k, nr, r, c, ncols) {
    n = 0
    flagcol = 0
    reasoncol = 0
    # The source strength's interval and the inputs' shares, where the quality table has them.
    ncols = split("SourceStrengthLow SourceStrengthHigh SourceStrengthMedian SourceShareUstar SourceShareZ0 SourceShareCanopy SourceShareDirection SourceShareMast", icol_name, " ")
    while ((got = (getline line < qcpath)) > 0) {
        sub(/\r$/, "", line)
        n++
        if (n == 1) {
            nf = split(line, f, ",")
            for (i = 1; i <= nf; i++) {
                if (trim(f[i]) == "QcFlag") flagcol = i
                if (trim(f[i]) == "QcReasons") reasoncol = i
                for (c = 1; c <= ncols; c++) if (trim(f[i]) == icol_name[c]) icol[c] = i
            }
            if (!flagcol) return quality_fails("no QcFlag column in its first row")
            continue
        }
        if (n == 2 || line ~ /^[ \t]*$/) continue
        split(line, f, ",")
        qflag[++nflags] = trim(f[flagcol])
        # What raised the flag, counted per reason ("coverage;gap" counts for both).
        if (reasoncol) {
            nr = split(trim(f[reasoncol]), r, ";")
            for (k = 1; k <= nr; k++) if (r[k] != "") reason_count[r[k]]++
        }
        for (c = 1; c <= ncols; c++) ival[nflags, c] = (c in icol) ? trim(f[icol[c]]) : ""
    }
    ninterval_cols = ncols
    close(qcpath)
    if (got < 0) return quality_fails("cannot be read")
    qc_state = "used"
}

function quality_fails(msg) {
    print qcpath ": " msg "; figures drawn without quality flags" > "/dev/stderr"
    qc_state = "unusable"
}

BEGIN {
    FS = ","
    # The quantities drawn, in panel order: the one list of them.
    qlist = "SourceStrength UStar L WindSpeed WindDirection"
    nq = split(qlist, qname, " ")
    # Eight colours that stay apart on white; neighbouring test cases never share one.
    ncolours = split("0x1f77b4 0xd62728 0x2ca02c 0x9467bd 0xff7f0e 0x17becf 0x8c564b 0xe377c2", colour, " ")
    # Wind-speed classes of the rose (m/s): lower bounds.
    nclass = split("0 1 2 3 5", cbound, " ")
    nsector = 16
    rows = 0
    cases = 0
    maxsl = 0
    pairs = 0
    total = 0
    series = dir "/series.dat"
    printf "" > series
    qc_state = "none"
    nflags = 0
    if (qcpath != "") read_quality()
}

{ sub(/\r$/, "") }

NR == 1 {
    for (i = 1; i <= NF; i++) {
        n = trim($i)
        if (n != "" && !(n in col)) col[n] = i
    }
    if ("TestCaseID" in col) kind = "test"
    else if ("DayIndex" in col && "SourceStrength" in col) kind = "whole"
    else fail("not a whole-data or test-case table (no TestCaseID or DayIndex column in the first row)")
    need = "Date BeginTime " qlist
    nn = split(need, needed, " ")
    for (i = 1; i <= nn; i++)
        if (!(needed[i] in col)) fail("no " needed[i] " column in the first row")
    next
}

NR == 2 {
    for (q = 1; q <= nq; q++) unit[qname[q]] = trim($(col[qname[q]]))
    next
}

/^[ \t]*$/ { next }

{
    rows++
    x = rows
    if (kind == "test") {
        id = trim($(col["TestCaseID"]))
        if (cases == 0 || id != case_id[cases]) {
            if (cases > 0) print "" > series
            cases++
            case_id[cases] = id
            case_first[cases] = x
        }
        case_last[cases] = x
        c = colour[(cases - 1) % ncolours + 1]
    } else {
        c = colour[1]
    }
    label[x] = trim($(col["Date"])) " " clock(trim($(col["BeginTime"])))

    line = x " " c
    for (q = 1; q <= nq; q++) {
        n = qname[q]
        v = trim($(col[n]))
        ok[n] = present(v)
        if (ok[n]) {
            value[n] = v + 0
            if (!(n in qmin) || value[n] < qmin[n]) qmin[n] = value[n]
            if (!(n in qmax) || value[n] > qmax[n]) qmax[n] = value[n]
            line = line " " v
        } else {
            left[n]++
            line = line " NaN"
        }
    }
    stability = 0
    if (ok["L"]) {
        l = value["L"]
        stability = (l > 0) ? 1 : (l < 0) ? -1 : 0
        sl = log10(1 + (l < 0 ? -l : l))
        if (sl > maxsl) maxsl = sl
    }
    flag = (qc_state == "used" && qflag[rows] ~ /^[0-9]+$/) ? qflag[rows] + 0 : 0
    if (flag == 2) flagged++
    if (flag == 1) flagged1++
    if (ok["UStar"] && ok["SourceStrength"]) {
        if (npairs == 0 || value["UStar"] < pxmin) pxmin = value["UStar"]
        if (npairs == 0 || value["UStar"] > pxmax) pxmax = value["UStar"]
        if (npairs == 0 || value["SourceStrength"] < pymin) pymin = value["SourceStrength"]
        if (npairs == 0 || value["SourceStrength"] > pymax) pymax = value["SourceStrength"]
        npairs++
        if (stability > 0) stable_pairs++
        else if (stability < 0) unstable_pairs++
        else other_pairs++
        if (flag == 2) flagged_pairs++
    }
    print line " " stability " " flag > series
    source_value[rows] = ok["SourceStrength"] ? value["SourceStrength"] : "NaN"

    # Rose: speed-weighted counts per direction sector and speed class.
    if (ok["WindSpeed"] && ok["WindDirection"] && value["WindSpeed"] >= 0) {
        d = value["WindDirection"] % 360
        if (d < 0) d += 360
        s = int((d + 180 / nsector) / (360 / nsector)) % nsector
        k = 1
        for (j = 2; j <= nclass; j++) if (value["WindSpeed"] >= cbound[j]) k = j
        weight[s, k] += value["WindSpeed"]
        total += value["WindSpeed"]
        pairs++
    }
}

END {
    if (failed) exit 2
    if (kind == "") fail("empty file, no header row")
    close(series)
    if (qc_state == "used" && nflags != rows) {
        quality_fails(nflags " data rows, the table has " rows)
        flagged = 0
        flagged_pairs = 0
    }

    # Rose wedges: radius is the cumulative share (%) of the summed wind speed, slowest class
    # innermost; the outermost class is written first so that inner wedges are drawn over it.
    rose = dir "/rose.dat"
    printf "" > rose
    rmax = 0
    for (s = 0; s < nsector; s++) {
        cum = 0
        for (k = 1; k <= nclass; k++) {
            cum += (total > 0) ? 100 * weight[s, k] / total : 0
            share[s, k] = cum
        }
        if (cum > rmax) rmax = cum
    }
    pi = atan2(0, -1)
    half = 180 / nsector - 0.75
    for (k = nclass; k >= 1; k--) {
        if (k < nclass) printf "\n\n" > rose
        # A zero-area wedge keeps every class index present for the key.
        print "0 0" > rose
        for (s = 0; s < nsector; s++) {
            r = share[s, k]
            if (r <= 0) continue
            printf "\n0 0\n" > rose
            centre = s * 360 / nsector
            for (j = 0; j <= 8; j++) {
                a = (centre - half + j * 2 * half / 8) * pi / 180
                printf "%.5f %.5f\n", r * sin(a), r * cos(a) > rose
            }
            print "0 0" > rose
        }
    }
    close(rose)
    step = 1
    nsteps = split("1 2 5 10 20 25 50", steps, " ")
    for (j = 1; j <= nsteps; j++) {
        step = steps[j]
        if (rmax / step <= 5) break
    }
    ring = (rmax > 0) ? step * int((rmax + step - 1e-9) / step) : step
    if (ring < rmax) ring += step

    # Title from the file name: "2014 TN Seed Whole Data_fence.txt" and the like, whatever the
    # campaign calls its fields: the name after the last "_" is the field's.
    lname = tolower(name)
    field = ""
    if (match(name, /_[^_\/]+$/)) {
        field = substr(name, RSTART + 1, RLENGTH - 1)
        sub(/ QC$/, "", field)
        sub(/\.[^.]*$/, "", field)
        if (field != "") field = toupper(substr(field, 1, 1)) substr(field, 2) " field"
    }
    material = (lname ~ /seed/) ? "seed" : (lname ~ /pollen/) ? "pollen" : ""
    year = ""
    if (match(name, /(^|[^0-9])(19|20)[0-9][0-9]([^0-9]|$)/)) {
        year = substr(name, RSTART, RLENGTH)
        gsub(/[^0-9]/, "", year)
    }
    if (field != "") {
        title = field (material != "" ? ", " material : "")
        if (year != "") title = title " (" year ")"
    } else {
        title = name
    }

    # At most about 40 date labels on the x axis.
    stride = int((rows + 39) / 40)
    if (stride < 1) stride = 1
    xlabels = ""
    for (x = 1; x <= rows; x += stride)
        xlabels = xlabels (xlabels == "" ? "" : ", ") dquote(label[x]) " " x
    cstride = int((cases + 39) / 40)
    if (cstride < 1) cstride = 1
    caselabels = ""
    bounds = ""
    for (k = 1; k <= cases; k++) {
        if ((k - 1) % cstride == 0)
            caselabels = caselabels (caselabels == "" ? "" : ", ") \
                dquote(case_id[k]) " " (case_first[k] + case_last[k]) / 2
        if (k > 1) bounds = bounds (bounds == "" ? "" : " ") (case_first[k] - 0.5)
    }

    settings = dir "/settings.gp"
    print "kind = " gpquote(kind) > settings
    print "title = " gpquote(title) > settings
    print "rows = " rows > settings
    print "cases = " cases > settings
    print "nq = " nq > settings
    print "array qname[" nq "]" > settings
    print "array qunit[" nq "]" > settings
    print "array leftout[" nq "]" > settings
    print "array qmin[" nq "]" > settings
    print "array qmax[" nq "]" > settings
    for (q = 1; q <= nq; q++) {
        n = qname[q]
        # q_<name>: the quantity's number; its column in series.dat is q + 2.
        print "q_" n " = " q > settings
        print "qname[" q "] = " gpquote(n) > settings
        print "qunit[" q "] = " gpquote(unit[n]) > settings
        print "leftout[" q "] = " (left[n] + 0) > settings
        if (n in qmin) print "qmin[" q "] = " qmin[n] "; qmax[" q "] = " qmax[n] > settings
    }
    print "stability_column = " (nq + 3) > settings
    print "flag_column = " (nq + 4) > settings
    print "quality = " (qc_state == "used" ? 1 : 0) > settings
    print "flagged = " (flagged + 0) > settings
    print "flagged1 = " (flagged1 + 0) > settings
    # The reasons in the order the quality table lists them; those no window has are left out.
    nknown = split("no-samples foreign invalid steady-not-run coverage gap spikes-u spikes-v spikes-w spikes-ts steady-uw steady-wts itc source-uncertain not-assessed", known, " ")
    nreasons = 0
    printf "" > (dir "/reasons.dat")
    for (k = 1; k <= nknown; k++) {
        if (!(known[k] in reason_count)) continue
        print known[k] " " reason_count[known[k]] > (dir "/reasons.dat")  # names without blanks: no quotes
        nreasons++
    }
    close(dir "/reasons.dat")
    print "nreasons = " nreasons > settings
    # interval.dat: x, the table's value, low, high, median, the five shares (NaN where empty).
    intervals = 0
    printf "" > (dir "/interval.dat")
    if (qc_state == "used") {
        for (x = 1; x <= rows; x++) {
            line = x " " source_value[x]
            for (c = 1; c <= ninterval_cols; c++) line = line " " (present(ival[x, c]) ? ival[x, c] : "NaN")
            if (present(ival[x, 1])) intervals++
            print line > (dir "/interval.dat")
        }
    }
    close(dir "/interval.dat")
    print "intervals = " intervals > settings
    print "flagged_pairs = " (flagged_pairs + 0) > settings
    print "xlabels = " gpquote("(" xlabels ")") > settings
    print "caselabels = " gpquote("(" caselabels ")") > settings
    print "bounds = " gpquote(bounds) > settings
    print "ldecades = " ((maxsl > 0) ? int(maxsl + 0.999999) : 1) > settings
    print "xstride = " stride > settings
    if (npairs > 0)
        print "pxmin = " pxmin "; pxmax = " pxmax "; pymin = " pymin "; pymax = " pymax > settings
    print "stable_pairs = " (stable_pairs + 0) > settings
    print "unstable_pairs = " (unstable_pairs + 0) > settings
    print "other_pairs = " (other_pairs + 0) > settings
    print "rose_pairs = " pairs > settings
    print "rose_ring = " ring > settings
    print "rose_step = " step > settings
    print "array rose_class[" nclass "]" > settings
    for (k = nclass; k >= 1; k--) {
        t = (k == nclass) ? (">= " cbound[k] " m/s") : (cbound[k] "-" cbound[k + 1] " m/s")
        if (k == 1) t = "< " cbound[2] " m/s"
        print "rose_class[" (nclass - k + 1) "] = " gpquote(t) > settings
    }
    close(settings)

    printf "%s %d %s %d\n", kind, rows, qc_state, flagged
    printf "  left out:"
    for (q = 1; q <= nq; q++) printf " %s %d%s", qname[q], left[qname[q]], (q < nq ? "," : "")
    printf "\n"
}
