#!/usr/bin/python3
"""Prints what openpyxl, an independent reader, finds in an .xlsx file, as
JSON: per sheet its cells (value, formula, number format, font, fill,
alignment, borders), merges, row outline levels and heights, column widths,
hyperlinks, autofilter and outline settings."""
import datetime
import json
import sys

import openpyxl
from openpyxl.utils import get_column_letter


def color(c):
    if c is None or c.type != "rgb" or c.rgb is None:
        return None
    return str(c.rgb)[-6:].upper()


def main(path):
    book = openpyxl.load_workbook(path)
    result = {"sheets": [], "active": book.active.title}
    for ws in book.worksheets:
        cells = {}
        for row in ws.iter_rows():
            for cell in row:
                if cell.value is None and not cell.has_style:
                    continue
                value = cell.value
                entry = {}
                if isinstance(value, str) and value.startswith("="):
                    entry["formula"] = value
                elif isinstance(value, (datetime.datetime, datetime.date)):
                    entry["date"] = value.strftime("%Y-%m-%d %H:%M:%S")
                elif value is not None:
                    entry["value"] = value
                f = cell.font
                entry["font"] = {"name": f.name, "size": f.sz, "bold": bool(f.b), "italic": bool(f.i),
                                 "underline": f.u, "color": color(f.color)}
                if cell.fill is not None and cell.fill.fill_type == "solid":
                    entry["fill"] = color(cell.fill.fgColor)
                entry["numberFormat"] = cell.number_format
                entry["hAlign"] = cell.alignment.horizontal
                b = cell.border
                entry["border"] = {side: getattr(b, side).style for side in ("left", "right", "top", "bottom")
                                   if getattr(b, side) is not None and getattr(b, side).style}
                if cell.hyperlink is not None:
                    entry["hyperlink"] = cell.hyperlink.target or ("#" + (cell.hyperlink.location or ""))
                cells[cell.coordinate] = entry
        rows = {}
        for index, dim in ws.row_dimensions.items():
            if dim.outlineLevel or dim.height:
                rows[str(index)] = {"level": dim.outlineLevel, "height": dim.height}
        widths = {}
        for key, dim in ws.column_dimensions.items():
            if dim.width and dim.customWidth:
                for c in range(dim.min or 0, (dim.max or 0) + 1):
                    if c > 0:
                        widths[get_column_letter(c)] = dim.width
        result["sheets"].append({
            "name": ws.title,
            "cells": cells,
            "merges": sorted(str(r) for r in ws.merged_cells.ranges),
            "rows": rows,
            "widths": widths,
            "autofilter": ws.auto_filter.ref,
            "summaryBelow": ws.sheet_properties.outlinePr.summaryBelow if ws.sheet_properties.outlinePr else None,
            "page": {
                "orientation": ws.page_setup.orientation,
                "paperSize": ws.page_setup.paperSize,
                "fitToPage": bool(ws.sheet_properties.pageSetUpPr and ws.sheet_properties.pageSetUpPr.fitToPage),
                "fitToWidth": ws.page_setup.fitToWidth,
                "fitToHeight": ws.page_setup.fitToHeight,
                "titleRows": ws.print_title_rows,
                "marginLeft": ws.page_margins.left,
                "centered": bool(ws.print_options.horizontalCentered),
            },
            "maxRow": ws.max_row,
            "maxColumn": ws.max_column,
        })
    json.dump(result, sys.stdout, ensure_ascii=False, default=str)


if __name__ == "__main__":
    main(sys.argv[1])
