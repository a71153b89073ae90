#!/usr/bin/env python3
"""Differential tester: runs random Ulvane scripts through two ulvane binaries and compares
their standard output, standard error and exit status byte for byte.

    fuzz/differential.py OLD_BINARY NEW_BINARY --count 5000 --seed 1 [--keep DIR]

The scripts look like real ones (counters, nested loops, totals, prints) and lean on what
the evaluator remembers between passes of a loop: many ifs per pass whose && and || are
decided by the left side on some passes and not on others, right sides that divide by a
value that turns zero only on a later pass, names found late, NaN, inf and -0. A share of
them is faulty: syntax errors in bodies reached only on some pass, undefined names in
branches, division by zero, a full variable table, unclosed braces, stray tokens.

Script number N of seed S is always the same script: `--show N` prints it.
Exits 1 when the two binaries differed on any script, 0 otherwise.
"""

import argparse
import os
import random
import re
import shutil
import subprocess
import sys
import tempfile

H = "1" + "0" * 62  # 1e62 as a 63-character literal: h*h*h*h*h overflows to inf

NAMES = [
    "total", "count", "sum", "x", "y", "z", "a", "b", "c", "d", "acc", "prev", "next_value",
    "limit", "step", "rate", "score", "best", "worst", "delta", "guess", "low", "high", "mid",
    "area", "width", "height", "value", "temp", "flag", "found", "odd", "even", "result",
    "product", "ratio", "scale", "offset", "level", "depth", "size", "left", "right",
    "remainder", "quotient", "power", "base", "factor", "span", "weight", "price", "amount",
    "last", "first", "t", "u", "v", "w", "p", "q", "Total", "_tmp", "n2", "x_1", "avg",
]
COUNTERS = ["i", "j", "k", "n", "m", "row", "col", "pass", "round_", "tick", "r", "s",
            "outer", "inner", "idx", "step_no", "day", "lap"]
STRINGS = ["total", "x =", "", " ", "value:", "done", "a\\tb", "quote \\\"", "back\\\\slash",
           "\\q", "line\\nbreak", "nel ", "NEL", "ne", "sum is", "->", "|", "ok", "fail",
           "inf", "nan", "-0", "1e+06", "=", "  two  spaces", "end\\n", ";", "(", "}",
           "# not a comment", "é", "pass"]
NUMBERS_NONZERO = ["1", "2", "3", "4", "5", "7", "10", "12", "0.5", ".5", "5.", "007",
                   "1.50", "100", "0.1", "0.2", "0.25", "3.14159", "1000000", "123456789",
                   "0.00001", "4503599627370496", "9007199254740993", "2.5", "1.0", "64",
                   "1000", "0.001", "999999", H]
NUMBERS_ZERO = ["0", "0.0", "00", ".0", "000.000"]
COMMENTS = ["running total", "next pass", "guard", "count down", "keep going", "edge case",
            "why not", "see above", "TODO tidy", "nan is true", "-0 is false", "x", ""]

MARK = "@@"  # instrumented runs print @@B<id>@@, @@C<id>@@, @@E<id>@@; no script text has @@


class Line:
    """One statement line (possibly spanning several physical lines through "\\n" tokens)."""

    def __init__(self, indent, toks, tag=None, loop=None, protect=False):
        self.indent = indent
        self.toks = list(toks)
        self.tag = tag          # "open" (a while header), "close" (its "}"), None
        self.loop = loop        # loop id for open/close
        self.protect = protect  # lines that keep loops bounded are never mutated
        self.comment = None


def render_tokens(toks, indent):
    out = []
    prev = None
    for t in toks:
        if t == "\n":
            out.append("\n" + "  " * (indent + 2))
            prev = None
            continue
        text = {"u-": "-", "u!": "!"}.get(t, t)
        if prev is None:
            sep = ""
        elif prev in ("u-", "u!"):
            sep = " " if text[:1] in ("=", "-") or prev == text else ""
        elif prev == "(":
            sep = ""
        elif text in (")", ",", ";"):
            sep = ""
        elif prev == "print" and text == "(":
            sep = ""
        else:
            sep = " "
        out.append(sep + text)
        prev = t
    return "".join(out)


