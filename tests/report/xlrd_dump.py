"""Prints what xlrd reads from an .xls file as JSON: per sheet the non-empty cells with their XF
index, merges, row heights and page breaks, and the workbook's names with their areas."""
import json
import sys

import xlrd

book = xlrd.open_workbook(sys.argv[1], formatting_info=True)
sheets = []
for sheet in book.sheets():
    cells = []
    for r in range(sheet.nrows):
        for c in range(sheet.ncols):
            cell = sheet.cell(r, c)
            if cell.ctype in (xlrd.XL_CELL_EMPTY, xlrd.XL_CELL_BLANK):
                continue
            cells.append([r, c, cell.ctype, cell.value, sheet.cell_xf_index(r, c)])
    sheets.append({
        "name": sheet.name,
        "cells": cells,
        "merges": [list(m) for m in sheet.merged_cells],
        "heights": {str(r): info.height for r, info in sheet.rowinfo_map.items()},
        "breaks": [b[0] for b in sheet.horizontal_page_breaks],
    })
names = []
for name in book.name_obj_list:
    areas = []
    if name.result is not None and name.result.kind == xlrd.oREF:
        areas = [list(ref.coords) for ref in name.result.value]
    names.append({"name": name.name, "scope": name.scope, "areas": areas})
json.dump({"sheets": sheets, "names": names, "datemode": book.datemode}, sys.stdout, ensure_ascii=False)
