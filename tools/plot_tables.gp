# Draws the quick-look figures of one table prepared by plot_tables.awk. Run through
# tools/plot_tables.sh, which sets before this script:
#   workdir                         folder holding series.dat, rose.dat and settings.gp
#   out_series, out_rose, out_scatter  PNG files to write (the last two for whole-data tables only)
#   out_reasons                     PNG of the QcReasons counts (with a quality table only)
#   out_interval                    PNG of the source strength's interval and its drivers (the same)

load workdir.'/settings.gp'
series = workdir.'/series.dat'
rose = workdir.'/rose.dat'

# pngcairo draws smoother lines and text; the libgd png terminal is the fallback.
cairo = strstrt(GPVAL_TERMINALS, 'pngcairo') > 0
if (cairo) { set encoding utf8 }
png(w, h) = cairo \
    ? sprintf("set terminal pngcairo size %d,%d font 'Sans,10' noenhanced", w, h) \
    : sprintf("set terminal png size %d,%d noenhanced", w, h)

blue = '#1f4e9a'
red = '#c0392b'
grey = '#8c8c8c'
count(n, what) = sprintf('%d %s%s', n, what, n == 1 ? '' : 's')
axis_text(q) = qunit[q] eq '' ? qname[q] : qname[q].' ('.qunit[q].')'

# Quantities by name (q_<name> from settings.gp): their columns in series.dat.
qcol(q) = q + 2
# Windows of quality flag 2 are drawn with hollow markers, those of flag 1 crossed, the others as before.
filled(y) = (quality && column(flag_column) == 2) ? NaN : y
hollow(y) = (quality && column(flag_column) == 2) ? y : NaN
crossed(y) = (quality && column(flag_column) == 1) ? y : NaN
stability = 'column(stability_column)'
flag_note = quality ? sprintf("\nhollow markers: quality flag 2 (%d of %d); crossed: flag 1 (%d)", flagged, rows, flagged1) : ''

# Symmetric log scale for the Obukhov length: linear near 0, logarithmic in |L| beyond 1 m.
symlog(v) = v >= 0 ? log10(1 + v) : -log10(1 - v)

# An autoscaled range of a single value, or of none, gives gnuplot warnings; such ranges are set
# here instead.
pad(lo, hi) = hi > lo ? 0 : (lo == 0 ? 1 : abs(lo) * 0.1)

xmax = rows > 0 ? rows + 0.5 : 1.5
xtitle = kind eq 'test' ? 'sub-window (Date BeginTime)' : 'case (Date BeginTime)'

# ---------------------------------------------------------------- time series
eval png(1100, 1400)
set output out_series
if (kind eq 'test') {
    heading = sprintf("%s: test cases per sub-window, coloured by test case (%s of %s)%s", \
                      title, count(rows, 'sub-window'), count(cases, 'test case'), flag_note)
} else {
    heading = sprintf("%s: whole data per case (%s)%s", title, count(rows, 'case'), flag_note)
}
top = (kind eq 'test' ? 0.93 : 0.955) - (quality ? 0.015 : 0)
set multiplot layout nq,1 title heading font ',13' margins 0.105,0.955,0.12,top spacing 0,0.012
set xrange [0.5:xmax]
set x2range [0.5:xmax]
set grid xtics ytics lc rgb '#dcdcdc' lw 1 dt 1
unset key
set mxtics 1
# Keeps the extreme points off the frame of autoscaled panels.
set offsets 0, 0, graph 0.05, graph 0.05
# Test cases are parted by dotted lines in every panel.
if (kind eq 'test' && bounds ne '') {
    do for [i = 1:words(bounds)] {
        b = real(word(bounds, i))
        set arrow from b, graph 0 to b, graph 1 nohead dt 3 lc rgb grey back
    }
}

