#!/usr/bin/python3
"""Generates a script of number-heavy loops: every operator over locals whose kinds change
(integers near the 32-bit edges, doubles, truths, null, texts), array elements, members,
texts' character codes and Math calls. `numeric.py SEED` prints the script for SEED."""
import random, sys

BIN = ['+', '-', '*', '/', '%', '<<', '>>', '>>>', '&', '|', '^', '<', '<=', '>', '>=',
       '==', '!=', '===', '!==', '&&', '||', 'div']
UN = ['-', '!', '~', '+']
LEAVES_CONST = ['0', '1', '2', '3', '-1', '0.5', '2.5', '-3.25', '1e300', '2147483647',
                '1073741824', 'true', 'false', 'null', '"7"', '"ab"', '""',
                '65535', '0.0', '1.0']
LOCALS = ['a', 'b', 'c', 'd', 'e']

def leaf(r, depth):
    x = r.random()
    if x < 0.45: return r.choice(LOCALS)
    if x < 0.7: return r.choice(LEAVES_CONST)
    if x < 0.77: return 'arr[%s & 7]' % r.choice(LOCALS + ['1', '2'])
    if x < 0.82: return 'o.m' if r.random() < .5 else 'this.q'
    if x < 0.86: return 'arr.length'
    if x < 0.9: return 's.charCodeAt(%s & 3)' % r.choice(LOCALS)
    if x < 0.94: return 'Math.%s(%s)' % (r.choice(['floor', 'abs', 'sqrt', 'sin', 'round']), 'Math.abs(%s | 0)' % expr(r, depth + 1))
    if x < 0.96: return 'Math.pow(Math.abs(%s) + 1, %s)' % (expr(r, depth + 1), r.choice(['2', '3', '0.5', '-1', 'a', 'c']))
    return 'gv'

def expr(r, depth=0):
    if depth > 3 or r.random() < 0.3:
        return leaf(r, depth)
    x = r.random()
    if x < 0.7:
        op = r.choice(BIN)
        right = expr(r, depth + 1)
        if op in ('/', '%', 'div') and r.random() < 0.9:
            right = '(%s | 1)' % right
        return '(%s %s %s)' % (expr(r, depth + 1), op, right)
    if x < 0.85:
        return '(%s%s)' % (r.choice(UN), expr(r, depth + 1))
    return '(%s ? %s : %s)' % (expr(r, depth + 1), expr(r, depth + 1), expr(r, depth + 1))

def stmt(r, depth=0):
    x = r.random()
    v = r.choice(LOCALS)
    if x < 0.35: return '%s = %s;' % (v, expr(r))
    if x < 0.5:
        op = r.choice(['+', '-', '*', '/', '%', '<<', '>>', '&', '|', '^'])
        right = expr(r)
        if op in '/%' and r.random() < 0.9: right = '(%s | 1)' % right
        return '%s %s= %s;' % (v, op, right)
    if x < 0.58: return '%s%s;' % (v, r.choice(['++', '--']))
    if x < 0.63: return 'arr[%s & 7] = %s;' % (r.choice(LOCALS), expr(r))
    if x < 0.67: return 'o.m = %s;' % expr(r)
    if x < 0.70: return '%s = %s;' % (v, r.choice(['"x"', 'true', 'null', '2.5', '7']))
    if x < 0.74 and depth < 2:
        return 'if (%s) { %s } else { %s }' % (expr(r), stmt(r, depth + 1), stmt(r, depth + 1))
    if x < 0.86 and depth < 2:
        return 'for (k%d = 0; k%d < %d; k%d++) { %s %s }' % (depth, depth, r.randint(0, 12), depth, stmt(r, depth + 1), stmt(r, depth + 1))
    if x < 0.88 and depth < 2:
        return 'w%d = 0; while (w%d < %d && %s) { w%d++; %s }' % (depth, depth, r.randint(0, 9), expr(r), depth, stmt(r, depth + 1))
    if x < 0.91 and depth < 2:
        return 'w%d = 0; do { w%d++; %s if (w%d > 5) break; } while (%s);' % (depth, depth, stmt(r, depth + 1), depth, expr(r))
    if x < 0.94: return 'out += " " + %s;' % expr(r)
    if x < 0.97: return '%s = %s, %s = %s;' % (v, expr(r), r.choice(LOCALS), expr(r))
    return 'if (%s) continue;' % expr(r) if depth > 0 else 'out += "|" + %s;' % v

def program(seed):
    """One loop body run three ways: in a method, in a plain function and at module level
    (locals in slots, locals by name, module variables), each followed by its results."""
    r = random.Random(seed)
    init = lambda: r.choice(['0', '1', '7', '-3', '2.5', '0.1', '1e10', '2147483647', 'true', '"5"', 'null'])
    setup = 'a = %s; b = %s; c = p; d = %s; e = %s; arr = [%s]; s = "a\u00e9Z9"; out = "";' % (
        init(), init(), init(), init(), ', '.join(init() for _ in range(8)))
    loop = ['for (i = 0; i < %d; i++) { try {' % r.randint(1, 40)]
    loop += ['  ' + stmt(r) for _ in range(r.randint(3, 9))]
    loop.append('} catch (x) { out += " E" + x; if (i > 30) break; } }')
    result = ('out + " :: " + a + " " + b + " " + c + " " + d + " " + e + " " + arr.join(",")'
              ' + " " + o.q + " " + o.m')
    in_function = [line.replace('this.q', 'o.q') for line in loop]
    lines = ['var gv = %s;' % init(), 'class K { q = %s; m = %s;' % (init(), init()),
             '  function run(p) {', '    o = this; ' + setup]
    lines += ['    ' + line for line in loop]
    lines += ['    return %s;' % result, '  }', '}']
    lines += ['function plain(p) {', '  o = new K(); ' + setup]
    lines += ['  ' + line for line in in_function]
    lines += ['  return %s;' % result, '}']
    lines.append('function go(p) { k = new K(); return k.run(p); }')
    for run in ('go', 'plain'):
        for _ in range(2):
            lines.append('try { println(%s(%s)); } catch (x) { println("error " + x); }' % (run, init()))
    lines.append('var p = %s; var o = new K(); %s' % (init(), setup))
    lines.append('try {')
    lines += ['  ' + line for line in in_function]
    lines.append('  println(%s);' % result)
    lines.append('} catch (x) { println("error " + x); }')
    return '\n'.join(lines) + '\n'


if __name__ == '__main__':
    print(program(int(sys.argv[1])), end='')
