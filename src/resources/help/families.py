"""Entries of the instruction families that differ only by a condition or an operand size.

Each function returns a list of (keyword, lines) in the shape generate_help.py expects.
Keeping them as tables makes the 90 conditional forms and the sized mnemonics read alike and
keeps their facts (condition tests, opcodes, operand forms) in one place.
"""

import textwrap

WIDTH = 70
LABEL = 10  # "Operands: ", "Flags:    " ... so the values line up


def field(label, value):
    """One labelled line, or several when value is a list of lines."""
    values = value if isinstance(value, list) else [value]
    head = (label + ":").ljust(LABEL)
    return [head + values[0]] + [" " * LABEL + v for v in values[1:]]


def prose(text):
    return textwrap.wrap(text, WIDTH)


def example(lines):
    return field("Example", lines)


# --- conditions ---------------------------------------------------------------------------------

# cc: (what it tests in words, the flag test, low nibble of the opcode,
#      synonyms, a line that sets the flags, what the example's condition means)
CONDITIONS = {
    "a": ("above (unsigned >)", "CF=0 and ZF=0", 0x7, ["nbe"], "cmp ax, bx", "ax > bx, unsigned"),
    "ae": ("above or equal (unsigned >=)", "CF=0", 0x3, ["nb", "nc"], "cmp ax, bx",
           "ax >= bx, unsigned"),
    "b": ("below (unsigned <)", "CF=1", 0x2, ["c", "nae"], "cmp ax, bx", "ax < bx, unsigned"),
    "be": ("below or equal (unsigned <=)", "CF=1 or ZF=1", 0x6, ["na"], "cmp ax, bx",
           "ax <= bx, unsigned"),
    "c": ("carry", "CF=1", 0x2, ["b", "nae"], "add ax, bx", "the sum carried out"),
    "e": ("equal", "ZF=1", 0x4, ["z"], "cmp al, 0Dh", "al = 0Dh"),
    "g": ("greater (signed >)", "ZF=0 and SF=OF", 0xF, ["nle"], "cmp ax, bx",
          "ax > bx, signed"),
    "ge": ("greater or equal (signed >=)", "SF=OF", 0xD, ["nl"], "cmp ax, bx",
           "ax >= bx, signed"),
    "l": ("less (signed <)", "SF<>OF", 0xC, ["nge"], "cmp ax, bx", "ax < bx, signed"),
    "le": ("less or equal (signed <=)", "ZF=1 or SF<>OF", 0xE, ["ng"], "cmp ax, bx",
           "ax <= bx, signed"),
    "na": ("not above (unsigned <=)", "CF=1 or ZF=1", 0x6, ["be"], "cmp ax, bx",
           "ax <= bx, unsigned"),
    "nae": ("not above or equal (unsigned <)", "CF=1", 0x2, ["b", "c"], "cmp ax, bx",
            "ax < bx, unsigned"),
    "nb": ("not below (unsigned >=)", "CF=0", 0x3, ["ae", "nc"], "cmp ax, bx",
           "ax >= bx, unsigned"),
    "nbe": ("not below or equal (unsigned >)", "CF=0 and ZF=0", 0x7, ["a"], "cmp ax, bx",
            "ax > bx, unsigned"),
    "nc": ("no carry", "CF=0", 0x3, ["ae", "nb"], "shr al, 1", "al was even"),
    "ne": ("not equal", "ZF=0", 0x5, ["nz"], "cmp al, '$'", "al is not '$'"),
    "ng": ("not greater (signed <=)", "ZF=1 or SF<>OF", 0xE, ["le"], "cmp ax, bx",
           "ax <= bx, signed"),
    "nge": ("not greater or equal (signed <)", "SF<>OF", 0xC, ["l"], "cmp ax, bx",
            "ax < bx, signed"),
    "nl": ("not less (signed >=)", "SF=OF", 0xD, ["ge"], "cmp ax, bx", "ax >= bx, signed"),
    "nle": ("not less or equal (signed >)", "ZF=0 and SF=OF", 0xF, ["g"], "cmp ax, bx",
            "ax > bx, signed"),
    "no": ("no overflow", "OF=0", 0x1, [], "add ax, bx", "the signed sum fits"),
    "np": ("no parity (parity odd)", "PF=0", 0xB, ["po"], "test al, al",
           "al has odd parity"),
    "ns": ("no sign (not negative)", "SF=0", 0x9, [], "sub ax, bx", "ax - bx >= 0, signed"),
    "nz": ("not zero", "ZF=0", 0x5, ["ne"], "dec cx", "cx is not 0 yet"),
    "o": ("overflow", "OF=1", 0x0, [], "add ax, bx", "the sum overflowed"),
    "p": ("parity (parity even)", "PF=1", 0xA, ["pe"], "test al, al",
          "al has even parity"),
    "pe": ("parity even", "PF=1", 0xA, ["p"], "test al, al",
           "al has even parity"),
    "po": ("parity odd", "PF=0", 0xB, ["np"], "test al, al",
           "al has odd parity"),
    "s": ("sign (negative)", "SF=1", 0x8, [], "sub ax, bx", "ax - bx < 0, signed"),
    "z": ("zero", "ZF=1", 0x4, ["e"], "test al, 1", "bit 0 of al is 0"),
}


