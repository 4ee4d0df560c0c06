#!/usr/bin/env python3
"""The size of the tests against the size of the code, in tokens.

Tests are tests/ (the fidelity harness too), fuzz/ and each host's tests/ (hosts/cairo/tests, ...);
code is every other .h and .cpp file git tracks. Comments and blank lines are left out; a
string or character literal (raw or prefixed too) is one token, and so is every identifier,
number and operator or punctuator. The drawing scripts the tests run (every .txt file under
tests/ with a "Scene" line: tests/scenes.txt, tests/fidelity/scenes/*.txt) are tests too,
each whitespace-separated word of a line that is not a comment ("#") one token. Prints both
sizes in tokens and in lines, and the token ratio; exits 1 when the tests are above the
limit times the code (the first argument, or else the value in scripts/test-ratio.limit),
judged on the counts.
"""
import pathlib
import re
import subprocess
import sys

TOKEN = re.compile(
    r"""
      (?P<comment>//[^\n]*|/\*.*?\*/)
    | (?:u8|[uUL])?R"(?P<delim>[^ ()\\\n]{0,16})\(.*?\)(?P=delim)"  # raw string
    | (?:u8|[uUL])?"(?:\\.|[^"\\\n])*"                               # string
    | (?:u8|[uUL])?'(?:\\.|[^'\\\n])+'                               # character
    | \.?[0-9](?:[eEpP][+-]|'[0-9A-Za-z]|[0-9A-Za-z_.])*             # number
    | [A-Za-z_][A-Za-z_0-9]*                                         # identifier
    | <=>|<<=|>>=|->\*|\.\.\.|::|->|\+\+|--|<<|>>|&&|\|\||\#\#|[-+*/%&|^!=<>]=
    | \S                                                             # one-character punctuator
    """,
    re.S | re.X,
)
TESTS = re.compile(r"^(tests|fuzz)/|^hosts/[^/]+/tests/")


def measure(paths):
    """Tokens and lines holding (part of) a token, over the files."""
    tokens = lines = 0
    for path in paths:
        with open(path, encoding="utf-8") as file:
            text = file.read()
        seen = set()
        for match in TOKEN.finditer(text):
            if match.group("comment") is None:
                tokens += 1
                first = text.count("\n", 0, match.start())
                seen.update(range(first, first + match.group().count("\n") + 1))
        lines += len(seen)
    return tokens, lines


def measure_scripts(paths):
    """Words and lines holding words, over the drawing scripts, comments left out."""
    tokens = lines = 0
    for path in paths:
        with open(path, encoding="utf-8") as file:
            for line in file:
                words = line.split()
                if words and not words[0].startswith("#"):
                    tokens += len(words)
                    lines += 1
    return tokens, lines


def tracked(*patterns):
    listed = subprocess.run(["git", "ls-files", "-z", "--", *patterns], check=True,
                            capture_output=True, text=True).stdout.split("\0")
    return [path for path in listed if path]


def is_script(path):
    with open(path, encoding="utf-8") as file:
        return any(line.startswith("Scene ") for line in file)


files = tracked("*.h", "*.cpp")
scripts = measure_scripts(path for path in tracked("tests/*.txt") if is_script(path))
cpp_tests = measure(path for path in files if TESTS.match(path))
tests = (cpp_tests[0] + scripts[0], cpp_tests[1] + scripts[1])
code = measure(path for path in files if not TESTS.match(path))
limit_file = pathlib.Path(__file__).with_name("test-ratio.limit")
# The limit in the working tree, then in each commit that changed it, newest first.
limits = [float(limit_file.read_text().split()[0])]
for commit in subprocess.run(["git", "log", "--format=%H", "--", "scripts/test-ratio.limit"], check=True,
                             capture_output=True, text=True).stdout.split():
    shown = subprocess.run(["git", "show", f"{commit}:scripts/test-ratio.limit"], capture_output=True, text=True)
    if shown.returncode == 0:
        limits.append(float(shown.stdout.split()[0]))
raised = [(newer, older) for newer, older in zip(limits, limits[1:]) if newer > older]
if raised:
    print(f"scripts/test-ratio.limit was raised from {raised[0][1]} to {raised[0][0]}: it may only fall")
    sys.exit(1)
limit = float(sys.argv[1]) if len(sys.argv) > 1 else limits[0]
ratio = tests[0] / code[0] if code[0] else 1.0
print(f"tests: {tests[0]} tokens, {tests[1]} lines (scripts: {scripts[0]} words, {scripts[1]} lines);"
      f" code: {code[0]} tokens, {code[1]} lines;"
      f" ratio: {ratio:.4f} in tokens (limit {limit})")
sys.exit(0 if code[0] > 0 and tests[0] <= limit * code[0] else 1)
