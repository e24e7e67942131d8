#!/usr/bin/env python3
"""Writes the same 16-bit DOS program in qvasm's dialect and in NASM syntax.

    gen_source.py LINES SEED OUT_QVASM OUT_NASM

The program is made of blocks of about 2,000 lines, each assembled at 100h (orgnf in qvasm,
a section with vstart in NASM) so that any number of lines fits the 64 KiB address space of a
.COM program. Each block holds what ordinary DOS sources hold: procedures with calls and
returns, short conditional jumps back and forth, near jumps, register and memory operands with
every addressing mode, immediates, string and word data, equates, comments and blank lines.
Deterministic for a given seed (its own generator, not Python's)."""
import sys


class Rng:
    """splitmix64: the same numbers on every Python."""

    def __init__(self, seed):
        self.state = seed & 0xFFFFFFFFFFFFFFFF

    def next(self):
        self.state = (self.state + 0x9E3779B97F4A7C15) & 0xFFFFFFFFFFFFFFFF
        z = self.state
        z = ((z ^ (z >> 30)) * 0xBF58476D1CE4E5B9) & 0xFFFFFFFFFFFFFFFF
        z = ((z ^ (z >> 27)) * 0x94D049BB133111EB) & 0xFFFFFFFFFFFFFFFF
        return z ^ (z >> 31)

    def below(self, n):
        return self.next() % n

    def pick(self, seq):
        return seq[self.below(len(seq))]


REG16 = ["ax", "bx", "cx", "dx", "si", "di", "bp"]
REG8 = ["al", "bl", "cl", "dl", "ah", "bh", "ch", "dh"]
ALU = ["add", "sub", "and", "or", "xor", "cmp", "adc", "sbb"]
JCC = ["je", "jne", "jc", "jnc", "jz", "jnz", "ja", "jb", "jl", "jg", "jle", "jge"]
ADDR = [("bx+si", "bx+si"), ("bx+di", "bx+di"), ("bp+si", "bp+si"), ("si", "si"), ("di", "di"),
        ("bx", "bx"), ("bp", "bp")]
BLOCK_LINES = 2000


def hexq(v):
    s = "%Xh" % v
    return "0" + s if s[0] in "ABCDEF" else s


def memory(rng, size):
    base_q, base_n = rng.pick(ADDR)
    disp = rng.below(200)
    word = {1: "byte", 2: "word"}[size]
    if disp:
        return ("%s ptr [%s+%s]" % (word, base_q, hexq(disp)),
                "%s [%s+0x%x]" % (word, base_n, disp))
    return "%s ptr [%s]" % (word, base_q), "%s [%s]" % (word, base_n)


def block(rng, b, q, n, budget):
    """One block of at most `budget` lines (it stops early rather than cut a procedure)."""
    start = len(q)

    def out(qline, nline=None):
        q.append(qline)
        n.append(qline if nline is None else nline)

    out("")
    out("        orgnf 100h", "section b%d vstart=0x100 follows=%s align=1" % (b, "b%d" % (b - 1) if b else "b"))
    out("; block %d" % b)
    k = rng.below(1000)
    out("cnt%d equ %d" % (b, k))
    out("v%d      dw 1234h" % b, "v%d      dw 0x1234" % b)
    out("m%d      db 'block %d text, with a ; and a '' quote',0" % (b, b),
        "m%d      db 'block %d text, with a ; and a ', 39, ' quote',0" % (b, b))
    label = 0
    while len(q) - start < min(BLOCK_LINES, budget) - 40:
        label += 1
        out("p%d_%d proc near" % (b, label), "p%d_%d:" % (b, label))
        for _ in range(rng.below(20) + 10):
            kind = rng.below(20)
            r16, r8 = rng.pick(REG16), rng.pick(REG8)
            if kind < 4:
                out("        %s %s, %s" % (rng.pick(ALU), r16, rng.pick(REG16)))
            elif kind < 6:
                mq, mn = memory(rng, 2)
                out("        mov %s, %s" % (r16, mq), "        mov %s, %s" % (r16, mn))
            elif kind < 8:
                mq, mn = memory(rng, 1)
                out("        mov %s, %s" % (mq, r8), "        mov %s, %s" % (mn, r8))
            elif kind < 10:
                v = rng.below(0x10000)
                op = rng.pick(ALU)
                out("        %s %s, %s" % (op, r16, hexq(v)), "        %s %s, 0x%x" % (op, r16, v))
            elif kind == 10:
                out("        mov ax, v%d" % b, "        mov ax, [v%d]" % b)
            elif kind == 11:
                out("        mov dx, offset m%d" % b, "        mov dx, m%d" % b)
            elif kind == 12:
                out("        mov ah, 9")
                out("        int 21h", "        int 0x21")
            elif kind == 13:
                out("        push %s" % r16)
                out("        pop %s" % r16)
            elif kind == 14:
                out("        %s p%d_%d" % (rng.pick(JCC), b, label))
            elif kind == 15:
                out("        ; a comment line, as sources have many")
            elif kind == 16:
                out("")
            elif kind == 17:
                out("        inc %s" % r16)
                out("        shl %s, 1" % r8)
            elif kind == 18:
                if label > 1:
                    out("        call p%d_%d" % (b, label - 1))
            else:
                out("        mov cx, cnt%d" % b)
        out("        jmp short q%d_%d" % (b, label))
        out("q%d_%d:  ret" % (b, label))
        out("p%d_%d endp" % (b, label), "")


def main():
    total, seed, out_q, out_n = int(sys.argv[1]), int(sys.argv[2]), sys.argv[3], sys.argv[4]
    rng = Rng(seed)
    q = [".model tiny", ".code", ".386", "        org 100h", "        nop"]
    n = ["bits 16", "cpu 386", "section b vstart=0x100 align=1", "", "        nop"]
    b = 0
    while total - 1 - len(q) > 60:
        block(rng, b, q, n, total - 1 - len(q))
        b += 1
    while len(q) < total - 1:
        q.append("; padding")
        n.append("; padding")
    q.append(".end")
    n.append("")
    with open(out_q, "w", newline="") as f:
        f.write("\r\n".join(q) + "\r\n")
    with open(out_n, "w") as f:
        f.write("\n".join(n) + "\n")


if __name__ == "__main__":
    main()