def synonyms(prefix, cc):
    names = [prefix + s for s in CONDITIONS[cc][3]]
    if not names:
        return ""
    return "Same instruction as " + " and ".join(names) + "."


def jcc(cc):
    what, test, nibble, _, setup, meaning = CONDITIONS[cc]
    name = "j" + cc
    lines = [f"{name}  -  Jump if {what}"]
    lines += prose(f"Jumps to the label when {test}. {synonyms('j', cc)}")
    lines += field("Forms", [f"{name} label   short, 2 bytes ({0x70 + nibble:02X}h), -128..+127",
                             f"{' ' * len(name)}         near, 4 bytes (0F {0x80 + nibble:02X}h), .386 only"])
    lines += prose("Without .386 a target out of short range is error 43h; with .jumps "
                   "or /j qvasm writes the inverse jump around a near jmp instead.")
    lines += field("Flags", "none changed")
    lines += example([setup, f"{name} there".ljust(23) + f"; taken when {meaning}"])
    return name, lines


def setcc(cc):
    what, test, nibble, _, setup, meaning = CONDITIONS[cc]
    name = "set" + cc
    lines = [f"{name}  -  Set byte if {what}"]
    lines += prose(f"Stores 1 in the byte operand when {test}, else 0. {synonyms('set', cc)}")
    lines += field("Operands", f"r/m8          (0F {0x90 + nibble:02X}h)")
    lines += field("Needs", ".386")
    lines += field("Flags", "none changed")
    lines += example([setup, f"{name} al".ljust(23) + f"; al = 1 when {meaning}"])
    return name, lines


def cmovcc(cc):
    what, test, nibble, _, setup, meaning = CONDITIONS[cc]
    name = "cmov" + cc
    lines = [f"{name}  -  Move if {what}"]
    lines += prose(f"dest := src when {test}; otherwise dest keeps its value. A memory "
                   f"source is read, and may fault, either way. {synonyms('cmov', cc)}")
    lines += field("Operands", f"r16,r/m16   r32,r/m32   (0F {0x40 + nibble:02X}h)")
    lines += field("Needs", [".586 or .x86: Pentium Pro and later",
                             "(cpuid function 1 reports it in EDX bit 15)"])
    lines += field("Flags", "none changed")
    lines += example([setup, f"{name} ax, bx".ljust(23) + f"; ax := bx when {meaning}"])
    return name, lines


def condition_entries():
    entries = []
    for make in (jcc, setcc, cmovcc):
        entries += [make(cc) for cc in sorted(CONDITIONS)]
    return entries


# --- sized mnemonics ----------------------------------------------------------------------------

SIZES = {
    "b": ("byte", "8", None),
    "w": ("word", "16", None),
    "d": ("dword", "32", ".386 (a 66h prefix selects 32 bits in 16-bit code)"),
}

