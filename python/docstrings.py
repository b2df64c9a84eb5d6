"""Collects the framework's /// comments into a C++ table that the bindings take their
docstrings from, keyed "Class.member" (nested classes "Outer.Inner.member"), "Class" for a
class and the bare name for a free function. Overloads' comments are joined.

Usage: docstrings.py <output.cpp> <header>...
"""
import re
import sys

DECLARATION = re.compile(r"^\s*(?:template\s*<[^>]*>\s*)?(class|struct|enum(?:\s+class)?)\s+(\w+)[^;]*$")
MEMBER = re.compile(r"(~?\w+|operator\W+)\s*\(")
FIELD = re.compile(r"(\w+)\s*(?:=[^;]*|\[[^\]]*\]|\{[^}]*\})?\s*[;,]")


def name_of(line):
    """The declared name of a function, field or enumerator line, or None."""
    code = line.split("///<")[0].split("//")[0].strip()
    if not code or code.startswith(("#", "}", "public:", "private:", "protected:", "using ", "friend ")):
        return None
    head = code.split("(")[0]
    if "(" in code and "=" not in head and "{" not in head:
        match = MEMBER.search(code)
        return match.group(1).strip() if match else None
    fields = FIELD.findall(code)
    return fields[0] if fields else None


def collect(path, table):
    scopes = []  # (indent, name) of the enclosing classes
    comment, group, in_group = [], [], False
    for raw in open(path, encoding="utf-8"):
        line = raw.rstrip("\n")
        stripped = line.strip()
        if stripped.startswith("///@{"):
            in_group, group = True, []
            continue
        if stripped.startswith("///@}"):
            in_group, group = False, []
            continue
        if stripped.startswith("///") and not stripped.startswith("///<"):
            comment.append(stripped[3:].strip())
            continue
        if not stripped:
            continue
        indent = len(line) - len(line.lstrip())
        while scopes and scopes[-1][0] >= indent and not stripped.startswith(("public:", "private:", "protected:")):
            scopes.pop()
        if in_group and comment:
            group, comment = comment, []
        text = comment or (group if in_group else [])
        if "///<" in line:
            text = text + [line.split("///<", 1)[1].strip()]
        declared = DECLARATION.match(line)
        if declared and not stripped.endswith(";"):
            name = declared.group(2)
            key = ".".join([s for _, s in scopes] + [name])
            scopes.append((indent, name))
        else:
            name = name_of(line)
            key = ".".join([s for _, s in scopes] + [name]) if name else None
        if key and text:
            doc = " ".join(text)
            entries = table.setdefault(key, [])
            if doc not in entries:
                entries.append(doc)
        comment = []


def main():
    table = {}
    for header in sys.argv[2:]:
        collect(header, table)
    quote = lambda s: '"' + s.replace("\\", "\\\\").replace('"', '\\"').replace("\n", "\\n") + '"'
    with open(sys.argv[1], "w", encoding="utf-8") as out:
        out.write("// Generated from the framework's headers by python/docstrings.py.\n")
        out.write('#include "Bindings.h"\n\n#include <cstring>\n\nnamespace {\n')
        out.write("struct Entry {\n    const char* key;\n    const char* text;\n};\n")
        out.write("const Entry entries[] = {\n")
        for key in sorted(table):
            out.write("    {%s, %s},\n" % (quote(key), quote("\n\n".join(table[key]))))
        out.write("};\n} // namespace\n\n")
        out.write("const char* StimoraPython::doc(const char* key) {\n")
        out.write("    std::size_t low = 0, high = sizeof entries / sizeof entries[0];\n")
        out.write("    while (low < high) {\n        const std::size_t middle = (low + high) / 2;\n")
        out.write("        const int order = std::strcmp(entries[middle].key, key);\n")
        out.write("        if (order == 0)\n            return entries[middle].text;\n")
        out.write("        if (order < 0)\n            low = middle + 1;\n        else\n            high = middle;\n    }\n")
        out.write('    return "";\n}\n')


if __name__ == "__main__":
    main()
