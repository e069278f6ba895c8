#!/usr/bin/env python3
"""The heats of fusion and vaporisation, thermal conductivities and covalent
radii of the shipped tablaper.tab against the plain sources they were chosen
from (data/src/elements: exabyte.tsv, pymatgen.tsv, alvarez2008.tsv,
bodr.tsv, decisiones.tsv).

Lists every element where two sources differ by more than 5 % and the value
the table took. Fails when the table does not hold what its sources and the
choices give (a table not made again after a source changed), when fewer
elements than promised are known, when a heat is implausible by Richards'
or Trouton's rule and no choice in decisiones.tsv speaks for it, or when a
choice names an element or field that does not exist.

    check_element_sources.py TABLAPER.TAB SOURCES_FOLDER
"""

import sys

sys.dont_write_bytecode = True   # nothing written beside the scripts
from datacheck import finish  # noqa: E402

# Elements known at least, per field (the heat of fusion: every value the
# sources give for the elements of the table but francium's).
AT_LEAST = {"fusion": 74, "evaporation": 75, "conductivity": 75, "covalent": 95}
MELTING, BOILING = 11, 12   # columns of tablaper.tab


def read_table(path):
    with open(path, "rb") as f:
        text = f.read().decode("cp1252")
    lines = text.split("\r\n")
    rows = {}
    for line in lines[1:]:
        if line:
            cells = line.split("\t")
            rows[int(cells[0])] = cells
    return rows


def main():
    table_path, sources_folder = sys.argv[1], sys.argv[2]
    sys.path.insert(0, sources_folder)
    from fuentes import FIELDS, PLAUSIBLE, TABLE_COLUMN, UNIT, Sources, number

    sources = Sources()
    table = read_table(table_path)
    failures = []
    listed = []
    # The sources' texts as numbers: per mole of molecules, estimates, not known.
    for text, want in (("9.2 (H-H)", 9.2), ("~340", 340.0), ("(10.5)", 10.5), ("0.0035", 0.0035), ("2E-3", 0.002),
                       ("-", None), ("n/a", None), ("", None), ("0", None)):
        if number(text) != want:
            failures.append("the source text %r reads as %r, not %r" % (text, number(text), want))
    for (z, field) in sources.decisions:
        if z not in table or field not in FIELDS:
            failures.append("decisiones.tsv names element %d, field %s" % (z, field))
    for field in FIELDS:
        known = 0
        for z in sorted(table):
            if z > 118:
                continue
            cells = table[z]
            value = float(cells[TABLE_COLUMN[field]])
            if value > 0:
                known += 1
            want = sources.chosen(z, field) or 0.0
            if abs(value - want) > 1e-6 * max(abs(want), 1e-12):
                failures.append("%s %s: the table holds %g, its sources give %g" % (cells[1], field, value, want))
            values = sources.values(z, field)
            decision = sources.decisions.get((z, field))
            if len(values) >= 2:
                low = min(v for _, v in values)
                high = max(v for _, v in values)
                if high > low * 1.05:
                    listed.append("%3d %-2s %-12s %s -> %g %s%s" % (
                        z, cells[1], field, ", ".join("%s %g" % (s, v) for s, v in values), value, UNIT[field],
                        " (%s)" % decision[1] if decision else ""))
            elif decision and decision[0] != "keep":
                listed.append("%3d %-2s %-12s %s -> %g %s (%s)" % (
                    z, cells[1], field, ", ".join("%s %g" % (s, v) for s, v in values) or "no source", value,
                    UNIT[field], decision[1]))
            if field in PLAUSIBLE and value > 0:
                ratio = sources.plausibility(field, value, float(cells[MELTING]), float(cells[BOILING]))
                low, high = PLAUSIBLE[field]
                if ratio is not None and not low <= ratio <= high and not decision:
                    failures.append("%s %s %g %s: %.2f times R T, outside %g to %g, and no choice speaks for it"
                                    % (cells[1], field, value, UNIT[field], ratio, low, high))
        print("%s: %d elements known" % (field, known))
        if known < AT_LEAST[field]:
            failures.append("%s: only %d elements known, at least %d promised" % (field, known, AT_LEAST[field]))
    return finish("Sources that differ by more than 5 %, or a value chosen against the rule"
                  " (Z, field, sources -> table):", listed, failures)


if __name__ == "__main__":
    sys.exit(main())
