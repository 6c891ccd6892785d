"""Fails on a path that the docs or a comment name but the tree no longer has.

A path here is a token of name characters with at least one slash whose first part is the name
of a folder the repository tracks (src/app/startup.cpp, tests/support/, wayland/screen_portal.cpp,
scripts/run.sh). System headers (xcb/xcb.h), addresses, absolute paths, $VARIABLE/... and
~/... do not start with such a name and are left alone. A path holds when it exists from the
top of the tree or from the naming file's folder, or when a tracked path ends with it (the short
forms includes and prose use). Read: every Markdown file, and the comments of C++, Python,
shell and CMake files (Python's docstrings too). A path that goes on as a pattern
(tests/fuzz/regressions/<target>/) is a place, not a thing, and is left alone. Run from the top
of the tree.
"""
import io
import os
import re
import subprocess
import sys
import tokenize

TOKEN = re.compile(r"(?<![\w./$~-])((?:[\w.-]+/)+[\w.-]*)(?![\w./<*{-])")
CXX_STRING = re.compile(r'"(?:\\.|[^"\\\n])*"')
CXX_COMMENT = re.compile(r"//[^\n]*|/\*.*?\*/", re.S)
HASH_COMMENT = re.compile(r"(?:^|(?<=\s))#(?!!)[^\n]*", re.M)


def tracked():
    out = subprocess.run(
        ["git", "ls-files", "--cached", "--others", "--exclude-standard"],
        capture_output=True, text=True, check=True).stdout
    return [f for f in out.splitlines() if os.path.exists(f)]


def python_prose(text):
    """Comments and docstrings (strings that stand alone as a statement)."""
    parts, line_start = [], True
    try:
        for tok in tokenize.generate_tokens(io.StringIO(text).readline):
            if tok.type == tokenize.COMMENT:
                parts.append(tok.string)
            elif tok.type == tokenize.STRING and line_start:
                parts.append(tok.string)
            if tok.type not in (tokenize.INDENT, tokenize.DEDENT, tokenize.NL, tokenize.COMMENT):
                line_start = tok.type in (tokenize.NEWLINE,)
    except (tokenize.TokenError, SyntaxError):
        return HASH_COMMENT.findall(text)
    return parts


def prose(path, text):
    name = os.path.basename(path)
    if name.endswith(".md"):
        return [text]
    if name.endswith((".cpp", ".h", ".h.in", ".cpp.in")):
        return CXX_COMMENT.findall(CXX_STRING.sub('""', text))
    if name.endswith(".py"):
        return python_prose(text)
    if name.endswith((".sh", ".cmake")) or name == "CMakeLists.txt":
        return HASH_COMMENT.findall(text)
    return []


def main():
    files = tracked()
    paths = set(files)
    for f in files:
        parts = f.split("/")
        paths.update("/".join(parts[:i]) for i in range(1, len(parts)))
    folder_names = {p.rsplit("/", 1)[-1] for p in paths if p not in files}
    # A file may be named without its extensions (common/shell for shell.cpp and shell.h).
    for f in files:
        folder, _, name = f.rpartition("/")
        paths.add(os.path.join(folder, name.split(".")[0]))
        if f.endswith(".in"):  # app/version.h, made from version.h.in
            paths.add(f[:-3])
    suffixes = set()
    for p in paths:
        parts = p.split("/")
        suffixes.update("/".join(parts[i:]) for i in range(len(parts)))

    stale = []
    for f in files:
        try:
            with open(f, encoding="utf-8") as handle:
                text = handle.read()
        except (UnicodeDecodeError, IsADirectoryError):
            continue
        for chunk in prose(f, text):
            for token in TOKEN.findall(chunk):
                token = token.rstrip(".")
                path = token.rstrip("/")
                parts = path.split("/")
                if parts[0] not in folder_names:
                    continue
                # lib/vistrel/vistrel: a folder of some other tree that shares a first name.
                if len(parts) > 2 and parts[0] not in paths and "/".join(parts[:2]) not in suffixes:
                    continue
                here = os.path.normpath(os.path.join(os.path.dirname(f), path))
                if path in paths or here in paths or path in suffixes:
                    continue
                line = text[:text.find(token)].count("\n") + 1 if token in text else 0
                stale.append(f"{f}:{line}: {token}")
    for entry in stale:
        print(entry)
    return 1 if stale else 0


if __name__ == "__main__":
    sys.exit(main())
