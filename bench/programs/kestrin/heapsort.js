// heapsort (the computer language shootout), ported: `var` inside functions goes, the
// generator writes its module variable through the module's value, and an `&&` whose
// right side must not be evaluated (it reads past the end) becomes two ifs.
var IM = 139968, IA = 3877, IC = 29573, last = 42;

function gen_random(max) {
  __Global__.last = (last * IA + IC) % IM;
  return max * last / IM;
}

function heapsort(n, ra) {
  ir = n, l = (n >> 1) + 1;
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
      if (j < ir) {
        if (ra[j] < ra[j + 1]) ++j;
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

var N = 250000;
var ary = [0];
var i;
for (i = 1; i <= N; i++) ary.push(gen_random(1.0));
heapsort(N, ary);
var ordered = true;
for (i = 1; i < N; i++) {
  if (ary[i] > ary[i + 1]) ordered = false;
}
println(fixed(ary[1], 9) + " " + fixed(ary[N >> 1], 9) + " " + fixed(ary[N], 9) + (ordered ? " ordered" : " NOT ordered"));