class Generator:
    def __init__(self, rng, faulty):
        self.r = rng
        self.faulty = faulty
        self.lines = []
        self.frames = [{}]          # name -> kind, innermost last
        self.loops = []             # enclosing loops: dicts with counter, kind, start, bound, id
        self.mult = 1               # most passes the current point can run
        self.var_execs = 0          # most var statements that can run
        self.tokens = 0
        self.loop_ids = 0
        self.slots = []             # (index into lines, indent, context) where faults may go
        self.predecls = []          # Lines declared at the top after the first declarations
        self.tail = []              # Lines added at the end
        self.used = set()
        self.header = None
        self.nel = False
        self.fault_kinds = []
        self.expect_later = False

    # ---- names -------------------------------------------------------------------------
    def fresh(self, pool):
        for _ in range(50):
            name = self.r.choice(pool)
            if name not in self.used:
                self.used.add(name)
                return name
        n = 1
        while True:
            name = f"{self.r.choice(pool)}{n}"
            if name not in self.used:
                self.used.add(name)
                return name
            n += 1

    def defined(self, kinds=None):
        out = {}
        for frame in self.frames:
            out.update(frame)
        if kinds is None:
            return list(out)
        return [n for n, k in out.items() if k in kinds]

    def declare(self, name, kind):
        self.frames[-1][name] = kind

    def counters(self):
        return [loop for loop in self.loops]

    def safe_divisors(self):
        names = self.defined(("const",))
        for frame in self.frames:
            for n, k in frame.items():
                if isinstance(k, tuple) and k[0] == "up" and k[1] >= 1:
                    names.append(n)
        for loop in self.loops:
            if loop["kind"] == "down":
                names.append(loop["counter"])
        return names

    # ---- emitting ----------------------------------------------------------------------
    def emit(self, indent, toks, **kw):
        line = Line(indent, toks, **kw)
        self.lines.append(line)
        self.tokens += sum(1 for t in toks if t != "\n")
        if self.r.random() < 0.04:
            line.comment = self.r.choice(COMMENTS)
        return line

    def slot(self, indent):
        ctx = {
            "loops": [dict(l) for l in self.loops],
            "names": self.defined(),
            "assignable": self.assignable(),
            "mult": self.mult,
        }
        self.slots.append((len(self.lines), indent, ctx))

    def assignable(self):
        return self.defined(("num", "str"))

    # ---- expressions -------------------------------------------------------------------
    def number(self, nonzero=False):
        if not nonzero and self.r.random() < 0.12:
            return self.r.choice(NUMBERS_ZERO)
        return self.r.choice(NUMBERS_NONZERO[:20] if self.r.random() < 0.8 else NUMBERS_NONZERO)

    def operand_name(self):
        names = self.defined()
        loops = self.loops
        if loops and self.r.random() < 0.45:
            return self.r.choice(loops)["counter"]
        return self.r.choice(names) if names else None

    def primary(self, d, cond):
        roll = self.r.random()
        if d > 0 and roll < 0.16:
            return ["("] + self.e_or(d - 1, cond) + [")"]
        name = self.operand_name()
        if roll < 0.55 and name:
            return [name]
        return [self.number()]

    def unary(self, d, cond):
        roll = self.r.random()
        if roll < 0.1:
            return ["u-"] + self.unary(d, cond)
        if roll < (0.2 if cond else 0.14):
            return ["u!"] + self.unary(d, cond)
        return self.primary(d, cond)

    def divisor(self, d):
        r = self.r
        if self.faulty and r.random() < 0.1:
            unsafe = []
            names = self.defined()
            if names:
                unsafe.append([r.choice(names)])
            for loop in self.loops:
                k = r.randint(loop["start"], max(loop["start"], loop["bound"]))
                unsafe.append(["(", loop["counter"], "-", str(k), ")"])
            if r.random() < 0.15:
                unsafe.append([r.choice(NUMBERS_ZERO)])
                unsafe.append(["u-", "0"])
            if unsafe:
                return r.choice(unsafe)
        roll = r.random()
        safe = self.safe_divisors()
        if roll < 0.45 or not safe:
            if roll < 0.1 and self.loops:
                loop = r.choice(self.loops)
                if loop["kind"] == "up" and loop["start"] >= 0:
                    return ["(", loop["counter"], "+", "1", ")"]
            return [self.number(nonzero=True)]
        if roll < 0.85:
            return [r.choice(safe)]
        if roll < 0.92:
            return ["u-", r.choice(safe)]
        return ["(", r.choice(safe), "*", self.number(nonzero=True), ")"]

    def e_mul(self, d, cond):
        toks = self.unary(d, cond)
        while self.r.random() < 0.3:
            if self.r.random() < 0.45:
                toks += ["/"] + self.divisor(d)
            else:
                toks += ["*"] + self.unary(d, cond)
        return toks

    def e_add(self, d, cond):
        toks = self.e_mul(d, cond)
        while self.r.random() < 0.35:
            toks += [self.r.choice(["+", "-"])] + self.e_mul(d, cond)
        return toks

    def e_cmp(self, d, cond):
        toks = self.e_add(d, cond)
        while self.r.random() < (0.6 if cond else 0.12):
            toks += [self.r.choice(["==", "!=", ">", "<", "<", ">"])] + self.e_add(d, cond)
            if self.r.random() < 0.7:
                break
        return toks

    def atom(self, d):
        """A condition piece that tends to go one way on some passes and the other on others."""
        r = self.r
        roll = r.random()
        if self.loops and roll < 0.5:
            loop = r.choice(self.loops)
            c = loop["counter"]
            k = self.pass_value(loop)
            form = r.randrange(6)
            if form == 0:
                return [c, "==", k]
            if form == 1:
                return [c, ">", k]
            if form == 2:
                return [c, "<", k]
            if form == 3:
                return ["u!", "(", c, ">", k, ")"]
            if form == 4:
                return [c, "!=", k]
            return [c, "*", "2", ">", k, "+", "1"]
        if roll < 0.55:
            name = self.operand_name()
            if name:
                return [name, r.choice(["==", "!="]), name]  # false/true only for NaN
        return self.e_cmp(d, True)

    def pass_value(self, loop):
        lo, hi = loop["start"], loop["bound"]
        if loop["kind"] == "float":
            return self.r.choice(["0.5", "1", "1.5", "0.25"])
        return str(self.r.randint(min(lo, hi), max(lo, hi)))

    def e_and(self, d, cond):
        toks = self.atom(d) if cond and self.r.random() < 0.6 else self.e_cmp(d, cond)
        while self.r.random() < (0.4 if cond else 0.1):
            part = self.atom(d) if cond and self.r.random() < 0.6 else self.e_cmp(d, cond)
            if d > 0 and self.r.random() < 0.25:
                part = ["("] + self.e_or(d - 1, cond) + [")"]
            toks += ["&&"] + part
        return toks

    def e_or(self, d, cond=False):
        toks = self.e_and(d, cond)
        while self.r.random() < (0.35 if cond else 0.08):
            part = self.e_and(d, cond)
            if d > 0 and self.r.random() < 0.25:
                part = ["u!"] * self.r.randint(0, 1) + ["("] + self.e_or(d - 1, cond) + [")"]
            toks += ["||"] + part
        if d > 0 and self.r.random() < 0.1:
            toks = ["u!", "("] + toks + [")"]
        return toks

    def expression(self, cond=False):
        # mostly short, now and then long; the length is capped by drawing again
        cap = self.r.choice([6, 10, 14, 20, 30, 45] if cond else [3, 6, 10, 16, 30])
        for _ in range(8):
            toks = self.e_or(self.r.randint(1, 3), cond)
            if len(toks) <= cap:
                break
        if len(toks) > 6 and self.r.random() < 0.05:
            at = self.r.randrange(1, len(toks))
            toks.insert(at, "\n")  # an expression over two lines
        return toks

    # ---- statements --------------------------------------------------------------------
    def print_args(self):
        r = self.r
        args = []
        for _ in range(r.choice([0, 1, 1, 2, 2, 3, 3, 4, 5, 6, 8, 10])):
            roll = r.random()
            names = self.defined()
            if roll < 0.4 and names:
                args.append(r.choice(names) if r.random() < 0.7 or not self.loops
                            else r.choice(self.loops)["counter"])
            elif roll < 0.75:
                args.append('"' + r.choice(STRINGS) + '"')
            else:
                args.append(self.number())
        if r.random() < 0.12:
            args.insert(r.randint(0, len(args)), '"nel"')
        if self.nel and r.random() < 0.5:
            args.append('"\\n"')
        toks = ["print", "("]
        for i, a in enumerate(args):
            if i:
                toks.append(",")
            toks.append(a)
        return toks + [")", ";"]

    def st_print(self, indent):
        self.emit(indent, self.print_args())

    def st_assign(self, indent):
        r = self.r
        targets = self.assignable()
        if not targets:
            return self.st_print(indent)
        name = r.choice(targets)
        if r.random() < 0.1:
            self.emit(indent, [name, "=", '"' + r.choice(STRINGS + ["nel"]) + '"', ";"])
            return
        roll = r.random()
        if roll < 0.25:
            # running values: totals, growth towards inf, halving towards 0
            other = self.operand_name() or "1"
            op = r.choice(["+", "+", "-", "*"])
            rhs = [name, op, other] if op != "*" else [name, "*", r.choice(["2", "1.5", "10", H])]
            if r.random() < 0.2:
                rhs = [name, "/", r.choice(["2", "10", H])]
            self.emit(indent, [name, "="] + rhs + [";"])
            return
        self.emit(indent, [name, "="] + self.expression() + [";"])

    def st_var(self, indent):
        r = self.r
        if not self.faulty and self.var_execs + self.mult > 240:
            return self.st_assign(indent)
        self.var_execs += self.mult
        if r.random() < 0.2 and self.defined():
            name = r.choice(self.defined())  # declared again: ignored
            kind = None
        else:
            name = self.fresh(NAMES)
            kind = "num"
        if r.random() < 0.15:
            value = ['"' + r.choice(STRINGS) + '"']
            kind = kind and "str"
        else:
            value = self.expression()
        self.emit(indent, ["var", name, "="] + value + [";"])
        if kind:
            self.declare(name, kind)

    def st_guarded_division(self, indent):
        r = self.r
        names = self.defined()
        targets = self.assignable()
        if not names or not targets:
            return self.st_assign(indent)
        g = r.choice(names)
        t = r.choice(targets)
        self.emit(indent, ["if", "(", g, "!=", "0", ")", "{"])
        self.emit(indent + 1, [t, "=", self.operand_name() or "1", "/", g, ";"])
        self.emit(indent, ["}"])

    def st_if(self, indent, depth):
        self.emit(indent, ["if", "("] + self.expression(cond=True) + [")", "{"])
        self.frames.append({})
        self.block(indent + 1, depth + 1, self.r.randint(0, 4 if depth < 3 else 2))
        self.frames.pop()
        self.emit(indent, ["}"])

    def st_while(self, indent, depth):
        r = self.r
        budget = 2500 // self.mult
        if budget < 2:
            return self.st_if(indent, depth)
        kind = r.choice(["up", "up", "up", "down", "float"])
        counter = self.fresh(COUNTERS)
        if kind == "up":
            start = r.choice([0, 0, 1, 1, 2])
            passes = r.randint(1, min(budget, r.choice([4, 6, 10, 20, 40, 300])))
            bound = start + passes
            init, step = str(start), ["+", "1"]
            conds = [[counter, "<", str(bound)], [counter, "!=", str(bound)],
                     [str(bound), ">", counter], ["u!", "(", counter, ">", str(bound - 1), ")"],
                     [counter, "+", "1", "<", str(bound + 1)], [counter, "<", str(bound), "||", "0"]]
            cond = r.choice(conds)
            info = {"counter": counter, "kind": "up", "start": start, "bound": bound}
            self_kind = ("up", start)
        elif kind == "down":
            passes = r.randint(1, min(budget, r.choice([3, 5, 8, 12, 50])))
            start = passes
            init, step = str(start), ["-", "1"]
            cond = r.choice([[counter, ">", "0"], [counter, "!=", "0"], [counter]])
            info = {"counter": counter, "kind": "down", "start": 0, "bound": start}
            self_kind = "down"
        else:
            q = r.choice(["0.5", "0.25", "0.1"])
            top = r.choice([1, 2, 3])
            passes = int(top / float(q)) + 2
            if passes > budget:
                return self.st_if(indent, depth)
            start = 0
            init, step = "0", ["+", q]
            cond = [counter, "<", str(top)]
            info = {"counter": counter, "kind": "float", "start": 0, "bound": top}
            self_kind = "float"
        if kind != "float" and self.r.random() < 0.3:
            # an extra condition can only end the loop earlier
            cond = cond + ["&&"] + (["("] + self.expression(cond=True) + [")"])
        if self.faulty and kind == "up" and passes > 2 and r.random() < 0.25:
            k = r.randint(start + 1, bound - 1)
            cond = cond + ["&&", "1", "/", "(", str(k), "-", counter, ")"]
            self.fault_kinds.append("condition")
        # declare (top level) or reset (inside a body) the counter
        if indent == 0 and r.random() < 0.7:
            self.emit(0, ["var", counter, "=", init, ";"], protect=True)
            self.var_execs += 1
        else:
            self.predecls.append(Line(0, ["var", counter, "=", init, ";"], protect=True))
            self.var_execs += 1
            if indent > 0:
                self.emit(indent, [counter, "=", init, ";"], protect=True)
        self.declare(counter, self_kind)
        self.loop_ids += 1
        lid = self.loop_ids
        info["id"] = lid
        self.emit(indent, ["while", "("] + cond + [")", "{"], tag="open", loop=lid, protect=True)
        self.loops.append(info)
        outer_mult = self.mult
        self.mult *= passes + 1
        self.frames.append({})
        self.block(indent + 1, depth + 1, r.randint(1, 7))
        self.frames.pop()
        self.emit(indent + 1, [counter, "=", counter] + step + [";"], protect=True)
        self.loops.pop()
        self.mult = outer_mult
        self.emit(indent, ["}"], tag="close", loop=lid, protect=True)

    def statement(self, indent, depth):
        r = self.r
        roll = r.random()
        if self.tokens > 1800:
            return self.st_assign(indent)
        if depth >= 6 or (depth >= 3 and roll < 0.55 and r.random() < 0.5):
            roll = 0.55 + 0.3 * r.random()  # deep down, no more blocks
        if depth == 0 and r.random() < 0.4:
            self.st_while(indent, depth)  # scripts are mostly loops
        elif roll < 0.25:
            self.st_if(indent, depth)
        elif roll < 0.35 and depth < 4:
            self.st_while(indent, depth)
        elif roll < 0.55:
            self.st_assign(indent)
        elif roll < 0.72:
            self.st_print(indent)
        elif roll < 0.8:
            self.st_var(indent)
        elif roll < 0.83:
            self.st_guarded_division(indent)
        else:
            self.st_assign(indent)

    def block(self, indent, depth, n):
        for _ in range(n):
            self.slot(indent)
            self.statement(indent, depth)
        self.slot(indent)

    # ---- whole scripts -----------------------------------------------------------------
    def declarations(self):
        r = self.r
        if r.random() < 0.35:
            self.emit(0, ["var", "h", "=", H, ";"])
            self.emit(0, ["var", "huge", "=", "h", "*", "h", "*", "h", "*", "h", "*", "h", ";"])
            self.emit(0, ["var", "nan", "=", "huge", "-", "huge", ";"])
            self.emit(0, ["var", "mz", "=", "u-", "0", ";"])
            self.used.update(["h", "huge", "nan", "mz"])
            self.declare("h", "const")
            self.declare("huge", "const")
            self.declare("nan", "const")
            self.declare("mz", "num")
            self.var_execs += 4
        for _ in range(r.randint(2, 8)):
            name = self.fresh(NAMES)
            roll = r.random()
            self.var_execs += 1
            if roll < 0.25:
                self.emit(0, ["var", name, "=", self.number(nonzero=True), ";"])
                self.declare(name, "const")
            elif roll < 0.4:
                self.emit(0, ["var", name, "=", '"' + r.choice(STRINGS) + '"', ";"])
                self.declare(name, "str")
            else:
                self.emit(0, ["var", name, "="] + self.expression() + [";"])
                self.declare(name, "num")

    def generate(self):
        r = self.r
        if r.random() < 0.15:
            self.nel = True
            pre = []
            if r.random() < 0.3:
                pre.append("#!/usr/bin/env ulvane")
            if r.random() < 0.3:
                pre.append("# " + r.choice(COMMENTS))
            opts = r.choice(["nel", "nel", "nel", "x,nel", "nelson", "ne l"])
            if "nel" not in opts:
                self.nel = False
            self.header = pre + ["sg<" + opts + ">"]
        elif r.random() < 0.04:
            self.header = [r.choice(["sg<>", "sg<utf8>", "  sg<n>"])]
        self.declarations()
        head = len(self.lines)
        self.block(0, 0, r.randint(2, 8))
        if r.random() < 0.6:
            self.st_print(0)
        # inner counters are declared with the first declarations
        self.lines[head:head] = self.predecls
        self.slots = [(i + len(self.predecls) if i >= head else i, ind, ctx)
                      for i, ind, ctx in self.slots]
        if self.faulty:
            self.plant_faults()
        self.lines += self.tail
        # now and then two short statements share a line
        for prev, line in zip(self.lines, self.lines[1:]):
            if simple(prev) and simple(line) and prev.indent == line.indent:
                line.join_prev = self.r.random() < 0.08
        return self

    # ---- faults ------------------------------------------------------------------------
    def bad_statement(self, ctx):
        """A statement that is wrong when it runs, either by its form or by its values."""
        r = self.r
        names = ctx["names"] or ["x"]
        target = r.choice(ctx["assignable"] or names)
        name = r.choice(names)
        forms = [
            ["print", "(", name, name, ")", ";"],
            ["print", "(", name, ",", ")", ";"],
            ["print", "(", name, "+", "1", ")", ";"],
            ["print", "(", "u-", "5", ")", ";"],
            ["print", "(", '"a"', ";"],
            ["print", '"a"', ")", ";"],
            [target, "=", name, "+", ";"],
            [target, "=", name, "<=", "2", ";"],
            [target, "=", name, ">=", "2", ";"],
            [target, "=", "(", name, "+", "1", ";"],
            [target, "=", name, ")", ";"],
            [target, "=", name],
            [target, "=", name, "*", "*", "2", ";"],
            [target, "==", name, ";"],
            [target, name, ";"],
            [target, ";"],
            ["else", "{", "}"],
            ["return", name, ";"],
            ["function", "f", "(", ")", "{", "}"],
            ["var", "=", "1", ";"],
            ["var", "5", "=", "1", ";"],
            ["var", target, name, ";"],
            ["if", name, ">", "1", "{", "}"],
            ["if", "(", name, ")", "print", "(", name, ")", ";"],
            ["while", name, "{", "}"],
            [")", ";"],
            [",", name, ";"],
            ["print", "(", name, ")"],
            [target, "=", name, "+", "1", "print", "(", ")", ";"],
            [target, "=", '"s"', "+", "1", ";"],
        ]
        runtime = [
            [target, "=", name, "/", r.choice(NUMBERS_ZERO), ";"],
            [target, "=", name, "/", "u-", "0", ";"],
            [target, "=", name, "/", "(", name, "-", name, ")", ";"],
            [target, "=", "nope", "+", "1", ";"],
            ["undefined_name", "=", "1", ";"],
            ["print", "(", name, ",", "missing", ")", ";"],
            [target, "=", "1", "+", '"two"', ";"],
            [target, "=", name, "&&", '"s"', ";"],
            ["var", "fresh_one", "=", "fresh_one", "+", "1", ";"],
            ["if", "(", "0", "&&", "ghost", ")", "{", "}"],
            ["if", "(", "1", "||", name, "/", "0", ")", "{", "}"],
        ]
        return forms, runtime

    def guard_for(self, ctx, later=True):
        loop = self.r.choice(ctx["loops"])
        c = loop["counter"]
        if loop["kind"] == "up":
            lo = loop["start"] + 1 if later and loop["bound"] > loop["start"] + 1 else loop["start"]
            k = self.r.randint(lo, max(lo, loop["bound"] - 1))
            return [c, "==", str(k)] if self.r.random() < 0.7 else [c, ">", str(k - 1)]
        if loop["kind"] == "down":
            k = self.r.randint(1, max(1, loop["bound"] - 1))
            return [c, "==", str(k)]
        return [c, ">", self.r.choice(["0.2", "0.6", "1"])]

    def plant_faults(self):
        r = self.r
        kinds = ["syntax", "runtime", "decided", "fuse", "vars", "late", "mutate", "lexer",
                 "unclosed", "header", "tokens", "stray"]
        weights = [16, 14, 12, 10, 4, 5, 20, 3, 4, 2, 1, 4]
        inserts = []  # (index, [Line]): lines inserted at slots, last ones first
        top = []      # lines put before everything else
        loop_slots = [s for s in self.slots if s[2]["loops"]]
        top_slots = [s for s in self.slots if s[1] == 0]
        for _ in range(1 if r.random() < 0.8 else 2):
            kind = r.choices(kinds, weights)[0]
            self.fault_kinds.append(kind)
            if kind in ("syntax", "runtime", "decided", "fuse", "late") and loop_slots:
                index, indent, ctx = r.choice(loop_slots)
            else:
                index, indent, ctx = r.choice(self.slots)
            names = ctx["names"] or ["1"]
            targets = ctx["assignable"] or ["x"]
            new = []
            if kind in ("syntax", "runtime"):
                forms, runtime = self.bad_statement(ctx)
                bad = r.choice(forms if kind == "syntax" else runtime)
                if ctx["loops"] and r.random() < 0.85:
                    guard = self.guard_for(ctx)
                    if r.random() < 0.15:
                        guard = ["("] + guard + [")", "&&", r.choice(["1", "nan", "2"])]
                        guard = [g for g in guard if g != "nan" or "nan" in names]
                    new = [Line(indent, ["if", "("] + guard + [")", "{"]),
                           Line(indent + 1, bad), Line(indent, ["}"])]
                else:
                    new = [Line(indent, bad)]
            elif kind == "decided":
                # the left side decides on every pass; the right one fails on one of them
                if ctx["loops"]:
                    loop = r.choice(ctx["loops"])
                    div = ["(", loop["counter"], "-", self.pass_value(loop), ")"]
                else:
                    div = [r.choice(NUMBERS_ZERO)]
                name = r.choice(names)
                left_or = r.choice([["1"], ["u!", "0"], [name, "==", name, "||", "1"]])
                left_and = r.choice([["0"], ["u!", "1"], ["u-", "0"]])
                if r.random() < 0.5:
                    cond = ["("] + left_or + [")", "||", name, "/"] + div + [">", "1"]
                else:
                    cond = left_and + ["&&", "(", name, "/"] + div + ["<", "2", ")"]
                if r.random() < 0.5:
                    new = [Line(indent, ["if", "("] + cond + [")", "{"]),
                           Line(indent + 1, self.print_args()), Line(indent, ["}"])]
                else:
                    new = [Line(indent, [r.choice(targets), "="] + cond + [";"])]
            elif kind == "fuse":
                # a count that reaches zero on some pass, and a division by it
                fuse = self.fresh(["fuse", "countdown", "left_over", "budget"])
                top.append(Line(0, ["var", fuse, "=", str(r.randint(1, max(1, min(60, ctx["mult"])))), ";"]))
                name = r.choice(names)
                use = r.choice([
                    [r.choice(targets), "=", name, "/", fuse, ";"],
                    ["if", "(", "1", "||", name, "/", fuse, ")", "{", "}"],
                    ["if", "(", "0", "&&", "(", name, "+", "1", ")", "/", fuse, ")", "{", "}"],
                    [r.choice(targets), "=", name, ">", "0", "||", "2", "/", fuse, "<", "1", ";"],
                ])
                new = [Line(indent, [fuse, "=", fuse, "-", "1", ";"]), Line(indent, use)]
            elif kind == "vars":
                # a loop that declares a name on every pass fills the table
                index = r.choice(top_slots)[0]
                c = self.fresh(COUNTERS)
                self.loop_ids += 1
                new = [Line(0, ["var", c, "=", "0", ";"]),
                       Line(0, ["while", "(", c, "<", r.choice(["257", "300", "1000"]), ")", "{"],
                            tag="open", loop=self.loop_ids),
                       Line(1, ["var", self.fresh(NAMES), "=", c, "*", "2", ";"]),
                       Line(1, [c, "=", c, "+", "1", ";"], protect=True),
                       Line(0, ["}"], tag="close", loop=self.loop_ids)]
            elif kind == "late":
                # a name used before the statement that declares it has run
                late = self.fresh(NAMES)
                use = [r.choice(targets), "=", late, "+", "1", ";"]
                if ctx["loops"]:
                    new = [Line(indent, ["if", "("] + self.guard_for(ctx) + [")", "{"]),
                           Line(indent + 1, use), Line(indent, ["}"])]
                else:
                    new = [Line(indent, use)]
                self.tail.append(Line(0, ["var", late, "=", "1", ";"]))
            elif kind == "lexer":
                line = r.choice(self.lines)
                bad = r.choice(["%", "&", "|", "@", "$", "'", "~", "^", "[", '"unterminated',
                                '"' + "x" * 1030 + '"', "1" * 70])
                line.toks.insert(r.randint(0, len(line.toks)), bad)
            elif kind == "unclosed":
                if r.random() < 0.5:
                    self.drop_last_brace = True
                else:
                    self.tail.append(Line(0, [r.choice(["if", "while"]), "(", "0", ")", "{"]))
                    if r.random() < 0.5:
                        self.tail.append(Line(1, self.print_args()))
                    if r.random() < 0.3:
                        self.tail.append(Line(0, ["if", "(", r.choice(names), ")", "{"]))
            elif kind == "header":
                if self.header:
                    self.header = self.header[:-1] + ["", self.header[-1]]
                else:
                    self.header = [r.choice(["print();", "var x = 1;"]), "sg<nel>"]
            elif kind == "tokens":
                self.tail += [Line(0, ["print", "(", '"pad"', ")", ";"]) for _ in range(840)]
            elif kind == "stray":
                tok = r.choice(["}", "{", ")", "(", ";", "5", '"s"', "else", "=", "!", ","])
                if tok in "{}":
                    index, indent = r.choice(top_slots)[:2]
                new = [Line(indent, [tok])]
            if new:
                inserts.append((index, new))
        for index, new in sorted(inserts, key=lambda x: -x[0]):
            self.lines[index:index] = new
        self.lines[0:0] = top
        if "mutate" in self.fault_kinds:
            self.mutate()
        if getattr(self, "drop_last_brace", False):
            closers = [i for i, l in enumerate(self.lines) if l.toks == ["}"]]
            if closers:
                del self.lines[closers[-1]]  # that block now runs to the end of the script

    def mutate(self):
        r = self.r
        candidates = [l for l in self.lines if not l.protect and l.toks]
        inside = [l for l in candidates if l.indent > 0]
        if inside and r.random() < 0.8:
            candidates = inside
        if not candidates:
            return
        line = r.choice(candidates)
        toks = line.toks
        op = r.choice(["drop", "drop", "insert", "swap", "cmp", "rename", "double", "assign"])
        if op == "drop":
            spots = [i for i, t in enumerate(toks) if t not in ("{", "}", "\n")]
            if spots:
                del toks[r.choice(spots)]
        elif op == "insert":
            stray = r.choice([")", "(", ",", ";", "5", "x9", '"s"', "==", "=", "*", "&&", "||",
                              "else", "return", "print", "var", "/", "+", "<", "u!", "."])
            toks.insert(r.randint(0, len(toks)), stray)
        elif op == "swap" and len(toks) > 2:
            i = r.randrange(len(toks) - 1)
            if "{" not in toks[i:i + 2] and "}" not in toks[i:i + 2]:
                toks[i], toks[i + 1] = toks[i + 1], toks[i]
        elif op == "cmp":
            spots = [i for i, t in enumerate(toks) if t in ("<", ">", "==", "&&", "||")]
            if spots:
                i = r.choice(spots)
                toks[i] = {"<": "<=", ">": ">=", "==": "=", "&&": "and", "||": "or"}[toks[i]]
            else:
                toks.insert(r.randint(0, len(toks)), "<=")
        elif op == "rename":
            spots = [i for i, t in enumerate(toks) if re.fullmatch(r"[A-Za-z_]\w*", t)
                     and t not in ("print", "var", "if", "while")]
            if spots:
                i = r.choice(spots)
                toks[i] = toks[i].upper() if toks[i] != toks[i].upper() else toks[i] + "_"
        elif op == "double":
            spots = [i for i, t in enumerate(toks) if t in ("+", "*", "/", "<", ">", "&&", "||",
                                                            "==", "!=", ",", "(")]
            if spots:
                i = r.choice(spots)
                toks.insert(i, toks[i])
        elif op == "assign":
            spots = [i for i, t in enumerate(toks) if t == "="]
            if spots:
                del toks[spots[0]]

    # ---- text --------------------------------------------------------------------------
    def render(self, instrument=False):
        out = list(self.header or [])
        for line in self.lines:
            toks = line.toks
            if instrument and line.tag == "open" and "{" in toks:
                at = len(toks) - 1 - toks[::-1].index("{")
                toks = toks[:at + 1] + marker("B", line.loop) + toks[at + 1:]
            elif instrument and line.tag == "close" and "}" in toks:
                at = toks.index("}")
                toks = marker("C", line.loop) + toks[:at + 1] + marker("E", line.loop) + toks[at + 1:]
            text = render_tokens(toks, line.indent)
            if getattr(line, "join_prev", False) and out and "#" not in out[-1]:
                out[-1] += " " + text
            else:
                out.append("  " * line.indent + text)
            if line.comment is not None:
                out[-1] += "  # " + line.comment
        return "\n".join(out) + ("\n" if self.r_final_newline else "")


