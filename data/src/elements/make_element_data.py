#!/usr/bin/env python3
"""Makes the element sources data/src/quim.txt and data/src/tablaper.txt.

Run at development time, when the element data should change; the two
outputs are kept in the repository and the build turns them into quim.ini
and tablaper.tab (data/CMakeLists.txt).

    python3 data/src/elements/make_element_data.py \
        --bodr /usr/share/bodr \
        --periodictable /usr/lib/python3/dist-packages

Sources:
  * Debian package "bodr" (Blue Obelisk Data Repository, release 10; licence
    MIT/Expat): elements.xml (masses, Pauling electronegativity, covalent and
    van der Waals radii, melting and boiling points, discovery years, period,
    group, family, electron configuration) and isotopes.xml (natural
    abundances).
  * Debian package "python3-periodictable" (1.6.0; public domain): densities
    (gaseous elements: the liquid at its boiling point), crystal structures
    and the common oxidation states.
  * data/src/elements/nombres.txt: the Spanish names, written for this program.
  * The plain sources beside this script, made by extract_sources.py, each
    with its origin and licence in its header, chosen among by fuentes.py
    and decisiones.tsv: heats of fusion and vaporisation (kJ/mol) from the
    npm package @exabyte-io/periodic-table.js (Apache-2.0); thermal
    conductivity (W/(m K)) from python3-pymatgen (MIT), else the npm
    package; covalent radius (angstrom) from Alvarez 2008 as transcribed in
    python3-qcelemental (BSD-3-Clause), else bodr, else the npm package.

Every value no source gives is 0 ("not known"). The atomic radius is the van
der Waals radius, in picometres.
"""

import argparse
import os
import sys
import xml.etree.ElementTree as ET

sys.dont_write_bytecode = True   # nothing written beside the sources
from fuentes import Sources

NS = {"c": "http://www.xml-cml.org/schema"}
HERE = os.path.dirname(os.path.abspath(__file__))
SRC = os.path.dirname(HERE)
COUNT = 121          # slots of the table
KNOWN = 118          # elements with data

FAMILY_TYPE = {
    "Non-Metal": 1, "Noblegas": 2, "Alkali_Earth": 3, "Alkaline_Earth": 4,
    "Metalloids": 5, "Halogen": 6, "Other_Metal": 7, "Transition": 8,
    "Rare_Earth": 9,
}
STRUCTURE = {
    "hcp": 1, "Cubic": 2, "SC": 2, "Diamond": 2, "fcc": 3, "BCC": 4,
    "Tetragonal": 5, "Orthorhombic": 6, "Rhombohedral": 7, "Monoclinic": 8,
}
# The elements that are not yet known: their place in the table only.
PLACEHOLDERS = {119: ("Uue", 8, 1, 3), 120: ("Ubn", 8, 2, 4), 121: ("Ubu", 8, 3, 11)}
NOBLE = {"He": "1s2", "Ne": "[He] 2s2 2p6", "Ar": "[Ne] 3s2 3p6", "Kr": "[Ar] 3d10 4s2 4p6",
         "Xe": "[Kr] 4d10 5s2 5p6", "Rn": "[Xe] 4f14 5d10 6s2 6p6"}

# Symbols given after that release of bodr (IUPAC, 2016).
NEW_SYMBOLS = {113: "Nh", 115: "Mc", 117: "Ts", 118: "Og"}
# Configurations bodr gives incompletely.
CONFIGURATION_FIXES = {41: "[Kr] 4d4 5s1"}
# Where each period starts.
PERIOD_START = [(1, 1), (3, 2), (11, 3), (19, 4), (37, 5), (55, 6), (87, 7)]


def group_of(z):
    """The group 1 to 18 of element z; 0 for the lanthanides and actinides
    after the first (they have none of their own)."""
    start, period = max(p for p in PERIOD_START if p[0] <= z)
    k = z - start  # 0-based place in the period
    if period == 1:
        return 1 if z == 1 else 18
    if period in (2, 3):
        return k + 1 if k < 2 else k + 11
    if period in (4, 5):
        return k + 1
    if k < 3:
        return k + 1
    if k < 17:
        return 0
    return k - 13


