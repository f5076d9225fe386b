#!/usr/bin/env python3
"""Joins the lines of an HTML page where a line break stands between two Japanese characters.

The manual's sources wrap Japanese paragraphs like English ones; most browsers show such a
break as a space, which Japanese text does not have. Usage: join-wide-lines.py FILE...
"""
import re
import sys

WIDE = "\u3000-\u30ff\u3400-\u9fff\uf900-\ufaff\uff00-\uffef"
BREAK = re.compile(f"(?<=[{WIDE}])\\n(?=[{WIDE}])")

for name in sys.argv[1:]:
    with open(name, encoding="utf-8") as page:
        text = page.read()
    with open(name, "w", encoding="utf-8") as page:
        page.write(BREAK.sub("", text))