def simple(line):
    return not line.tag and not line.protect and line.toks and not any(
        t in ("{", "}", "\n") for t in line.toks)


def marker(kind, loop):
    return ["print", "(", f'"{MARK}{kind}{loop}{MARK}"', ",", '"nel"', ")", ";"]


def make_script(seed, number):
    rng = random.Random(f"{seed}:{number}")
    faulty = rng.random() < 0.55
    gen = Generator(rng, faulty)
    gen.generate()
    gen.r_final_newline = rng.random() < 0.9
    return gen


# ---- running ---------------------------------------------------------------------------
class Outcome:
    def __init__(self, status, out, err, timed_out):
        self.status, self.out, self.err, self.timed_out = status, out, err, timed_out

    def key(self):
        return ("timeout",) if self.timed_out else (self.status, self.out, self.err)


def run(binary, path, timeout):
    try:
        p = subprocess.run([binary, path], stdin=subprocess.DEVNULL, capture_output=True,
                           timeout=timeout)
        return Outcome(p.returncode, p.stdout, p.stderr, False)
    except subprocess.TimeoutExpired as e:
        return Outcome(None, e.stdout or b"", e.stderr or b"", True)


def error_on_later_pass(stdout):
    """From the markers of an instrumented run: did it stop while some loop that was
    running had already finished a pass (so in its second pass or later)?"""
    stack = []  # [loop id, passes finished]
    for kind, loop in re.findall(rb"@@([BCE])(\d+)@@", stdout):
        ids = [entry[0] for entry in stack]
        if kind == b"B":
            if loop in ids:
                del stack[ids.index(loop) + 1:]
            else:
                stack.append([loop, 0])
        elif kind == b"C":
            if loop in ids:
                del stack[ids.index(loop) + 1:]
                stack[-1][1] += 1
        elif loop in ids:
            del stack[ids.index(loop):]
    return any(done >= 1 for _, done in stack)


