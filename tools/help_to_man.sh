#!/usr/bin/env bash
# help_to_man.sh PROGRAM NAME VERSION [DESCRIPTION]: a manual page (roff, section 1) made from the program's
# own --help text, so that the two cannot drift apart: its first line the description, the
# "Usage:" line the synopsis, the options as the help lays them out, the rest as notes.
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
NR == 1 && !/^usage:/ { description = $0; next }
/^[Uu]sage:/ { sub(/^[Uu]sage: */, ""); synopsis = $0; section = "usage"; next }
section == "usage" && /^          / { sub(/^ +/, ""); synopsis = synopsis " " $0; next }
/^Options:/ { section = "options"; next }
section == "usage" && /^  -/ { section = "options" }
section == "options" && /^$/ { section = "notes"; next }
section == "options" { options[++no] = $0; next }
section != "" && section != "usage" { notes[++nn] = $0 }
section == "usage" && /^$/ { section = "options" }
END {
    print ".TH " toupper(name) " 1 \"\" \"" name " " version "\" \"User Commands\""
    print ".SH NAME"
    print name " \\- " roff(description != "" ? description : summary)
    print ".SH SYNOPSIS"
    print ".B " roff(synopsis)
    print ".SH OPTIONS"
    print ".nf"
    for (i = 1; i <= no; i++) print roff(options[i])
    print ".fi"
    if (nn > 0) {
        print ".SH NOTES"
        print ".nf"
        for (i = 1; i <= nn; i++) print roff(notes[i])
        print ".fi"
    }
    print ".SH SEE ALSO"
    print "The README of the package (/usr/share/doc/fielddata/README.md)."
}'
