#!/usr/bin/env python3
"""Copies the element properties that bodr and python3-periodictable do not
publish out of their packages into small plain sources beside this script,
each with its origin and licence in its header:

  exabyte.tsv      npm package @exabyte-io/periodic-table.js 2.0.5
                   (Apache-2.0): heats of fusion and vaporisation, thermal
                   conductivity, covalent radius; the texts as published
                   ("0.117 (H-H)", "~340", "(10)").
  pymatgen.tsv     Debian package python3-pymatgen 2022.11.7 (MIT): thermal
                   conductivity.
  alvarez2008.tsv  Debian package python3-qcelemental 0.25.1 (BSD-3-Clause):
                   the covalent radii of B. Cordero, S. Alvarez et al.,
                   "Covalent radii revisited", Dalton Trans. 2008, 2832.
  bodr.tsv         Debian package bodr 10 (MIT): covalent radius, kept for
                   the cross-check.

Run at development time when a source changes; make_element_data.py then
reads these files (not the packages) and the tests cross-check them.

    npm pack @exabyte-io/periodic-table.js && tar xzf exabyte-io-*.tgz
    apt-get download python3-pymatgen python3-qcelemental
    dpkg-deb -x python3-pymatgen_*.deb pmg; dpkg-deb -x python3-qcelemental_*.deb qce
    python3 data/src/elements/extract_sources.py --exabyte package/periodic-table.json \
        --pymatgen pmg/usr/lib/python3/dist-packages/pymatgen/core/periodic_table.json \
        --qcelemental qce/usr/lib/python3/dist-packages --bodr /usr/share/bodr
"""

import argparse
import json
import os
import sys
import xml.etree.ElementTree as ET

HERE = os.path.dirname(os.path.abspath(__file__))
NS = {"c": "http://www.xml-cml.org/schema"}


def write(name, header, columns, rows):
    with open(os.path.join(HERE, name), "w", encoding="utf-8", newline="\n") as f:
        for line in header.strip("\n").split("\n"):
            f.write(("# " + line).rstrip() + "\n")
        f.write("\t".join(columns) + "\n")
        for r in rows:
            f.write("\t".join(r) + "\n")


def text(v):
    if v is None:
        return ""
    if isinstance(v, float) and v == int(v):
        return str(int(v))
    return str(v).strip()


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--exabyte", required=True)
    ap.add_argument("--pymatgen", required=True)
    ap.add_argument("--qcelemental", required=True)
    ap.add_argument("--bodr", default="/usr/share/bodr")
    args = ap.parse_args()

    ex = {d["atomic_number"]: d for d in json.load(open(args.exabyte, encoding="utf-8")).values()}
    write("exabyte.tsv", """
Element properties from the npm package @exabyte-io/periodic-table.js 2.0.5,
file periodic-table.json. Licence: Apache License 2.0, Copyright 2019
Exabyte Inc. (the package's README names GPeriodic as its original source).
The texts stand as published; "(10)" and "~340" mark estimates, "(H-H)" a
value per mole of molecules. Units: kJ/mol, kJ/mol, W/(m K) at 25 C, pm.
Written by extract_sources.py; do not edit by hand.
""", ["Z", "symbol", "fusion_heat", "evaporation_heat", "thermal_conductivity", "covalent_radius_pm"],
        [[str(z), ex[z]["symbol"], text(ex[z]["fusion_heat_kJ_mol"]), text(ex[z]["evaporation_heat_kJ_mol"]),
          text(ex[z]["thermal_conductivity_25C_W_m_K"]), text(ex[z]["covalent_radius_pm"])]
         for z in sorted(ex)])

    pm = {d["Atomic no"]: (s, d) for s, d in json.load(open(args.pymatgen, encoding="utf-8")).items()}
    rows = []
    for z in sorted(pm):
        s, d = pm[z]
        tc = d.get("Thermal conductivity", "")
        tc = tc.split()[0] if tc and "no data" not in tc else ""
        if 1 <= z <= 118:
            rows.append([str(z), s, tc])
    write("pymatgen.tsv", """
Thermal conductivities from Debian's python3-pymatgen 2022.11.7+dfsg1,
file pymatgen/core/periodic_table.json. Licence: MIT, Copyright 2011-2020
Shyue Ping Ong and the Pymatgen Development Team. Unit: W/(m K).
Written by extract_sources.py; do not edit by hand.
""", ["Z", "symbol", "thermal_conductivity"], rows)

    sys.path.insert(0, os.path.join(args.qcelemental, "qcelemental", "data"))
    from alvarez_2008_covalent_radii import alvarez_2008_covalent_radii as alv
    radii = {}
    for label, value, _ in alv["covalent_radii"]:
        symbol, _, kind = label.partition("_")
        # One radius per element, as the package gives a generic atom: carbon
        # sp3, manganese, iron and cobalt high-spin.
        if kind in ("", "sp3", "highspin"):
            radii[symbol] = value
    symbols = {d["symbol"]: z for z, d in ex.items()}
    write("alvarez2008.tsv", """
Covalent radii of B. Cordero, V. Gomez, A. E. Platero-Prats, M. Reves,
J. Echeverria, E. Cremades, F. Barragan and S. Alvarez, "Covalent radii
revisited", Dalton Trans. 2008, 2832-2838, as transcribed in Debian's
python3-qcelemental 0.25.1 (qcelemental/data/alvarez_2008_covalent_radii.py;
licence BSD-3-Clause, Copyright 2018 The Molecular Sciences Software
Institute). Carbon sp3; manganese, iron and cobalt high-spin. Unit: angstrom.
Written by extract_sources.py; do not edit by hand.
""", ["Z", "symbol", "covalent_radius"],
        sorted(([str(symbols[s]), s, v] for s, v in radii.items()), key=lambda r: int(r[0])))

    root = ET.parse(os.path.join(args.bodr, "elements.xml")).getroot()
    rows = []
    for atom in root.findall("c:atom", NS):
        d = {s.get("dictRef"): (s.text or "").strip() for s in atom.findall("c:scalar", NS)}
        labels = {l.get("dictRef"): l.get("value") for l in atom.findall("c:label", NS)}
        z = int(d["bo:atomicNumber"])
        if 1 <= z <= 118:
            rows.append([str(z), labels["bo:symbol"], d.get("bo:radiusCovalent", "")])
    write("bodr.tsv", """
Covalent radii from Debian's bodr 10 (Blue Obelisk Data Repository,
elements.xml). Licence: MIT (Expat), Copyright 2006-2010 The Blue Obelisk
Project. Unit: angstrom. Written by extract_sources.py; do not edit by hand.
""", ["Z", "symbol", "covalent_radius"], sorted(rows, key=lambda r: int(r[0])))


if __name__ == "__main__":
    main()