def differs(a, b):
    return a.key() != b.key()


def describe(a, b):
    if a.timed_out != b.timed_out:
        return "only one of them timed out"
    parts = []
    if a.status != b.status:
        parts.append(f"exit status {a.status} vs {b.status}")
    if a.out != b.out:
        parts.append("stdout")
    if a.err != b.err:
        parts.append("stderr")
    return ", ".join(parts)


def reduce_script(text, old, new, timeout, workdir):
    """Greedy shrinking: drop lines, then tokens, while the two binaries still differ
    (and neither times out)."""
    path = os.path.join(workdir, "reduce.ulv")

    def still_differs(candidate):
        with open(path, "w", encoding="utf-8", newline="") as f:
            f.write(candidate)
        a, b = run(old, path, timeout), run(new, path, timeout)
        return not a.timed_out and not b.timed_out and differs(a, b)

    lines = text.split("\n")
    changed = True
    while changed:
        changed = False
        for i in reversed(range(len(lines))):
            trial = lines[:i] + lines[i + 1:]
            if still_differs("\n".join(trial)):
                lines, changed = trial, True
    token_re = re.compile(r'"(?:\\.|[^"\\])*"|#.*|[A-Za-z_]\w*|\d*\.?\d+\.?|&&|\|\||[=!]=|\S')
    for i in range(len(lines)):
        toks = token_re.findall(lines[i])
        j = 0
        while j < len(toks):
            trial_toks = toks[:j] + toks[j + 1:]
            trial = lines[:i] + [" ".join(trial_toks)] + lines[i + 1:]
            if still_differs("\n".join(trial)):
                toks, lines = trial_toks, trial
            else:
                j += 1
    return "\n".join(lines)