do for [q = 1:nq] {
    unset label
    unset object
    unset x2tics
    unset x2label
    unset xlabel
    set format y '%g'
    set ytics autofreq
    set autoscale y
    valid = rows - leftout[q]
    note = leftout[q] > 0 ? sprintf("\n[%d left out]", leftout[q]) : ''
    # The note's second line would run into the tic labels: the label moves left to make room.
    if (note eq '') { set ylabel axis_text(q) offset 0, 0 } else { set ylabel axis_text(q).note offset -1.5, 0 }
    if (q == 1 && kind eq 'test') {
        eval 'set x2tics nomirror scale 0 '.caselabels
        set x2label 'TestCaseID'
        set xtics nomirror
    }
    if (q == nq) {
        eval 'set xtics rotate by 60 right '.xlabels
        set format x '%g'
        set xlabel xtitle
    } else {
        set xtics 1, xstride format ''
    }
    if (valid == 0) {
        set yrange [0:1]
        set format y ''
        set label 1 'no valid values' at graph 0.5, graph 0.5 center
        plot NaN notitle
    } else {
        if (q == q_L) {
            # Stable (L > 0) above the zero line on blue, unstable (L < 0) below it on orange.
            set yrange [-ldecades - 0.1 : ldecades + 0.1]
            set ytics ('0' 0)
            # 1 m is left unlabelled: it sits too close to 0 on this scale.
            set ytics add ('' symlog(1), '' symlog(-1))
            do for [k = 1:ldecades] {
                set ytics add (sprintf('%.0f', 10**k) symlog(10**k), sprintf('-%.0f', 10**k) symlog(-10**k))
                do for [m = 2:9] { set ytics add ('' symlog(m * 10**(k - 1)) 1, '' symlog(-m * 10**(k - 1)) 1) }
            }
            set object 1 rect from graph 0, first 0 to graph 1, graph 1 fc rgb '#e6eefa' fs solid noborder behind
            set object 2 rect from graph 0, graph 0 to graph 1, first 0 fc rgb '#fbeadf' fs solid noborder behind
            # Outside the frame, where no point can hide them; the range is symmetric about 0.
            set label 2 'stable' at graph 1.015, graph 0.75 center rotate by 90 tc rgb blue
            set label 3 'unstable' at graph 1.015, graph 0.25 center rotate by 90 tc rgb red
            c = qcol(q_L)
            if (kind eq 'test') {
                plot series using 1:(symlog(column(c))):2 with lines lw 1.2 lc rgb variable, \
                     '' using 1:(@stability > 0 ? filled(symlog(column(c))) : NaN):2 with points pt 7 ps 0.9 lc rgb variable, \
                     '' using 1:(@stability < 0 ? filled(symlog(column(c))) : NaN):2 with points pt 9 ps 1.1 lc rgb variable, \
                     '' using 1:(@stability > 0 ? hollow(symlog(column(c))) : NaN):2 with points pt 6 ps 1.1 lw 1.5 lc rgb variable, \
                     '' using 1:(@stability < 0 ? hollow(symlog(column(c))) : NaN):2 with points pt 8 ps 1.3 lw 1.5 lc rgb variable, \
                     '' using 1:(crossed(symlog(column(c)))) with points pt 2 ps 0.9 lc rgb 'black'
            } else {
                plot series using 1:(symlog(column(c))) with lines lw 1.2 lc rgb grey, \
                     '' using 1:(@stability > 0 ? filled(symlog(column(c))) : NaN) with points pt 7 ps 1.1 lc rgb blue, \
                     '' using 1:(@stability < 0 ? filled(symlog(column(c))) : NaN) with points pt 9 ps 1.3 lc rgb red, \
                     '' using 1:(@stability > 0 ? hollow(symlog(column(c))) : NaN) with points pt 6 ps 1.3 lw 1.5 lc rgb blue, \
                     '' using 1:(@stability < 0 ? hollow(symlog(column(c))) : NaN) with points pt 8 ps 1.5 lw 1.5 lc rgb red, \
                     '' using 1:(crossed(symlog(column(c)))) with points pt 2 ps 1.0 lc rgb 'black'
            }
        } else {
            if (q == q_WindDirection) {
                set yrange [0:360]
                set ytics ('0 N' 0, '90 E' 90, '180 S' 180, '270 W' 270, '360 N' 360)
            } else {
                p = pad(qmin[q], qmax[q])
                if (p > 0) { set yrange [qmin[q] - p : qmax[q] + p] }
            }
            # Directions are drawn as points only: a line across north would wrap the axis.
            c = qcol(q)
            if (kind eq 'test') {
                if (q == q_WindDirection) {
                    plot series using 1:(filled(column(c))):2 with points pt 7 ps 0.9 lc rgb variable, \
                         '' using 1:(hollow(column(c))):2 with points pt 6 ps 1.1 lw 1.5 lc rgb variable, \
                         '' using 1:(crossed(column(c))) with points pt 2 ps 0.9 lc rgb 'black'
                } else {
                    plot series using 1:(column(c)):2 with lines lw 1.5 lc rgb variable, \
                         '' using 1:(filled(column(c))):2 with points pt 7 ps 0.8 lc rgb variable, \
                         '' using 1:(hollow(column(c))):2 with points pt 6 ps 1.0 lw 1.5 lc rgb variable, \
                         '' using 1:(crossed(column(c))) with points pt 2 ps 0.9 lc rgb 'black'
                }
            } else {
                if (q == q_WindDirection) {
                    plot series using 1:(filled(column(c))) with points pt 7 ps 1.1 lc rgb blue, \
                         '' using 1:(hollow(column(c))) with points pt 6 ps 1.3 lw 1.5 lc rgb blue, \
                         '' using 1:(crossed(column(c))) with points pt 2 ps 1.0 lc rgb 'black'
                } else {
                    plot series using 1:(column(c)) with lines lw 1.5 lc rgb blue, \
                         '' using 1:(filled(column(c))) with points pt 7 ps 0.9 lc rgb blue, \
                         '' using 1:(hollow(column(c))) with points pt 6 ps 1.1 lw 1.5 lc rgb blue, \
                         '' using 1:(crossed(column(c))) with points pt 2 ps 1.0 lc rgb 'black'
                }
            }
        }
    }
}
unset multiplot
set offsets
unset arrow
unset label
unset object
set xtics norotate
set autoscale xfix
set autoscale yfix

