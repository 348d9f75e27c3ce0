#!/usr/bin/python3
"""Generates a script of objects and calls: classes with a subclass, methods reading module
variables by bare name while other code rewrites them, members read and written on objects
of changing classes, a table used as a map, an array used as a stack, recursion.
`objects.py SEED` prints the script for SEED."""
import random, sys

def val(r):
    return r.choice(['0', '1', '2.5', '-4', '"s"', 'true', 'null', '7', '0.25'])

def expr(r, names, depth=0):
    x = r.random()
    if depth > 2 or x < 0.35:
        return r.choice(names + [val(r)])
    if x < 0.55:
        return '(%s %s %s)' % (expr(r, names, depth + 1), r.choice(['+', '-', '*', '<', '==', '&&', '|']), expr(r, names, depth + 1))
    if x < 0.65:
        return 'this.%s' % r.choice(['f', 'g', 'h'])
    if x < 0.72:
        return 'o.%s' % r.choice(['f', 'g', 'h'])
    if x < 0.8:
        return 'o.get(%s)' % expr(r, names, depth + 1)
    if x < 0.86:
        return 'helper(%s, %s)' % (expr(r, names, depth + 1), expr(r, names, depth + 1))
    if x < 0.9:
        return 'tbl.hasKey(%s)' % r.choice(['"k1"', '"k2"', 'key', '"f"'])
    if x < 0.94:
        return 'list.length'
    return r.choice(['g1', 'g2', 'g3'])

def stmt(r, names, depth=0):
    x = r.random()
    if x < 0.2: return '%s = %s;' % (r.choice(['a', 'b', 'c']), expr(r, names))
    if x < 0.3: return 'this.%s = %s;' % (r.choice(['f', 'g', 'h']), expr(r, names))
    if x < 0.38: return 'o.%s = %s;' % (r.choice(['f', 'g', 'h']), expr(r, names))
    if x < 0.45: return 'o = %s;' % r.choice(['mkA(%s)' % expr(r, names), 'mkB(%s)' % expr(r, names), 'mkC()', 'this', 'pool[%d]' % r.randint(0, 3)])
    if x < 0.5: return '__Global__.%s = %s;' % (r.choice(['g1', 'g2', 'g3']), expr(r, names))
    if x < 0.55: return 'list.push(%s);' % expr(r, names)
    if x < 0.58: return 'if (list.length > 0) a = list.pop();'
    if x < 0.63: return 'tbl[%s] = %s;' % (r.choice(['"k1"', '"k2"', 'key', '"x" + i']), expr(r, names))
    if x < 0.66: return 'key = "k" + (i %% %d);' % r.randint(1, 4)
    if x < 0.72: return 'out += " " + %s;' % expr(r, names)
    if x < 0.76: return 'o.set(%s);' % expr(r, names)
    if x < 0.8: return 'pool[%d] = o;' % r.randint(0, 3)
    if x < 0.85 and depth < 2:
        return 'if (%s) { %s } else { %s }' % (expr(r, names), stmt(r, names, depth + 1), stmt(r, names, depth + 1))
    if x < 0.9 and depth < 2:
        return 'for (j%d = 0; j%d < %d; j%d++) { %s %s }' % (depth, depth, r.randint(0, 6), depth, stmt(r, names, depth + 1), stmt(r, names, depth + 1))
    if x < 0.94: return 'out += " " + o.describe();'
    return 'c = this.rec(%d);' % r.randint(0, 5)

def method_body(r, names, n):
    return '\n'.join('    ' + stmt(r, names) for _ in range(n))

def program(seed):
    r = random.Random(seed)
    names = ['a', 'b', 'c', 'i']
    fields = lambda: 'f = %s; g = %s; h = %s;' % (val(r), val(r), val(r))
    L = []
    L.append('var g1 = %s; var g2 = %s; var g3 = %s;' % (val(r), val(r), val(r)))
    L.append('var tbl = {}; var list = []; var key = "k1";')
    fix = lambda t: t.replace('this.', 'pool[1].').replace('o.', 'pool[2].')
    L.append('function helper(x, y) { if (x == y) return %s; return %s; }' % (fix(expr(r, ['x', 'y'])), fix(expr(r, ['x', 'y', 'g1']))))
    for cls, base in (('A', None), ('B', 'A'), ('C', None)):
        L.append('class %s%s {' % (cls, ' extends ' + base if base else ''))
        L.append('  ' + fields() if cls != 'B' else '  k = %s; f = %s;' % (val(r), val(r)))
        L.append('  function %s(p) { this.f = p; }' % cls if cls != 'C' else '')
        L.append('  function get(x) { return %s; }' % r.choice(['this.f', 'this.g + x', 'g1', 'x', 'this.h == x']))
        L.append('  function set(x) { this.%s = x; }' % r.choice(['f', 'g', 'h']))
        L.append('  function describe() { return "%s" + this.f + "/" + this.g + "/" + g2; }' % cls)
        L.append('  function rec(n) { if (n <= 0) return g3; return this.rec(n - 1) + 1; }')
        if cls == 'A':
            L.append('  function run(o) {\n    a = 0; b = 1; c = 2; out = "";')
            L.append('    for (i = 0; i < %d; i++) { try {' % r.randint(3, 30))
            L.append(method_body(r, names, r.randint(3, 10)))
            L.append('    } catch (x) { out += " E" + x; } }')
            L.append('    return out + " :: " + a + " " + b + " " + c + " " + this.describe() + " " + list.length;')
            L.append('  }')
        L.append('}')
    L.append('function mkA(p) { return new A(p); }\nfunction mkB(p) { return new B(p); }\nfunction mkC() { return new C(); }')
    L.append('var pool = [new C(), new A(1), new B(2), new C()];')
    L.append('function go(p) { x = new A(p); return x.run(new C()); }')
    for k in range(3):
        L.append('try { println(go(%s)); } catch (x) { println("error " + x); }' % val(r))
        L.append('%s = %s;' % (r.choice(['g1', 'g2', 'g3']), val(r)))
    L.append('s = ""; for (k in tbl) s += k + "=" + tbl[k] + ","; println(s);')
    return '\n'.join(L) + '\n'

if __name__ == '__main__':
    print(program(int(sys.argv[1])), end='')
