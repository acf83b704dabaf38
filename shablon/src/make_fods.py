#!/usr/bin/env python3
"""Writes the declaration templates as flat ODF spreadsheets:
make_fods.py <output folder>  ->  nds.fods, upr.fods"""

import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import nds  # noqa: E402
import upr  # noqa: E402
from sheet import write_fods  # noqa: E402


def main():
    if len(sys.argv) != 2:
        sys.exit("usage: make_fods.py <output folder>")
    out = sys.argv[1]
    for name, form in (("nds", nds), ("upr", upr)):
        write_fods(form.build(), os.path.join(out, name + ".fods"))


if __name__ == "__main__":
    main()
