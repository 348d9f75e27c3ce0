// spectral-norm (the benchmarks game): the spectral norm of an infinite matrix, by the
// power method, in double arithmetic.
function A(i, j) {
  return 1 / ((i + j) * (i + j + 1) / 2 + i + 1);
}

function Au(u, v) {
  var n = u.length;
  for (var i = 0; i < n; ++i) {
    var t = 0;
    for (var j = 0; j < n; ++j) t += A(i, j) * u[j];
    v[i] = t;
  }
}

function Atu(u, v) {
  var n = u.length;
  for (var i = 0; i < n; ++i) {
    var t = 0;
    for (var j = 0; j < n; ++j) t += A(j, i) * u[j];
    v[i] = t;
  }
}

function AtAu(u, v, w) {
  Au(u, w);
  Atu(w, v);
}

function fixed(x, digits) {
  var sign = "";
  if (x < 0) {
    sign = "-";
    x = -x;
  }
  var scale = 1;
  for (var i = 0; i < digits; i++) scale = scale * 10;
  var whole = Math.floor(x);
  var frac = Math.floor((x - whole) * scale + 0.5);
  if (frac >= scale) {
    whole = whole + 1;
    frac = frac - scale;
  }
  var text = "" + frac;
  while (text.length < digits) text = "0" + text;
  return sign + whole + "." + text;
}

var n = 400;
var u = [], v = [], w = [];
for (var i = 0; i < n; ++i) {
  u.push(1);
  v.push(0);
  w.push(0);
}
for (var i = 0; i < 10; ++i) {
  AtAu(u, v, w);
  AtAu(v, u, w);
}
var vBv = 0, vv = 0;
for (var i = 0; i < n; ++i) {
  vBv += u[i] * v[i];
  vv += v[i] * v[i];
}
print(fixed(Math.sqrt(vBv / vv), 9));
