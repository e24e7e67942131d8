#!/usr/bin/env python3
"""Writes a 16-bit NASM source of ordinary DOS-program instructions (moves, arithmetic with
register, memory and immediate operands, short jumps, calls, string instructions, interrupts),
deterministic for a seed. Assembled with `nasm -f bin` it gives about 60 KB of real code that
the benchmark repeats up to the size it wants."""
import random
import sys

REG16 = ["ax", "bx", "cx", "dx", "si", "di", "bp", "sp"]
REG8 = ["al", "bl", "cl", "dl", "ah", "bh", "ch", "dh"]
BASES = ["bx", "si", "di", "bp", "bx+si", "bx+di", "bp+si", "bp+di"]
ALU = ["add", "sub", "and", "or", "xor", "cmp", "adc", "sbb"]
JCC = ["je", "jne", "jb", "jae", "jl", "jge", "jbe", "ja", "js", "jns"]
SIMPLE = ["cld", "std", "clc", "stc", "cbw", "cwd", "lodsb", "stosw", "movsb", "rep movsw",
          "rep stosb", "pushf", "popf", "ret", "nop", "xlatb", "lahf", "sahf"]


def mem(r):
    base = r.choice(BASES)
    disp = r.choice([0, r.randint(-128, 127), r.randint(0x80, 0x7FFF)])
    if disp == 0 and base != "bp":
        return "[%s]" % base
    return "[%s%+d]" % (base, disp) if -129 < disp < 128 else "[%s+0x%x]" % (base, disp)


def line(r):
    k = r.randint(0, 15)
    if k == 0:
        return "mov %s, 0x%x" % (r.choice(REG16), r.randint(0, 0xFFFF))
    if k == 1:
        return "mov %s, %s" % (r.choice(REG16), r.choice(REG16))
    if k == 2:
        return "mov %s, word %s" % (r.choice(REG16), mem(r))
    if k == 3:
        return "mov word %s, %s" % (mem(r), r.choice(REG16))
    if k == 4:
        return "mov byte %s, 0x%x" % (mem(r), r.randint(0, 255))
    if k == 5:
        return "%s %s, %d" % (r.choice(ALU), r.choice(REG16), r.randint(-128, 127))
    if k == 6:
        return "%s %s, 0x%x" % (r.choice(ALU), r.choice(REG16), r.randint(0x80, 0xFFFF))
    if k == 7:
        return "%s %s, %s" % (r.choice(ALU), r.choice(REG8), r.choice(REG8))
    if k == 8:
        return "%s word %s, %d" % (r.choice(ALU), mem(r), r.randint(-100, 100))
    if k == 9:
        return "%s short $+%d" % (r.choice(JCC), r.randint(2, 100))
    if k == 10:
        return "call $+%d" % r.randint(3, 3000)
    if k == 11:
        return "push %s\npop %s" % (r.choice(REG16), r.choice(REG16))
    if k == 12:
        return "int 0x%x" % r.choice([0x10, 0x13, 0x16, 0x21, 0x21, 0x21])
    if k == 13:
        return "inc %s\ndec %s" % (r.choice(REG16), r.choice(REG8))
    if k == 14:
        return "shl %s, 1\nshr %s, cl" % (r.choice(REG16), r.choice(REG8))
    return r.choice(SIMPLE)


def main():
    seed = int(sys.argv[1]) if len(sys.argv) > 1 else 1
    count = int(sys.argv[2]) if len(sys.argv) > 2 else 20000
    r = random.Random(seed)
    print("bits 16\norg 0x100")
    for _ in range(count):
        print(line(r))


if __name__ == "__main__":
    main()
