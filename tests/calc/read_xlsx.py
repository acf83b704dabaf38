#!/usr/bin/env python3
"""Reads a workbook the way a spreadsheet user's program would (openpyxl) and
prints what the schedule tests check, as JSON: every non-empty cell of the
first sheet with its value, cached value (for formulas) and number format,
and the sheet's charts with their kind and series."""
import json
import sys

import openpyxl


def main(path):
    formulas = openpyxl.load_workbook(path)
    values = openpyxl.load_workbook(path, data_only=True)
    ws, wv = formulas.worksheets[0], values.worksheets[0]
    cells = {}
    for row in ws.iter_rows():
        for c in row:
            if c.value is None:
                continue
            cells[c.coordinate] = {
                "value": c.value,
                "cached": wv[c.coordinate].value,
                "format": c.number_format,
            }
    charts = []
    for chart in ws._charts:
        charts.append({
            "type": chart.tagname,
            "grouping": getattr(chart, "grouping", None),
            "series": [s.val.numRef.f for s in chart.series],
            "categories": [s.cat.numRef.f if s.cat and s.cat.numRef else None for s in chart.series],
        })
    json.dump({"sheets": formulas.sheetnames, "cells": cells, "charts": charts,
               "frozen": ws.freeze_panes}, sys.stdout, ensure_ascii=False, default=str)


if __name__ == "__main__":
    main(sys.argv[1])
