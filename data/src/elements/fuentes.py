"""The element properties of the plain sources beside this file
(exabyte.tsv, pymatgen.tsv, alvarez2008.tsv, bodr.tsv; their headers name
origin and licence) and the rule that chooses among them, with the choices
of decisiones.tsv. Shared by make_element_data.py, which writes the table,
and by the test that cross-checks the sources against the shipped table.
"""

import os
import re

HERE = os.path.dirname(os.path.abspath(__file__))

FIELDS = ("fusion", "evaporation", "conductivity", "covalent")
# The column of each field in a line of tablaper.tab (0-based), and its unit
# as the element window writes it.
TABLE_COLUMN = {"fusion": 17, "evaporation": 18, "conductivity": 22, "covalent": 10}
UNIT = {"fusion": "kJ/mol", "evaporation": "kJ/mol", "conductivity": "W/(m K)", "covalent": "Å"}
# Which sources give a field, in the order the rule tries them, and the
# factor from the source's unit to the table's.
SOURCES = {
    "fusion": [("exabyte", "fusion_heat", 1)],
    "evaporation": [("exabyte", "evaporation_heat", 1)],
    "conductivity": [("pymatgen", "thermal_conductivity", 1), ("exabyte", "thermal_conductivity", 1)],
    "covalent": [("alvarez2008", "covalent_radius", 1), ("bodr", "covalent_radius", 1),
                 ("exabyte", "covalent_radius_pm", 0.01)],
}
# Plausible bounds of a heat over R times its temperature (Richards' and
# Trouton's rules, generously).
R_KJ = 8.314462618e-3
PLAUSIBLE = {"fusion": (0.3, 5.0), "evaporation": (4.0, 20.0)}

_NUMBER = re.compile(r"[0-9]+(?:\.[0-9]*)?(?:[eE][-+]?[0-9]+)?")


def number(text):
    """A source's text as a number: "9.2 (H-H)" is 9.2, "~340" is 340,
    "(10)" is 10; an empty text, "-" or "n/a" is None (not known), and so is 0."""
    text = (text or "").strip()
    m = _NUMBER.search(text)
    if not m:
        return None
    v = float(m.group(0))
    return v if v > 0 else None


def read_tsv(name):
    """The rows of a plain source as dictionaries of its header's columns."""
    rows = []
    header = None
    with open(os.path.join(HERE, name), encoding="utf-8") as f:
        for line in f:
            line = line.rstrip("\n")
            if not line or line.startswith("#"):
                continue
            cells = line.split("\t")
            if header is None:
                header = cells
                continue
            cells += [""] * (len(header) - len(cells))
            rows.append(dict(zip(header, cells)))
    return rows


class Sources:
    def __init__(self):
        self.tables = {}
        for name in ("exabyte", "pymatgen", "alvarez2008", "bodr"):
            self.tables[name] = {int(r["Z"]): r for r in read_tsv(name + ".tsv")}
        self.decisions = {}
        for r in read_tsv("decisiones.tsv"):
            assert r["field"] in FIELDS, r
            self.decisions[(int(r["Z"]), r["field"])] = (r["value"], r["reason"])

    def values(self, z, field):
        """[(source, value in the table's unit)] of every source that knows it."""
        out = []
        for source, column, factor in SOURCES[field]:
            row = self.tables[source].get(z)
            v = number(row.get(column)) if row else None
            if v is not None:
                out.append((source, v * factor))
        return out

    def ruled(self, z, field):
        """The first source's value (None when no source knows it)."""
        vs = self.values(z, field)
        return vs[0][1] if vs else None

    def chosen(self, z, field):
        """The value the table takes: the decision's, else the rule's; None
        for not known."""
        d = self.decisions.get((z, field))
        if d and d[0] != "keep":
            v = float(d[0])
            return v if v > 0 else None
        return self.ruled(z, field)

    def plausibility(self, field, value, melting, boiling):
        """A heat over R times its temperature; None when it cannot be said."""
        t = melting if field == "fusion" else boiling
        if field not in PLAUSIBLE or not value or not t:
            return None
        return value / (R_KJ * t)