def main():
    ap = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    ap.add_argument("old", help="the landed ulvane binary")
    ap.add_argument("new", help="the ulvane binary under test")
    ap.add_argument("--count", type=int, default=1000, help="scripts to run (default 1000)")
    ap.add_argument("--seed", default="1", help="seed of the script series (default 1)")
    ap.add_argument("--start", type=int, default=0, help="number of the first script")
    ap.add_argument("--keep", metavar="DIR", help="save differing scripts and outputs here")
    ap.add_argument("--timeout", type=float, default=5.0, help="seconds per run (default 5)")
    ap.add_argument("--reduce", action="store_true",
                    help="also save a shrunk copy of each differing script")
    ap.add_argument("--stats", action="store_true", help="list how the errors read")
    ap.add_argument("--show", type=int, metavar="N", help="print script N and exit")
    args = ap.parse_args()

    if args.show is not None:
        sys.stdout.write(make_script(args.seed, args.show).render())
        return 0
    for binary in (args.old, args.new):
        if not os.access(binary, os.X_OK):
            ap.error(f"not an executable: {binary}")

    work = tempfile.mkdtemp(prefix="ulvane-diff-")
    path = os.path.join(work, "script.ulv")
    marked = os.path.join(work, "marked.ulv")
    clean = errors = later = timeouts = 0
    differences = []
    messages = {}
    try:
        for number in range(args.start, args.start + args.count):
            gen = make_script(args.seed, number)
            text = gen.render()
            with open(path, "w", encoding="utf-8", newline="") as f:
                f.write(text)
            a = run(args.old, path, args.timeout)
            b = run(args.new, path, args.timeout)
            if differs(a, b):
                differences.append(number)
                print(f"script {number}: {describe(a, b)}", file=sys.stderr)
                if args.keep:
                    save(args.keep, args.seed, number, text, a, b)
                    if args.reduce:
                        small = reduce_script(text, args.old, args.new, args.timeout, work)
                        with open(os.path.join(args.keep, f"seed{args.seed}-{number}.min.ulv"),
                                  "w", encoding="utf-8", newline="") as f:
                            f.write(small)
                continue
            if a.timed_out:
                timeouts += 1
            elif a.status == 0 and not a.err:
                clean += 1
            else:
                errors += 1
                m = re.match(rb"\[Error at line -?\d+\] ([^:(']*)", a.err)
                what = (m.group(1).strip().decode("utf-8", "replace") if m
                        else f"status {a.status}")
                messages[what] = messages.get(what, 0) + 1
                with open(marked, "w", encoding="utf-8", newline="") as f:
                    f.write(gen.render(instrument=True))
                m = run(args.old, marked, args.timeout)
                if m.err == a.err and m.status == a.status and error_on_later_pass(m.out):
                    later += 1
    finally:
        shutil.rmtree(work, ignore_errors=True)

    if args.stats:
        for what, n in sorted(messages.items(), key=lambda x: -x[1]):
            print(f"{n:7d}  {what}")
    print(f"{args.count} scripts: {len(differences)} differences ({clean} ran clean, "
          f"{errors} ended in an error, {later} of them on a later loop pass, "
          f"{timeouts} timed out in both)")
    if differences:
        shown = " ".join(str(n) for n in differences[:20])
        print(f"differing scripts (seed {args.seed}): {shown}"
              + (" ..." if len(differences) > 20 else ""))
    return 1 if differences else 0


def save(folder, seed, number, text, a, b):
    os.makedirs(folder, exist_ok=True)
    stem = os.path.join(folder, f"seed{seed}-{number}")
    with open(stem + ".ulv", "w", encoding="utf-8", newline="") as f:
        f.write(text)
    for side, o in (("old", a), ("new", b)):
        with open(f"{stem}.{side}.stdout", "wb") as f:
            f.write(o.out)
        with open(f"{stem}.{side}.stderr", "wb") as f:
            f.write(o.err)
        with open(f"{stem}.{side}.status", "w") as f:
            f.write("timeout\n" if o.timed_out else f"{o.status}\n")


if __name__ == "__main__":
    sys.exit(main())
