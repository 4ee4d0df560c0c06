#!/usr/bin/env python3
"""The size of the tests against the size of the code, in C++ tokens.

Tests are tests/ (the fidelity harness too), fuzz/ and each host's tests/ (hosts/cairo/tests, ...);
code is every other .h and .cpp file git tracks. Comments and blank lines are left out; a
string or character literal (raw or prefixed too) is one token, and so is every identifier,
number and operator or punctuator. Prints both sizes in tokens and in lines, and the token
ratio; exits 1 when the tests are above the limit times the code (0.35, or the first
argument), judged on the counts.
"""
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


files = subprocess.run(["git", "ls-files", "-z", "--", "*.h", "*.cpp"], check=True,
                       capture_output=True, text=True).stdout.split("\0")
files = [path for path in files if path]
tests = measure(path for path in files if TESTS.match(path))
code = measure(path for path in files if not TESTS.match(path))
limit = float(sys.argv[1]) if len(sys.argv) > 1 else 0.35
ratio = tests[0] / code[0] if code[0] else 1.0
print(f"tests: {tests[0]} tokens, {tests[1]} lines; code: {code[0]} tokens, {code[1]} lines;"
      f" ratio: {ratio:.4f} in tokens (limit {limit})")
sys.exit(0 if code[0] > 0 and tests[0] <= limit * code[0] else 1)