# ---------------------------------------------------------------- how sure the source strength is
if (quality) {
    eval png(1000, 700)
    set output out_interval
    set multiplot layout 2, 1 title sprintf("%s: source strength with its 95 %% interval (%s of %s)", title, \
        count(intervals, 'interval'), count(rows, kind eq 'test' ? 'sub-window' : 'case')) font ',12'
    set xrange [0.5 : xmax]
    eval 'set xtics '.xlabels
    set xtics rotate by 45 right font ',8'
    set grid ytics lc rgb '#dcdcdc'
    set ytics autofreq
    set format y '%g'
    set ylabel 'SourceStrength (Grains/m2/s)'
    set yrange [0:*]
    set key top left opaque
    if (intervals == 0) {
        set label 1 'no row has an interval (no quality columns, or -999 and short windows only)' \
            at graph 0.5, graph 0.5 center
        set yrange [0:1]
        plot NaN notitle
        unset label
    } else {
        plot workdir.'/interval.dat' using 1:5:3:4 with yerrorbars lc rgb blue pt 7 ps 0.6 \
                 title 'median, 2.5 to 97.5 %', \
             '' using 1:2 with points lc rgb red pt 2 ps 0.8 title 'table value'
    }
    set ylabel 'share of the variance (%)'
    set yrange [0:100]
    set style fill solid 0.85 border lc rgb '#404040'
    set boxwidth 0.8 relative
    set key outside right top vertical
    share(c) = column(c) == column(c) ? column(c) : 0
    stack(n) = sum [c = 6 : 5 + n] share(c)
    if (intervals == 0) {
        plot NaN notitle
    } else {
        plot workdir.'/interval.dat' using 1:(stack(5)) with boxes lc rgb '#9467bd' title 'mast', \
             '' using 1:(stack(4)) with boxes lc rgb '#17becf' title 'direction', \
             '' using 1:(stack(3)) with boxes lc rgb '#2ca02c' title 'canopy', \
             '' using 1:(stack(2)) with boxes lc rgb '#ff7f0e' title 'z0', \
             '' using 1:(stack(1)) with boxes lc rgb blue title 'ustar'
    }
    unset multiplot
    unset ylabel
    unset grid
    unset key
    set xtics norotate font ''
    set autoscale xfix
    set autoscale yfix
}

# ---------------------------------------------------------------- what raised the flags
if (quality) {
    eval png(900, 500)
    set output out_reasons
    set title sprintf("%s: what raised the quality flag (QcReasons of %s)", title, \
                      count(rows, kind eq 'test' ? 'sub-window' : 'case')) font ',12'
    set style fill solid 0.85 border lc rgb '#404040'
    set boxwidth 0.7
    set xtics rotate by 30 right scale 0
    set ytics autofreq
    set format y '%g'
    set ylabel 'windows'
    set grid ytics lc rgb '#dcdcdc'
    unset xlabel
    if (nreasons == 0) {
        set xrange [0:1]
        set yrange [0:1]
        set label 1 'no window has a reason: every flag is 0' at graph 0.5, graph 0.5 center
        plot NaN notitle
        unset label
    } else {
        set xrange [-0.6 : nreasons - 0.4]
        set yrange [0:*]
        set offsets 0, 0, graph 0.12, 0
        plot workdir.'/reasons.dat' using 0:2:xtic(1) with boxes lc rgb blue notitle, \
             '' using 0:2:(sprintf('%d', $2)) with labels offset 0, 0.8 notitle
        set offsets
    }
    unset title
    unset ylabel
    unset grid
    set xtics norotate
    set autoscale xfix
    set autoscale yfix
}

