# Prints every cell of a spreadsheet's first sheet that holds a value: its place, the type its
# value reads as, the value, and its number format.
import sys

import openpyxl
from openpyxl.cell.text import Text
from openpyxl.utils.escape import unescape

# This openpyxl leaves the format's escapes in shared strings; they are read as the format says.
openpyxl.reader.excel.read_string_table = lambda xml: [
    unescape(Text.from_tree(si).content)
    for _, si in openpyxl.xml.functions.iterparse(xml)
    if si.tag.endswith('}si')
]

for row in openpyxl.load_workbook(sys.argv[1]).active.iter_rows():
    for c in row:
        if c.value is not None:
            print(c.coordinate, type(c.value).__name__, repr(c.value), c.number_format)
