#!/usr/bin/env bash
# Writes the manual page of lorvex: its name and description from the README, the words that
# stand alone (--help, --version), and the usage text that `lorvex ?` prints.
#   make-manpage.sh LORVEX_BINARY README OUTPUT VERSION
set -euo pipefail
binary=$1 readme=$2 output=$3 version=$4
# The README's first paragraph after the title describes the program.
description=$(awk 'NR > 1 && /^$/ && started {exit} NR > 1 && !/^$/ {started=1; print}' "$readme" | tr '\n' ' ')
roff_escape() { sed -e 's/\\/\\e/g' -e 's/^\./\\\&./' -e "s/^'/\\\\\&'/" -e 's/^-/\\-/'; }
{
  echo ".TH LORVEX 1 \"\" \"lorvex $version\" \"User Commands\""
  echo ".SH NAME"
  echo "lorvex \\- account restrictions of Active Directory users, computers and groups"
  echo ".SH SYNOPSIS"
  echo ".B lorvex"
  echo "[entity] [restriction] [operator] [value] [options]"
  echo ".br"
  echo ".B lorvex"
  echo "\\-\\-help | \\-\\-version"
  echo ".SH DESCRIPTION"
  printf '%s\n' "$description" | roff_escape
  echo ".SH OPTIONS"
  echo "Options begin with / or \\-; the usage text below lists them all. Two words stand alone:"
  echo ".TP"
  echo ".B \\-\\-help"
  echo "Print the usage text (as \\fB?\\fR and \\fB/?\\fR do) and exit with 0, without reaching a directory."
  echo ".TP"
  echo ".B \\-\\-version"
  echo "Print the version and exit with 0, without reaching a directory."
  echo ".SH USAGE"
  echo ".nf"
  "$binary" '?' | roff_escape
  echo ".fi"
  echo ".SH SEE ALSO"
  echo "The README in /usr/share/doc/lorvex."
} >"$output"
