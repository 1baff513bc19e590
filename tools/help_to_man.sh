#!/usr/bin/env bash
# help_to_man.sh PROGRAM NAME VERSION [DESCRIPTION]: a manual page (roff, section 1) made from
# the program's own --help text, so that the two cannot drift apart. Two layouts are read: the
# programs' ("NAME: what it does", a "Usage:" block, then the options in groups and the notes)
# and the generator's ("usage: NAME ..." with its continuation lines, then the options).
set -euo pipefail
program=$1
name=$2
version=$3
summary=${4:-}
"$program" --help | awk -v name="$name" -v version="$version" -v summary="$summary" '
function roff(s) {
    gsub(/\\/, "\\e", s)                  # backslashes as roff prints them
    if (s ~ /^[.'\'']/) s = "\\&" s        # a leading dot or quote is no request
    return s
}
NR == 1 && index($0, name ": ") == 1 { description = substr($0, length(name) + 3); next }
/^Usage:$/ { part = "synopsis"; next }
/^usage: / { sub(/^usage: */, ""); synopsis[++ns] = $0; part = "continued"; next }
part == "continued" && /^          / { sub(/^ +/, ""); synopsis[ns] = synopsis[ns] " " $0; next }
part == "continued" { part = "body" }
part == "synopsis" && /^$/ { part = "body"; next }
part == "synopsis" { sub(/^ +/, ""); synopsis[++ns] = $0; next }
part == "body" || (part == "" && NR > 1) { body[++nb] = $0 }
END {
    print ".TH " toupper(name) " 1 \"\" \"" name " " version "\" \"User Commands\""
    print ".SH NAME"
    print name " \\- " roff(description != "" ? description : summary)
    print ".SH SYNOPSIS"
    print ".nf"
    for (i = 1; i <= ns; i++) print roff(synopsis[i])
    print ".fi"
    print ".SH OPTIONS"
    print ".nf"
    for (i = 1; i <= nb; i++) print roff(body[i])
    print ".fi"
    print ".SH SEE ALSO"
    print "The README of the package (/usr/share/doc/fielddata/README.md)."
}'