if (kind ne 'whole') { exit }

# ---------------------------------------------------------------- wind rose
eval png(800, 800)
set output out_rose
set title sprintf("%s: wind rose of %s, weighted by wind speed\n%s in 22.5 degree sectors, radius: share of the summed %s", \
                  title, count(rose_pairs, 'case'), qname[q_WindDirection], qname[q_WindSpeed]) font ',12'
unset xtics
unset ytics
unset mxtics
unset xlabel
unset ylabel
unset x2label
unset grid
unset border
set size ratio -1
set margins 2, 2, 2, 5
lim = rose_ring * 1.18
set xrange [-lim:lim]
set yrange [-lim:lim]
do for [r = rose_step:rose_ring:rose_step] {
    set object circle at 0, 0 size r fs empty border lc rgb '#a0a0a0' dt 2 front
    # Along 22.5 degrees, clear of the compass labels.
    set label sprintf('%g%%', r) at r * 0.3827, r * 0.9239 left offset 0.3, 0.4 tc rgb '#505050' front
}
do for [a = 0:315:45] {
    set arrow from 0, 0 to rose_ring * sin(a * pi / 180), rose_ring * cos(a * pi / 180) nohead lc rgb '#c8c8c8' dt 3 front
}
compass = 'N NE E SE S SW W NW'
do for [i = 1:8] {
    a = (i - 1) * 45 * pi / 180
    set label word(compass, i) at rose_ring * 1.09 * sin(a), rose_ring * 1.09 * cos(a) center font ',12'
}
if (rose_pairs == 0) {
    set label 'no valid values' at 0, 0 center front
}
set key outside right top vertical title 'WindSpeed' box
shades = '#08306b #2171b5 #6baed6 #bdd7e7 #eff3ff'
plot for [k = 1:5] rose index (k - 1) using 1:2 with filledcurves closed \
     fc rgb word(shades, k) fs solid border lc rgb '#404040' title rose_class[k]
unset object
unset label
unset arrow
unset key
unset title
set size noratio
set margins -1, -1, -1, -1
set autoscale

# ---------------------------------------------------------------- source strength against friction velocity
eval png(900, 650)
set output out_scatter
set title sprintf("%s: %s against %s (%s)", title, qname[q_SourceStrength], qname[q_UStar], \
                  count(stable_pairs + unstable_pairs + other_pairs, 'case')) font ',12'
set border
set xtics
set ytics
set grid xtics ytics lc rgb '#dcdcdc'
set xlabel axis_text(q_UStar)
set ylabel axis_text(q_SourceStrength)
set key default
# Beside the frame: inside it would hide points.
set key outside right top vertical box
if (stable_pairs + unstable_pairs + other_pairs == 0) {
    set xrange [0:1]
    set yrange [0:1]
    set label 'no valid values' at graph 0.5, graph 0.5 center
    plot NaN notitle
} else {
    p = pad(pxmin, pxmax)
    if (p > 0) { set xrange [pxmin - p : pxmax + p] }
    p = pad(pymin, pymax)
    if (p > 0) { set yrange [pymin - p : pymax + p] }
    set offsets graph 0.05, graph 0.05, graph 0.05, graph 0.05
    x = qcol(q_UStar)
    y = qcol(q_SourceStrength)
    flag_title = quality ? sprintf('quality flag 2 (hollow): %d', flagged_pairs) : ''
    # A neutral or unknown case is an open circle already; flagged, it is drawn larger.
    plot series using x:(@stability > 0 ? filled(column(y)) : NaN) with points pt 7 ps 1.4 lc rgb blue \
             title sprintf('stable (L > 0): %d', stable_pairs), \
         '' using x:(@stability < 0 ? filled(column(y)) : NaN) with points pt 9 ps 1.6 lc rgb red \
             title sprintf('unstable (L < 0): %d', unstable_pairs), \
         '' using x:(@stability == 0 ? filled(column(y)) : NaN) with points pt 6 ps 1.4 lc rgb grey \
             title sprintf('L left out or 0: %d', other_pairs), \
         '' using x:(@stability > 0 ? hollow(column(y)) : NaN) with points pt 6 ps 1.6 lw 1.5 lc rgb blue notitle, \
         '' using x:(@stability < 0 ? hollow(column(y)) : NaN) with points pt 8 ps 1.8 lw 1.5 lc rgb red notitle, \
         '' using x:(@stability == 0 ? hollow(column(y)) : NaN) with points pt 6 ps 2.0 lw 1.5 lc rgb grey notitle, \
         NaN with points pt 6 ps 1.6 lw 1.5 lc rgb 'black' title flag_title
}
