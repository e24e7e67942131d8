#!/usr/bin/env python3
"""Writes a jump-heavy 16-bit program in qvasm's dialect and in NASM syntax.

    gen_jumps.py LABELS SEED CPU OUT_QVASM OUT_NASM        (CPU: 8086 or 386)

LABELS labels, each followed by a few instructions of assorted lengths and one jump to another
label: forward and backward, conditional and unconditional, most of them near enough for the
short form, some just past its reach, some far away. Under 8086 a conditional jump has no near
form, so its target stays within short reach whatever the sizes; under 386 it goes anywhere.
Plain "jmp" carries no distance, so the assembler picks the size: the point of the program.
Deterministic for a given seed (the generator of gen_source.py)."""
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from gen_source import Rng  # noqa: E402

JCC = ["je", "jne", "jc", "jnc", "ja", "jb", "jl", "jg", "jle", "jge", "js", "jns"]
# (qvasm, nasm, bytes): fillers between the labels.
FILLERS = [
    ("nop", "nop", 1),
    ("inc ax", "inc ax", 1),
    ("add bx, cx", "add bx, cx", 2),
    ("mov ax, 1234h", "mov ax, 0x1234", 3),
    ("mov word ptr [bx+si+10h], dx", "mov word [bx+si+0x10], dx", 3),
    ("add word ptr [bx], 1234h", "add word [bx], 0x1234", 4),
    ("mov word ptr [di+1234h], 5678h", "mov word [di+0x1234], 0x5678", 6),
]
MAX_UNIT = 3 * 6 + 5  # fillers plus the longest jump


def generate(labels, seed, cpu):
    rng = Rng(seed)
    q = [".model tiny", ".code", "." + cpu, "        org 100h"]
    n = ["bits 16", "cpu " + cpu, "org 0x100"]
    reach = 127 // MAX_UNIT  # labels a conditional jump may span under 8086
    for i in range(labels):
        q.append("L%d:" % i)
        n.append("L%d:" % i)
        for _ in range(rng.below(4)):
            fq, fn, _size = rng.pick(FILLERS)
            q.append("        " + fq)
            n.append("        " + fn)
        kind = rng.below(10)
        if kind < 5:
            span = rng.below(12) + 1  # near: mostly short, some just past reach
        elif kind < 7:
            span = rng.below(3) + 1  # very near, down to the next label
        else:
            span = rng.below(labels)  # anywhere
        forward = rng.below(2) == 0
        conditional = rng.below(2) == 0
        if conditional and cpu == "8086":
            span = min(span, reach)
        target = i + span if forward else i - span + 1
        target = max(0, min(labels, target))
        name = "L%d" % target if target < labels else "done"
        op = rng.pick(JCC) if conditional else "jmp"
        q.append("        %s %s" % (op, name))
        n.append("        %s %s" % (op, name))
    q.append("done:   ret")
    n.append("done:   ret")
    q.append(".end")
    return q, n


def main():
    labels, seed, cpu, out_q, out_n = (int(sys.argv[1]), int(sys.argv[2]), sys.argv[3],
                                       sys.argv[4], sys.argv[5])
    q, n = generate(labels, seed, cpu)
    with open(out_q, "w", newline="") as f:
        f.write("\r\n".join(q) + "\r\n")
    with open(out_n, "w") as f:
        f.write("\n".join(n) + "\n")


if __name__ == "__main__":
    main()