ARITH = "OF SF ZF AF PF CF set from the result"
LOGIC = ["OF and CF cleared; SF ZF PF set from the result;", "AF undefined"]

# base: (title, effect, flags, example destination, example source)
BINARY = {
    "adc": ("Add with carry", "dest := dest + src + CF", ARITH, "[bx+2]", "0"),
    "add": ("Add", "dest := dest + src", ARITH, "[bx+si]", "1"),
    "and": ("Logical AND", "dest := dest AND src", LOGIC, "[bx]", "0Fh"),
    "cmp": ("Compare", "works out dest - src for the flags and keeps neither", ARITH,
            "[bp+4]", "0"),
    "mov": ("Move", "dest := src", "none changed", "[di]", "0"),
    "or": ("Logical OR", "dest := dest OR src", LOGIC, "[bx]", "80h"),
    "sbb": ("Subtract with borrow", "dest := dest - src - CF", ARITH, "[bx+2]", "0"),
    "sub": ("Subtract", "dest := dest - src", ARITH, "[si]", "1"),
    "test": ("Logical compare", "works out dest AND src for the flags and keeps neither",
             LOGIC, "[bx]", "1"),
    "xor": ("Exclusive OR", "dest := dest XOR src", LOGIC, "[bx]", "0FFh"),
}


def binary_operands(base, size):
    n = SIZES[size][1]
    if base == "test":
        ops = [f"r/m{n},r{n}   r/m{n},imm{n}"]
    elif base == "mov":
        ops = [f"r/m{n},r{n}   r{n},r/m{n}   r/m{n},imm{n}"]
        if size == "w":
            ops.append("r/m16,sreg   sreg,r/m16 (not cs)")
    else:
        ops = [f"r/m{n},r{n}   r{n},r/m{n}   r/m{n},imm{n}"]
        if size != "b":
            ops[0] += f"   r/m{n},imm8"
            ops.append("(imm8 is sign-extended)")
    return ops


# base: (title, effect per size, flags)
UNARY = {
    "inc": ("Increment", "dest := dest + 1",
            ["OF SF ZF AF PF set from the result;", "CF unchanged"]),
    "dec": ("Decrement", "dest := dest - 1",
            ["OF SF ZF AF PF set from the result;", "CF unchanged"]),
    "neg": ("Negate", "dest := 0 - dest (two's complement)",
            ["CF set unless the operand was 0;", "OF SF ZF AF PF set from the result"]),
    "not": ("Invert", "dest := NOT dest, every bit flipped", "none changed"),
}

MULDIV = {
    "mul": ("Unsigned multiply", {
        "b": "AX := AL * r/m8",
        "w": "DX:AX := AX * r/m16",
        "d": "EDX:EAX := EAX * r/m32",
    }, ["CF and OF set when the upper half of the product", "is not 0; SF ZF AF PF undefined"]),
    "imul": ("Signed multiply", {
        "b": "AX := AL * r/m8",
        "w": "DX:AX := AX * r/m16",
        "d": "EDX:EAX := EAX * r/m32",
    }, ["CF and OF set when the product does not fit its", "lower half; SF ZF AF PF undefined"]),
    "div": ("Unsigned divide", {
        "b": "AL := AX / r/m8, AH := the remainder",
        "w": "AX := DX:AX / r/m16, DX := the remainder",
        "d": "EAX := EDX:EAX / r/m32, EDX := the remainder",
    }, "OF SF ZF AF PF CF undefined"),
    "idiv": ("Signed divide", {
        "b": "AL := AX / r/m8, AH := the remainder",
        "w": "AX := DX:AX / r/m16, DX := the remainder",
        "d": "EAX := EDX:EAX / r/m32, EDX := the remainder",
    }, "OF SF ZF AF PF CF undefined"),
}

