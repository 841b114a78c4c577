#!/usr/bin/env python3
"""Checks that the sources of one library may be compiled together in one
unity file without a silent change of meaning.

    check_unity_names.py STAMP SOURCE...

Inside a unity file, a name that one source keeps to itself (in an anonymous
namespace, or `static` at file scope), a macro it defines and leaves defined,
and a `using namespace` at file scope are all visible to the sources after it.
Two same-named file-local functions with different parameters would then
overload each other silently, and a macro or a using-directive could change
what a later source means. So this check fails when:
  - two sources of the library declare the same file-local name (aliases
    `using Name = Type;` written alike in both excepted: they name one type);
  - two sources define the same macro and leave it defined;
  - a source writes `using namespace` at file scope.
On success it touches STAMP. Exit status 1 lists every finding as
`file:line: ...`, so the build stops with the places to rename.
"""
import os
import re
import sys

DECL_FUNC = re.compile(r"(?:^|[\s*&>])([A-Za-z_]\w*)\s*\($")
KEYWORDS = {"if", "for", "while", "switch", "return", "sizeof", "alignof", "decltype", "static_assert",
            "noexcept", "operator", "defined", "catch", "GATE_REGISTER_ENTITY", "TEST", "TEST_F", "TEST_P",
            "INSTANTIATE_TEST_SUITE_P", "TYPED_TEST", "TYPED_TEST_SUITE", "REGISTER_TYPED_TEST_SUITE_P"}


def strip_literals(text):
    """`text` with comments, string and character literals blanked (newlines
    kept, so line numbers hold)."""
    out = []
    i, n = 0, len(text)
    while i < n:
        c = text[i]
        if text.startswith("//", i):
            j = text.find("\n", i)
            j = n if j < 0 else j
            out.append(" " * (j - i))
            i = j
        elif text.startswith("/*", i):
            j = text.find("*/", i + 2)
            j = n if j < 0 else j + 2
            out.append(re.sub(r"[^\n]", " ", text[i:j]))
            i = j
        elif c == "R" and text.startswith('R"', i) and (i == 0 or not (text[i - 1].isalnum() or text[i - 1] == "_")):
            m = re.match(r'R"([^ ()\\\t\n]{0,16})\(', text[i:])
            if not m:
                out.append(c)
                i += 1
                continue
            j = text.find(")" + m.group(1) + '"', i + m.end())
            j = n if j < 0 else j + len(m.group(1)) + 2
            out.append('""' + re.sub(r"[^\n]", " ", text[i + 2:j]))
            i = j
        elif c in "\"'" and not (c == "'" and i > 0 and text[i - 1].isalnum() and i + 1 < n and text[i + 1].isalnum()):
            j = i + 1
            while j < n and text[j] != c and text[j] != "\n":
                j += 2 if text[j] == "\\" else 1
            j = min(j + 1, n)
            out.append(c + " " * max(0, j - i - 2) + (c if j - i >= 2 else ""))
            i = j
        else:
            out.append(c)
            i += 1
    return "".join(out)