HEADER = ["Z", "Símbolo", "Nombre", "Tipo", "Masa", "Estados de oxidación", "Electronegatividad x 10",
          "Configuración", "Electrones por capa", "Estructura cristalina", "Radio covalente (Å)",
          "Punto de fusión (K)", "Punto de ebullición (K)", "Densidad (g/cm3)", "Periodo", "Grupo",
          "Año de descubrimiento", "Calor de fusión (kJ/mol)", "Calor de vaporización (kJ/mol)",
          "Isótopos (masa,abundancia %)", "Isótopos naturales", "Radio atómico (pm)",
          "Conductividad térmica (W/m.K)"]


def num(text):
    """A number as the file writes it: the source's digits, no exponent surprises."""
    if text is None:
        return "0"
    v = float(text)
    if v == 0:
        return "0"
    s = repr(round(v, 6))
    return s[:-2] if s.endswith(".0") else s


def read_bodr(folder):
    root = ET.parse(os.path.join(folder, "elements.xml")).getroot()
    out = {}
    for atom in root.findall("c:atom", NS):
        d = {s.get("dictRef"): (s.text or "").strip() for s in atom.findall("c:scalar", NS)}
        labels = {l.get("dictRef"): l.get("value") for l in atom.findall("c:label", NS)}
        z = int(d["bo:atomicNumber"])
        if 1 <= z <= KNOWN:
            d["symbol"] = labels["bo:symbol"]
            out[z] = d
    isotopes = {}
    root = ET.parse(os.path.join(folder, "isotopes.xml")).getroot()
    for iso in root.iter("{%s}isotope" % NS["c"]):
        d = {s.get("dictRef"): (s.text or "").strip() for s in iso.findall("c:scalar", NS)}
        if "bo:relativeAbundance" in d and float(d["bo:relativeAbundance"]) > 0:
            z = int(d["bo:atomicNumber"])
            isotopes.setdefault(z, []).append((int(iso.get("number")), d["bo:relativeAbundance"]))
    return out, isotopes


def configuration(text):
    """"Ar 3d6 4s2" as "[Ar] 3d6 4s2"."""
    parts = text.split()
    if parts and parts[0] in NOBLE:
        parts[0] = "[%s]" % parts[0]
    return " ".join(parts)


