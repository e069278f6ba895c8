#!/usr/bin/env python3
"""The atomic masses the program weighs formulas with (quim.ini, section
MASAS) and shows in the periodic table (tablaper.tab) against independent
tables:

  * python3-periodictable (public domain; NIST's atomic weights of 1999 with
    the 2001 changes): every mass lies within the uncertainty of that
    table's standard atomic weight, or within the rounding of the digits it
    gives; the elements whose standard atomic weight IUPAC revised after
    that table, and those whose mass is the mass number of a chosen isotope,
    are listed below with what differs, and a difference beyond that list
    fails;
  * bodr, where installed (the table the masses were taken from): equal to
    1E-9, so nothing was lost on the way to the shipped files.

Exits 77 (skipped) with a message when python3-periodictable is missing.

    check_molar_masses.py QUIM.INI TABLAPER.TAB [BODR_FOLDER]
"""

import os
import sys

sys.dont_write_bytecode = True   # nothing written beside the scripts
from datacheck import finish  # noqa: E402
import xml.etree.ElementTree as ET

# Standard atomic weights IUPAC revised after the oracle's table by more than
# its uncertainty. (Those of H, Li, B, C, N, O, Si, S, Cl and Tl became
# intervals; their conventional values lie within the rounding.)
REVISED = {
    30: "Zn: revised to 65.38",
    78: "Pt: revised to 195.084",
}
# No stable isotope: each table gives the mass number of the isotope it
# chose (the longest-lived one known when it was written).
ISOTOPE_CHOSEN = {43, 104, 105, 106, 107, 109, 111, 113}


def read_ini_masses(path):
    with open(path, "rb") as f:
        text = f.read().decode("cp1252")
    masses = {}
    section = None
    for line in text.split("\r\n"):
        if line.startswith("["):
            section = line.strip("[]")
        elif section == "MASAS" and "=" in line:
            key, value = line.split("=", 1)
            masses[key.split("_", 1)[0]] = value
    return masses


def read_table(path):
    with open(path, "rb") as f:
        lines = f.read().decode("cp1252").split("\r\n")
    return {int(c[0]): c for c in (l.split("\t") for l in lines[1:] if l)}


def oracle_masses():
    """{Z: (value, uncertainty or None, nominal)} from python3-periodictable."""
    from periodictable import mass as ptmass
    out = {}
    for line in ptmass.massdata.split("\n"):
        if not line.strip():
            continue
        fields = line.split(",")
        z = int(fields[0].split("-")[0])
        if z in out or len(fields) < 4 or not fields[3]:
            continue
        text = fields[3].strip()
        if text.startswith("["):
            out[z] = (float(text[1:-1]), None, True)
        elif "(" in text:
            value, unc = text[:-1].split("(")
            decimals = len(value.split(".")[1]) if "." in value else 0
            out[z] = (float(value), int(unc) * 10.0 ** -decimals, False)
        else:
            out[z] = (float(text), None, False)
    return out


def rounding(text):
    """Half a unit in the last digit a mass text gives."""
    decimals = len(text.split(".")[1]) if "." in text else 0
    return 0.5 * 10.0 ** -decimals


def main():
    quim, tablaper = sys.argv[1], sys.argv[2]
    bodr = sys.argv[3] if len(sys.argv) > 3 else "/usr/share/bodr"
    try:
        oracle = oracle_masses()
    except ImportError:
        print("SKIPPED: python3-periodictable is not installed (scripts/setup.sh); "
              "the atomic masses were not compared with it")
        return 77
    ini = read_ini_masses(quim)
    table = read_table(tablaper)
    failures, listed, unknown = [], [], []
    for z in range(1, 119):
        symbol = table[z][1]
        text = ini.get(symbol)
        if text is None:
            failures.append("%s: not in quim.ini" % symbol)
            continue
        ours = float(text)
        if abs(float(table[z][4]) / ours - 1) > 1e-9:
            failures.append("%s: quim.ini %s, tablaper.tab %s" % (symbol, text, table[z][4]))
        if z not in oracle:
            unknown.append(symbol)
            continue
        value, unc, nominal = oracle[z]
        if nominal:
            ok = round(ours) == value
        else:
            ok = abs(ours - value) <= max(unc or 0.0, rounding(text), rounding(repr(value))) * (1 + 1e-9)
        if ok:
            continue
        why = REVISED.get(z) or ("isotope chosen" if z in ISOTOPE_CHOSEN else None)
        line = "%-2s %s, oracle %s%s" % (symbol, text, value, "(%g)" % unc if unc else "")
        if why:
            listed.append(line + ": " + why)
        else:
            failures.append(line + ": differs beyond the oracle's uncertainty")
    for z in sorted(set(REVISED) | ISOTOPE_CHOSEN):
        if not any(l.startswith(table[z][1] + " ") for l in listed):
            failures.append("%s is listed as differing but agrees: the list is stale" % table[z][1])

    compared_bodr = 0
    path = os.path.join(bodr, "elements.xml")
    if os.path.exists(path):
        ns = {"c": "http://www.xml-cml.org/schema"}
        for atom in ET.parse(path).getroot().findall("c:atom", ns):
            d = {s.get("dictRef"): (s.text or "").strip() for s in atom.findall("c:scalar", ns)}
            z = int(d["bo:atomicNumber"])
            if 1 <= z <= 118 and "bo:mass" in d:
                compared_bodr += 1
                if abs(float(ini.get(table[z][1], "0")) / float(d["bo:mass"]) - 1) > 1e-9:
                    failures.append("%s: quim.ini %s, bodr %s" % (table[z][1], ini.get(table[z][1]), d["bo:mass"]))
    else:
        print("bodr is not installed: the masses were not compared with it")

    print("118 masses compared with python3-periodictable, %d with bodr" % compared_bodr)
    print("Not known to python3-periodictable: " + (", ".join(unknown) or "none"))
    return finish("Differences the oracle's age explains:", listed, failures)


if __name__ == "__main__":
    sys.exit(main())
