#!/usr/bin/python3
"""Checks standalone fonts split from a collection with fontTools.

    check_split_fonts.py <collection.ttc> <face file>...

The face files are the collection's fonts 0, 1, ... in order. Each must open
as a font on its own, decompile table by table, carry the collection font's
tables in the same order with the same lengths and data, record the
standard checksum of every table ('head' summed with its adjustment as 0),
and sum as a whole to 0xB1B0AFBA. Prints one line per fault; exits 1 on any.
"""
import struct
import sys

from fontTools.ttLib import TTCollection, TTFont
from fontTools.ttLib.sfnt import calcChecksum

faults = []
collection = TTCollection(sys.argv[1], lazy=True)
faces = sys.argv[2:]
if len(faces) != len(collection.fonts):
    faults.append(f"{len(faces)} face files for {len(collection.fonts)} fonts")
for index, path in enumerate(faces):
    data = open(path, "rb").read()
    font = TTFont(path, lazy=False, checkChecksums=2)  # raises on a wrong table checksum
    source = collection.fonts[index].reader
    tags = list(font.reader.tables.keys())
    if tags != list(source.tables.keys()):
        faults.append(f"{path}: tables {tags} differ from the collection's")
    count = struct.unpack(">H", data[4:6])[0]
    for record in range(count):
        tag, checksum, offset, length = struct.unpack(">4sIII", data[12 + 16 * record:28 + 16 * record])
        name = tag.decode("latin-1")
        if offset % 4:
            faults.append(f"{path}: {name} at {offset}, not a multiple of 4")
        table = data[offset:offset + length]
        if length != source.tables[tag].length or (name != "head" and table != source[name]):
            faults.append(f"{path}: {name} differs from the collection's")
        summed = table[:8] + b"\0\0\0\0" + table[12:] if name == "head" else table
        if calcChecksum(summed) != checksum:
            faults.append(f"{path}: {name} checksum {checksum:08x}")
        font[name]  # decompiles the table
    if calcChecksum(data) != 0xB1B0AFBA:
        faults.append(f"{path}: whole-font checksum {calcChecksum(data):08x}")
for fault in faults:
    print(fault)
sys.exit(1 if faults else 0)