def shells(conf):
    """Electrons per shell from a configuration, the noble-gas core expanded."""
    counts = {}
    todo = [conf]
    while todo:
        for part in todo.pop().split():
            if part.startswith("["):
                todo.append(NOBLE[part[1:-1]])
                continue
            n = int(part[0])
            counts[n] = counts.get(n, 0) + int(part[2:])
    return [counts[n] for n in sorted(counts)]


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--bodr", default="/usr/share/bodr")
    ap.add_argument("--periodictable", default="/usr/lib/python3/dist-packages")
    args = ap.parse_args()
    sys.path.insert(0, args.periodictable)
    import periodictable
    from periodictable import core as ptcore

    bodr, isotopes = read_bodr(args.bodr)
    sources = Sources()

    def chosen(z, field):
        v = sources.chosen(z, field)
        return num(v) if v is not None else "0"

    names = {}
    with open(os.path.join(HERE, "nombres.txt"), encoding="utf-8") as f:
        for line in f:
            if line.strip() and not line.startswith("#"):
                z, name = line.rstrip("\n").split("\t")
                names[int(z)] = name

    masses = ["[MASAS]"]
    rows = []
    for z in range(1, COUNT + 1):
        name = names[z]
        assert len(name) <= 12, name
        if z in PLACEHOLDERS:
            symbol, period, group, kind = PLACEHOLDERS[z]
            f = [str(z), symbol, name, str(kind)] + ["0"] * 19
            f[14], f[15] = str(period), str(group)
            f[7] = ""
            f[19] = ""
            rows.append(f)
            continue
        d = bodr[z]
        symbol = NEW_SYMBOLS.get(z, d["symbol"])
        el = periodictable.elements[z]
        mass = d["bo:mass"]
        masses.append("%s_%s=%s" % (symbol, name, mass))
        kind = FAMILY_TYPE.get(d.get("bo:family"), 0)
        if 57 <= z <= 71:
            kind = 9
        elif 89 <= z <= 103:
            kind = 10
        ions = [i for i in ptcore.element_base[z][2] if i != 0][:7]
        en = d.get("bo:electronegativityPauling")
        conf = CONFIGURATION_FIXES.get(z) or configuration(d.get("bo:electronicConfiguration", ""))
        assert len(conf) <= 22, conf
        structure = 0
        cs = getattr(el, "crystal_structure", None)
        if cs:
            structure = STRUCTURE.get(cs.get("symmetry"), 0)
        iso = sorted(isotopes.get(z, []))
        iso_text = ",".join("%d,%s" % (a, num(b)) for a, b in iso[:10])
        vdw = d.get("bo:radiusVDW")
        year = d.get("bo:discoveryDate", "0")
        rows.append([
            str(z), symbol, name, str(kind), mass,
            ",".join(str(i) for i in ions) or "0",
            str(int(round(float(en) * 10))) if en else "0",
            conf,
            ",".join(str(n) for n in shells(conf)) if conf else "0",
            str(structure),
            chosen(z, "covalent"),
            num(d.get("bo:meltingpoint")),
            num(d.get("bo:boilingpoint")),
            num(el.density),
            d.get("bo:period", "0"),
            str(group_of(z)),
            year if year.isdigit() else "0",
            chosen(z, "fusion"), chosen(z, "evaporation"),
            iso_text,
            str(len(iso)),
            num(float(vdw) * 100) if vdw else "0",
            chosen(z, "conductivity"),
        ])

    with open(os.path.join(SRC, "quim.txt"), "w", encoding="utf-8", newline="\n") as f:
        f.write("# The atomic masses of quim.ini, section MASAS: Symbol_Name=mass.\n"
                "# Made by data/src/elements/make_element_data.py (do not edit by hand) from\n"
                "# Debian's bodr 10 (Blue Obelisk Data Repository, MIT licence) and the\n"
                "# Spanish names of data/src/elements/nombres.txt.\n")
        f.write("\n".join(masses) + "\n")
    with open(os.path.join(SRC, "tablaper.txt"), "w", encoding="utf-8", newline="\n") as f:
        f.write("# The element table tablaper.tab: a header line, then elements 1 to 121,\n"
                "# 23 fields separated by TAB; 0 is \"not known\".\n"
                "# Made by data/src/elements/make_element_data.py (do not edit by hand) from\n"
                "# Debian's bodr 10 (Blue Obelisk Data Repository, MIT licence), Debian's\n"
                "# python3-periodictable 1.6.0 (public domain: densities, gases as liquids at\n"
                "# their boiling point; crystal structures; oxidation states), the Spanish\n"
                "# names of data/src/elements/nombres.txt and the plain sources of\n"
                "# data/src/elements (their headers name origin and licence): heats of fusion\n"
                "# and vaporisation from @exabyte-io/periodic-table.js (npm, Apache-2.0);\n"
                "# thermal conductivity from python3-pymatgen (MIT), else that npm package;\n"
                "# covalent radius from Alvarez 2008 as in python3-qcelemental (BSD-3-Clause),\n"
                "# else bodr, else that npm package; choices in decisiones.tsv. The atomic\n"
                "# radius is the van der Waals radius in pm.\n")
        f.write("\t".join(HEADER) + "\n")
        for r in rows:
            assert len(r) == 23, r
            f.write("\t".join(r) + "\n")


if __name__ == "__main__":
    main()
