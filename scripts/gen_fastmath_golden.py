#!/usr/bin/env python3
"""Writes tests/data/math80_reference.txt: arguments of the real engine's
exponential, logarithm, tangent and power with their values rounded once to the 80-bit
type, computed by mpmath (BSD licence, Debian's python3-mpmath) at 320 bits.

  python3 scripts/gen_fastmath_golden.py > tests/data/math80_reference.txt

Each line: the function (exp, ln, tan or pow), its arguments, then the value; every
number as a signed 64-bit mantissa in hexadecimal and a binary exponent
("0x8000000000000000 -63" is 1). The arguments are drawn with a fixed seed, so
the file is the same at every run.
"""
import random

import mpmath
from mpmath import mp, mpf

mp.prec = 320
rng = random.Random(20261211)


def ext(v):
    """v rounded to nearest with a 64-bit mantissa, as (mantissa, exponent)."""
    with mpmath.workprec(64):
        r = +v
    if r == 0:
        return 0, 0
    man, exp = abs(r).man_exp
    man = int(man)
    while man < (1 << 63):
        man <<= 1
        exp -= 1
    return (-man if r < 0 else man), int(exp)


def text(pair):
    man, exp = pair
    sign = "-" if man < 0 else ""
    return "%s0x%016x %d" % (sign, abs(man), exp)


def value(pair):
    return mpf(pair[0]) * mpmath.power(2, pair[1])


def rand_ext(lo, hi):
    """A random 80-bit number in [lo, hi]."""
    return ext(mpf(lo) + (mpf(hi) - mpf(lo)) * mpf(rng.getrandbits(80)) / mpf(2) ** 80)


def rand_pow2(lo_exp, hi_exp):
    """A random positive 80-bit number 2^u, u uniform in [lo_exp, hi_exp]."""
    u = mpf(lo_exp) + (hi_exp - lo_exp) * mpf(rng.getrandbits(64)) / mpf(2) ** 64
    return ext(mpmath.power(2, u))


lines = []


def emit(name, args, result):
    lines.append(" ".join([name] + [text(a) for a in args] + [text(ext(result))]))


def signed(x):
    """x or -x, at random."""
    return x if rng.random() < 0.5 else (-x[0], x[1])


def near(centre, lo_exp, hi_exp):
    """centre plus or minus 2^u, u uniform in [lo_exp, hi_exp]."""
    d = rand_pow2(lo_exp, hi_exp)
    return ext(centre + value(signed(d)))


# Each function over its ranges: (count, how an argument is drawn).
tables = [
    # The exponential: near 0, the usual range, all of the normal range, tiny
    # arguments.
    ("exp", mpmath.exp, [
        (150, lambda: rand_ext(-1, 1)),
        (150, lambda: rand_ext(-60, 60)),
        (150, lambda: rand_ext(-11330, 11330)),
        (50, lambda: signed(rand_pow2(-70, -8))),
    ]),
    # The logarithm: every size, next to 1 on either side, from 1/2 to 2.
    ("ln", mpmath.log, [
        (250, lambda: rand_pow2(-16380, 16380)),
        (150, lambda: near(1, -64, -7)),
        (150, lambda: rand_ext(0.5, 2)),
        (50, lambda: rand_pow2(-8, 8)),
    ]),
    # The tangent: within the first turns, in the usual range, next to its
    # poles and zeros.
    ("tan", mpmath.tan, [
        (200, lambda: rand_ext(-4, 4)),
        (150, lambda: rand_ext(-1e6, 1e6)),
        (100, lambda: near(rng.randint(-1000, 1000) * mpmath.pi / 2, -40, -3)),
    ]),
]
for name, f, ranges in tables:
    for count, draw in ranges:
        for _ in range(count):
            x = draw()
            emit(name, [x], f(value(x)))
# The arguments of the re-evaluation benchmark.
for i in range(0, 1024, 64):
    x = ext(mpf(0.5 + i * 1e-6))
    emit("exp", [x], mpmath.exp(value(x)))

# Powers: the benchmark's rows, then bases and exponents of every kind whose
# power stays normal.
for i in range(0, 1024, 64):
    x = ext(mpf(0.5 + i * 1e-6))
    for y in (ext(mpf("0.5")), ext(mpf("3.5")), x):
        emit("pow", [x, y], mpmath.power(value(x), value(y)))
    two = ext(mpf(2))
    emit("pow", [two, x], mpmath.power(2, value(x)))


def pow_case(x, y):
    xv, yv = value(x), value(y)
    if yv == mpmath.floor(yv):
        return  # whole powers take another path
    t = yv * mpmath.log(xv)
    if abs(t) > 11000:
        return
    emit("pow", [x, y], mpmath.power(xv, yv))


for _ in range(300):
    pow_case(rand_ext(0, 10), rand_ext(-10, 10))
for _ in range(300):
    pow_case(rand_pow2(-200, 200), rand_ext(-40, 40))
for _ in range(150):
    pow_case(near(1, -60, -6), rand_ext(-1e6, 1e6))
for _ in range(150):
    pow_case(rand_pow2(-16000, 16000), rand_ext(-0.7, 0.7))
# The edges of the kernels: bases at the boundaries of the logarithm's table
# entries and next to where the pairs of doubles give way to the x87 (2^-999,
# 2^999), and exponents of y ln x next to 32, where the library takes over.
for _ in range(100):
    edge = 1 + mpf(rng.randint(1, 255)) / 256
    pow_case(ext(edge * (1 + value(signed(rand_pow2(-64, -40))))), rand_ext(-30, 30))
for e in (-1000, -999, -998, 998, 999, 1000):
    for _ in range(5):
        pow_case(ext(mpmath.power(2, e) * value(rand_ext(1, 2))), rand_ext(-0.03, 0.03))
for _ in range(50):
    x = rand_pow2(-40, 40)
    lx = mpmath.log(value(x))
    if lx != 0:
        pow_case(x, ext((32 - value(rand_pow2(-30, -1))) / lx))
# The logarithm at the same edges: the boundaries of its table's entries (on
# either side) and next to 2^-999 and 2^999.
for _ in range(100):
    edge = (1 + mpf(rng.randint(1, 255)) / 256) * mpf(2) ** rng.randint(-3, 3)
    x = ext(edge * (1 + value(signed(rand_pow2(-64, -40)))))
    emit("ln", [x], mpmath.log(value(x)))
for e in (-1000, -999, -998, 998, 999, 1000):
    for _ in range(5):
        x = ext(mpmath.power(2, e) * value(rand_ext(1, 2)))
        emit("ln", [x], mpmath.log(value(x)))

print("# Generated by scripts/gen_fastmath_golden.py (mpmath, 320-bit arithmetic). Do not edit.")
print("\n".join(lines))
