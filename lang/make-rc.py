#!/usr/bin/env python3
"""make-rc.py TABLE OUTDIR: writes OUTDIR/setupCODE.rc for every section of
the text table (see the head of texts.txt). Stops with a message naming the
line when a section lacks an id, repeats one, has one too many or an empty
text, so a broken table never becomes a module."""
import re
import sys
from pathlib import Path

IDS = range(1, 26)
# The text formatted with the installed version: exactly one %s, no other %.
FORMATTED = 24
HEADER = re.compile(r"^\[([A-Z]{3}) (0x[0-9A-Fa-f]{4})\]\s*(.*)$")
ENTRY = re.compile(r"^(\d+)(?:  (.*))?$")


def fail(table, number, message):
    sys.exit(f"{table}:{number}: {message}")


def read_table(table):
    sections = []
    for number, line in enumerate(table.read_text(encoding="utf-8").splitlines(), 1):
        line = line.rstrip()
        if not line or line.startswith("#"):
            continue
        header = HEADER.match(line)
        if header:
            code, langid, name = header.groups()
            if any(s["code"] == code for s in sections):
                fail(table, number, f"a second section {code}")
            sections.append({"code": code, "langid": int(langid, 16), "name": name,
                             "texts": {}, "line": number})
            continue
        entry = ENTRY.match(line)
        if not entry or not sections:
            fail(table, number, "expected '[CODE 0xLANGID]  name' or 'id  text'")
        texts = sections[-1]["texts"]
        string_id, text = int(entry.group(1)), (entry.group(2) or "").strip()
        if string_id not in IDS:
            fail(table, number, f"id {string_id} is not one of 1 to 25")
        if string_id in texts:
            fail(table, number, f"id {string_id} appears twice")
        if not text:
            fail(table, number, f"id {string_id} has no text")
        if string_id == FORMATTED and (text.count("%s") != 1 or text.count("%") != 1):
            fail(table, number, f"id {string_id} must hold exactly one %s and no other %")
        texts[string_id] = text
    for section in sections:
        missing = [i for i in IDS if i not in section["texts"]]
        if missing:
            fail(table, section["line"], f"{section['code']} lacks the ids {missing}")
    return sections


def rc_escape(text):
    # Resource scripts escape a backslash with another and a quote by doubling it.
    return text.replace("\\", "\\\\").replace('"', '""')


def rc_string(text):
    return '"' + rc_escape(text) + '"'


def rc_script(section):
    langid = section["langid"]
    lines = [
        f"// Generated from texts.txt: {section['name']}. Edit the table, not this file.",
        "#pragma code_page(65001)",
        f"LANGUAGE 0x{langid & 0x3FF:02X}, 0x{langid >> 10:02X}",
        "STRINGTABLE",
        "BEGIN",
    ]
    lines += [f"    {i}, {rc_string(section['texts'][i])}" for i in IDS]
    lines += [
        "END",
        "",
        "// Who made the module, from the build's one version header.",
        "#define VER_FILE_TYPE VFT_DLL",
        f'#define VER_FILE_DESCRIPTION VER_PRODUCT_NAME " texts: {rc_escape(section["name"])}"',
        f'#define VER_FILE_NAME "setup{section["code"]}.dll"',
        '#include "version.rc"',
        "",
    ]
    return "\n".join(lines)


def main():
    table, out_dir = Path(sys.argv[1]), Path(sys.argv[2])
    out_dir.mkdir(parents=True, exist_ok=True)
    for section in read_table(table):
        target = out_dir / f"setup{section['code']}.rc"
        script = rc_script(section)
        # Unchanged scripts keep their time stamp: only edited languages rebuild.
        if not target.exists() or target.read_text(encoding="utf-8") != script:
            target.write_text(script, encoding="utf-8")


if __name__ == "__main__":
    main()
