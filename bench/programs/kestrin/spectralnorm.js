// spectral-norm (the benchmarks game), ported: `var` inside functions goes.
function A(i, j) {
  return 1 / ((i + j) * (i + j + 1) / 2 + i + 1);
}

function Au(u, v) {
  n = u.length;
  for (i = 0; i < n; ++i) {
    t = 0;
    for (j = 0; j < n; ++j) t += A(i, j) * u[j];
    v[i] = t;
  }
}

function Atu(u, v) {
  n = u.length;
  for (i = 0; i < n; ++i) {
    t = 0;
    for (j = 0; j < n; ++j) t += A(j, i) * u[j];
    v[i] = t;
  }
}

function AtAu(u, v, w) {
  Au(u, w);
  Atu(w, v);
}

function fixed(x, digits) {
  sign = "";
  if (x < 0) {
    sign = "-";
    x = -x;
  }
  scale = 1;
  for (i = 0; i < digits; i++) scale = scale * 10;
  whole = Math.floor(x);
  frac = Math.floor((x - whole) * scale + 0.5);
  if (frac >= scale) {
    whole = whole + 1;
    frac = frac - scale;
  }
  text = "" + frac;
  while (text.length < digits) text = "0" + text;
  return sign + whole + "." + text;
}

var n = 400;
var u = [], v = [], w = [];
var i;
for (i = 0; i < n; ++i) {
  u.push(1);
  v.push(0);
  w.push(0);
}
for (i = 0; i < 10; ++i) {
  AtAu(u, v, w);
  AtAu(v, u, w);
}
var vBv = 0, vv = 0;
for (i = 0; i < n; ++i) {
  vBv += u[i] * v[i];
  vv += v[i] * v[i];
}
println(fixed(Math.sqrt(vBv / vv), 9));
