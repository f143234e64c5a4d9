"""Prints what xlrd reads from an .xls file as JSON: per sheet the non-empty cells with their XF
index, merges, row heights, page breaks and page header and footer, and the workbook's names with
their areas."""
import json
import struct
import sys

import xlrd
from xlrd.biffh import unpack_unicode
from xlrd.compdoc import CompDoc


def headers_and_footers(stream):
    """Per sheet substream, in order, its HEADER and FOOTER texts, read from the records (xlrd keeps
    no page setup)."""
    sheets = []
    pos = 0
    while pos + 4 <= len(stream):
        rid, size = struct.unpack("<HH", stream[pos:pos + 4])
        data = stream[pos + 4:pos + 4 + size]
        if rid == 0x0809 and struct.unpack("<H", data[2:4])[0] != 0x0005:
            sheets.append({"header": "", "footer": ""})
        elif rid in (0x0014, 0x0015) and data and sheets:
            sheets[-1]["header" if rid == 0x0014 else "footer"] = unpack_unicode(data, 0, lenlen=2)
        pos += 4 + size
    return sheets


book = xlrd.open_workbook(sys.argv[1], formatting_info=True)
with open(sys.argv[1], "rb") as file:
    page_texts = headers_and_footers(CompDoc(file.read()).get_named_stream("Workbook"))
sheets = []
for index, sheet in enumerate(book.sheets()):
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
        **page_texts[index],
    })
names = []
for name in book.name_obj_list:
    areas = []
    if name.result is not None and name.result.kind == xlrd.oREF:
        areas = [list(ref.coords) for ref in name.result.value]
    names.append({"name": name.name, "scope": name.scope, "areas": areas})
json.dump({"sheets": sheets, "names": names, "datemode": book.datemode}, sys.stdout, ensure_ascii=False)
