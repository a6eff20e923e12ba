#!/usr/bin/env python3
"""Drives tessaly-pattern with a few JSON lines and checks its answers line by line."""
import json
import subprocess
import sys

tool = sys.argv[1]


def run(lines, *args):
    out = subprocess.run([tool, *args], input="".join(l + "\n" for l in lines), capture_output=True,
                         text=True, encoding="utf-8", check=True, timeout=30).stdout
    return [json.loads(l) for l in out.splitlines()]


cases = [
    (["{a|b}*c", "xbac"], {"match": [1, 4], "groups": [[2, 3]]}),
    (["{a}|{b}", "b"], {"match": [0, 1], "groups": [None, [0, 1]]}),
    (["a", "b"], {"match": None}),
    (["[z-a]", "x"], {"error": 8}),
    # \uXXXX escapes, a surrogate pair and raw UTF-8 all count UTF-16 units.
    (["\u4e2d{.}", "\U0001F600\u4e2dz"], {"match": [2, 4], "groups": [[3, 4]]}),
    (["{.}x", "\ud83d\ude00x"], {"match": [1, 3], "groups": [[1, 2]]}),
    (["c$", "abc"], {"match": [2, 4], "groups": []}),
]

def has_surrogate(strings):
    return any(0xD800 <= ord(ch) <= 0xDFFF for s in strings for ch in s)


# Every other line in raw UTF-8; lone surrogate escapes only as \uXXXX.
lines = [json.dumps(q, ensure_ascii=(i % 2 == 0 or has_surrogate(q))) for i, (q, _) in enumerate(cases)]
lines.append('["unterminated')
answers = run(lines)
assert len(answers) == len(cases) + 1, answers
for (query, expected), got in zip(cases, answers):
    assert got == expected, (query, expected, got)
assert "invalid" in answers[-1], answers[-1]

dump = run(['["{a|b}*c"]', '["a|"]', '["[a-c]()"]', '["("]'], "--dump")
assert dump[0]["groups"] == 1 and dump[0]["slots"] == 1, dump[0]
assert len(dump[0]["program"]) == 27
assert dump[0]["program"][:3] == [["Call", 2], ["NextStart"], ["PushSlot", 0]], dump[0]
assert dump[0]["program"][18] == ["Char", 97] and dump[0]["program"][-1] == ["Accept"]
assert dump[1] == {"groups": 0, "slots": 0, "program": [["Call", 2], ["NextStart"], ["Accept"]]}
# Set bounds carry their operand; the Nop of an empty "()" has none.
assert dump[2]["program"][2:8] == [["InSet", 5], ["Nop", 97], ["Nop", 99], ["Call", 7], ["Backtrack"], ["Nop"]]
assert dump[3] == {"error": 3}
print("tool answers as expected")
