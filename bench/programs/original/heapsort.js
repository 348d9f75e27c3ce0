// heapsort (the computer language shootout): sorts random doubles in place with the
// heapsort of Numerical Recipes, over a 1-based array.
var IM = 139968, IA = 3877, IC = 29573, last = 42;

function gen_random(max) {
  return max * (last = (last * IA + IC) % IM) / IM;
}

function heapsort(n, ra) {
  var i, j, ir = n, l = (n >> 1) + 1, rra;
  for (;;) {
    if (l > 1) {
      rra = ra[--l];
    } else {
      rra = ra[ir];
      ra[ir] = ra[1];
      if (--ir == 1) {
        ra[1] = rra;
        return;
      }
    }
    i = l;
    j = l << 1;
    while (j <= ir) {
      if (j < ir && ra[j] < ra[j + 1]) {
        ++j;
      }
      if (rra < ra[j]) {
        ra[i] = ra[j];
        j += (i = j);
      } else {
        j = ir + 1;
      }
    }
    ra[i] = rra;
  }
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

var N = 250000;
var ary = [0];
for (var i = 1; i <= N; i++) ary.push(gen_random(1.0));
heapsort(N, ary);
var ordered = true;
for (var i = 1; i < N; i++) {
  if (ary[i] > ary[i + 1]) ordered = false;
}
print(fixed(ary[1], 9) + " " + fixed(ary[N >> 1], 9) + " " + fixed(ary[N], 9) + (ordered ? " ordered" : " NOT ordered"));