def file_scope_facts(path):
    """(local names, macros left defined, using-directives), each a list of
    (name, line)."""
    text = strip_literals(open(path, encoding="latin-1").read())
    locals_, macros, usings, aliases = [], {}, [], {}
    # Preprocessor lines: macros defined and not undefined afterwards.
    for number, line in enumerate(text.split("\n"), 1):
        m = re.match(r"\s*#\s*define\s+(\w+)", line)
        if m:
            macros[m.group(1)] = number
        m = re.match(r"\s*#\s*undef\s+(\w+)", line)
        if m:
            macros.pop(m.group(1), None)
    code = re.sub(r"^\s*#(?:[^\n]*\\\n)*[^\n]*$", lambda m: re.sub(r"[^\n]", " ", m.group(0)), text, flags=re.M)

    # Walk the braces: a stack of scopes, each "file" (file scope or a named
    # namespace), "anon" (an anonymous namespace) or "other".
    stack = []
    statement = ""
    line = 1
    statement_line = 1

    def at_file_level():
        return all(kind in ("file", "anon") for kind in stack)

    def in_anon():
        return "anon" in stack

    def note(stmt, stmt_line, opening):
        s = " ".join(stmt.split())
        if not s or not at_file_level():
            return
        if re.match(r"using\s+namespace\b", s) and not in_anon():
            usings.append((s.rstrip(";"), stmt_line))
            return
        if not (in_anon() or re.match(r"(?:inline\s+)?static\b", s)):
            return
        if re.match(r"(?:template\s*<.*>\s*)?(?:struct|class|union|enum(?:\s+class)?)\s+(\w+)", s):
            name = re.match(r"(?:template\s*<.*>\s*)?(?:struct|class|union|enum(?:\s+class)?)\s+(\w+)", s).group(1)
            locals_.append((name, stmt_line))
            return
        m = re.match(r"using\s+(\w+)\s*=\s*(.*?);?$", s)
        if m:
            # The aliased type goes with it: one alias written alike in two
            # sources names the same type in both, whichever comes first.
            aliases[(m.group(1), stmt_line)] = m.group(2).replace(" ", "")
            locals_.append((m.group(1), stmt_line))
            return
        if s.startswith(("namespace", "using", "extern", "static_assert", "friend", "typedef")):
            m = re.match(r"typedef\b.*\b(\w+)\s*;?$", s)
            if m:
                locals_.append((m.group(1), stmt_line))
            return
        # Function: the name before the parameter list's opening parenthesis.
        head = s.split("(")[0] if "(" in s else None
        if head is not None and "=" not in head:
            m = re.search(r"([A-Za-z_]\w*)\s*$", head)
            if m and m.group(1) not in KEYWORDS and "::" not in head.split()[-1]:
                locals_.append((m.group(1), stmt_line))
            return
        # Variable: the name before `=`, `{`, `[` or `;`.
        m = re.match(r"(.*?)\s*(?:=|\[|\{|;|$)", s)
        if m:
            names = re.findall(r"([A-Za-z_]\w*)\s*$", m.group(1))
            if names and names[0] not in KEYWORDS:
                locals_.append((names[0], stmt_line))

    for c in code:
        if c == "\n":
            line += 1
        if c == "{":
            s = " ".join(statement.split())
            if at_file_level() and re.fullmatch(r"(?:inline\s+)?namespace", s):
                stack.append("anon")
            elif at_file_level() and re.fullmatch(r"(?:inline\s+)?namespace\s+[\w:]+", s):
                stack.append("file")
            else:
                note(statement, statement_line, True)
                stack.append("other")
            statement = ""
        elif c == "}":
            if stack:
                stack.pop()
            statement = ""
        elif c == ";":
            if at_file_level():
                note(statement + ";", statement_line, False)
            statement = ""
        else:
            if not statement.strip() and not c.isspace():
                statement_line = line
            statement += c
    return locals_, sorted((n, l) for n, l in macros.items()), usings, aliases


def main():
    if len(sys.argv) < 2:
        print(__doc__, file=sys.stderr)
        return 2
    stamp, sources = sys.argv[1], sys.argv[2:]
    seen_names, seen_macros, problems = {}, {}, []
    for path in sources:
        names, macros, usings, aliases = file_scope_facts(path)
        for name, line in usings:
            problems.append(f"{path}:{line}: `{name}` at file scope reaches the sources after it in a unity file")
        for name, line in sorted(set(names)):
            first = seen_names.setdefault(name, (path, line, aliases.get((name, line))))
            if first[0] != path and not (first[2] is not None and first[2] == aliases.get((name, line))):
                problems.append(f"{path}:{line}: file-local `{name}` is also declared at {first[0]}:{first[1]}")
        for name, line in macros:
            first = seen_macros.setdefault(name, (path, line))
            if first[0] != path:
                problems.append(f"{path}:{line}: macro `{name}` is also defined at {first[0]}:{first[1]} (#undef it)")
    if problems:
        print("unity build: sources of one library that cannot share a unity file safely:", file=sys.stderr)
        for p in problems:
            print("  " + p, file=sys.stderr)
        print("  rename one of each pair (or #undef the macro at the end of its source)", file=sys.stderr)
        return 1
    os.makedirs(os.path.dirname(os.path.abspath(stamp)), exist_ok=True)
    open(stamp, "w").close()
    return 0


if __name__ == "__main__":
    sys.exit(main())