ONE_BIT = "OF defined for a count of 1 only"
SHIFT_FLAGS = ["CF = last bit shifted out; SF ZF PF from the result;", f"AF undefined; {ONE_BIT}"]
ROTATE_FLAGS = ["CF = last bit rotated out; SF ZF AF PF unchanged;", ONE_BIT]
CARRY_ROTATE_FLAGS = ["CF = last bit rotated into it; SF ZF AF PF", "unchanged; " + ONE_BIT]
SHIFTS = {
    "rcl": ("Rotate left through carry",
            "The operand and CF turn left as one value one bit longer than the operand.",
            CARRY_ROTATE_FLAGS),
    "rcr": ("Rotate right through carry",
            "The operand and CF turn right as one value one bit longer than the operand.",
            CARRY_ROTATE_FLAGS),
    "rol": ("Rotate left",
            "Bits leaving the top re-enter at the bottom; CF gets the last one.",
            ROTATE_FLAGS),
    "ror": ("Rotate right",
            "Bits leaving the bottom re-enter at the top; CF gets the last one.",
            ROTATE_FLAGS),
    "sal": ("Shift arithmetic left",
            "Zeros enter at the bottom: an unsigned or signed multiply by 2^count. "
            "The same instruction as shl.", SHIFT_FLAGS),
    "sar": ("Shift arithmetic right",
            "Copies of the sign bit enter at the top: a signed divide by 2^count that "
            "rounds toward minus infinity.", SHIFT_FLAGS),
    "shl": ("Shift logical left",
            "Zeros enter at the bottom: a multiply by 2^count. The same instruction as sal.",
            SHIFT_FLAGS),
    "shr": ("Shift logical right",
            "Zeros enter at the top: an unsigned divide by 2^count.", SHIFT_FLAGS),
}

BITTEST = {
    "bt": ("Bit test", "CF := the selected bit; the operand is left alone."),
    "btc": ("Bit test and complement", "CF := the selected bit, then the bit is inverted."),
    "btr": ("Bit test and reset", "CF := the selected bit, then the bit is cleared."),
    "bts": ("Bit test and set", "CF := the selected bit, then the bit is set."),
}


def sized_intro(base, name, size, effect, operands="x"):
    """The effect first, as in every entry, then how the dialect spells the size."""
    word = SIZES[size][0]
    spelled = operands.replace("x", f"{word} ptr x", 1)
    return prose(effect) + prose(f"The dialect's {word} form of {base}: {name} {operands} means "
                                 f"{base} {spelled}, so a memory operand needs no ptr.")


def needs(size, lines, base_needs=None):
    need = SIZES[size][2] or base_needs
    if need:
        lines += field("Needs", need)


def sized(base, size, title, intro, operands, flags, sample, base_needs=None):
    word = SIZES[size][0]
    name = base + size
    lines = [f"{name}  -  {title}, {word} size"] + intro
    lines += field("Operands", operands)
    needs(size, lines, base_needs)
    lines += field("Flags", flags)
    lines += example(f"{name} {sample}".ljust(23) + f"; = {base} {word} ptr {sample}")
    return name, lines


