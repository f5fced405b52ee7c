#!/usr/bin/env python3
"""flip_byte.py FILE OFFSET: inverts the byte at OFFSET of FILE in place (a package changed after
it was signed)."""
import sys

path, offset = sys.argv[1], int(sys.argv[2], 0)
with open(path, "r+b") as file:
    file.seek(offset)
    byte = file.read(1)
    file.seek(offset)
    file.write(bytes([byte[0] ^ 0xFF]))