def sized_entries():
    entries = []
    for base, (title, effect, flags, dest, src) in BINARY.items():
        for size in "bwd":
            intro = sized_intro(base, base + size, size, effect, "x,y")
            entries.append(sized(base, size, title, intro, binary_operands(base, size), flags,
                                 f"{dest}, {src}"))
    for base, (title, effect, flags) in UNARY.items():
        for size in "bwd":
            n = SIZES[size][1]
            intro = sized_intro(base, base + size, size, effect)
            entries.append(sized(base, size, title, intro, f"r/m{n}", flags, "[bx]"))
    for base, (title, effects, flags) in MULDIV.items():
        for size in "bwd":
            n = SIZES[size][1]
            intro = sized_intro(base, base + size, size, effects[size])
            operands = [f"r/m{n}"]
            if base == "imul" and size != "b":
                operands = [f"r/m{n}   r{n},r/m{n} (.386)",
                            f"r{n},r/m{n},imm (.186)   r{n},imm (.186)"]
            if base in ("div", "idiv"):
                intro += prose("A zero divisor or a quotient too big for the result "
                               "register raises interrupt 0.")
            entries.append(sized(base, size, title, intro, operands, flags, "[bx]"))
    for base, (title, action, flags) in SHIFTS.items():
        for size in "bwd":
            name = base + size
            if name in ("shld", "shrd"):
                continue  # the double-precision shifts own these names
            n = SIZES[size][1]
            intro = sized_intro(base, name, size, action, "x,n")
            operands = [f"r/m{n},1   r/m{n},cl   r/m{n},imm8 (.186)",
                        "186+: count masked to 5 bits; count 0 changes nothing"]
            entries.append(sized(base, size, title, intro, operands, flags, "[bx], 1"))
    for base, (title, action) in BITTEST.items():
        intro = sized_intro(base, base + "w", "w", action, "x,n")
        intro += prose("A register bit offset with a memory operand may reach any bit of "
                       "the memory around it (signed offset); an immediate is taken mod 16.")
        entries.append(sized(base, "w", title, intro, "r/m16,r16   r/m16,imm8",
                             ["CF := the old bit; ZF unchanged;", "OF SF AF PF undefined"],
                             "[bx], 3", base_needs=".386"))
    entries += push_pop_entries() + extend_entries()
    return entries


def push_pop_entries():
    entries = []

    def entry(name, title, text, operands, need, sample, meaning):
        lines = [f"{name}  -  {title}"] + prose(text)
        lines += field("Operands", operands)
        if need:
            lines += field("Needs", need)
        lines += field("Flags", "none changed")
        lines += example(f"{name} {sample}".ljust(23) + f"; {meaning}")
        entries.append((name, lines))

    entry("pushb", "Push a byte immediate",
          "The dialect's push of an 8-bit immediate (opcode 6Ah): the value is "
          "sign-extended and pushed as a word, so pushb -1 pushes 0FFFFh.",
          "imm8 (-128..127)", ".186", "10", "push 000Ah, 2 bytes of code")
    entry("pushw", "Push a word",
          "The dialect's word form of push: SP := SP - 2, then the word is stored "
          "at ss:[sp]. A memory operand needs no word ptr.",
          ["r16   m16   sreg", "imm16 (.186)"], None, "[bx]", "= push word ptr [bx]")
    entry("pushd", "Push a dword",
          "The dialect's dword form of push: SP := SP - 4, then the dword is stored "
          "at ss:[sp]. A memory operand needs no dword ptr.",
          ["r32   m32   imm32   imm8 (sign-extended)"], SIZES["d"][2],
          "[bx]", "= push dword ptr [bx]")
    entry("popw", "Pop a word",
          "The dialect's word form of pop: the word at ss:[sp] is loaded, then "
          "SP := SP + 2. A memory operand needs no word ptr.",
          ["r16   m16   sreg (not cs)"], None, "[bx]", "= pop word ptr [bx]")
    entry("popd", "Pop a dword",
          "The dialect's dword form of pop: the dword at ss:[sp] is loaded, then "
          "SP := SP + 4. A memory operand needs no dword ptr.",
          ["r32   m32"], SIZES["d"][2], "[bx]", "= pop dword ptr [bx]")
    return entries


def extend_entries():
    entries = []
    for base, how in (("movsx", "sign"), ("movzx", "zero")):
        for size, word, dests in (("b", "byte", "r16,r/m8   r32,r/m8"),
                                  ("w", "word", "r32,r/m16")):
            name = base + size
            fill = "copies of its sign bit" if how == "sign" else "zeros"
            lines = [f"{name}  -  Move with {how} extension, {word} source"]
            lines += prose(f"The dialect's form of {base} with a {word} source: {name} r,x "
                           f"means {base} r, {word} ptr x. The source is widened with "
                           f"{fill}.")
            lines += field("Operands", dests)
            lines += field("Needs", ".386")
            lines += field("Flags", "none changed")
            reg = "ax" if size == "b" else "eax"
            lines += example(f"{name} {reg}, [si]".ljust(23) + f"; = {base} {reg}, {word} ptr [si]")
            entries.append((name, lines))
    return entries
