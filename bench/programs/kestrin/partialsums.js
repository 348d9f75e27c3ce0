// partial-sums (the computer language shootout), ported: `var` inside functions goes.
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

function partial(n) {
  a1 = 0.0, a2 = 0.0, a3 = 0.0, a4 = 0.0, a5 = 0.0, a6 = 0.0, a7 = 0.0, a8 = 0.0, a9 = 0.0;
  twothirds = 2.0 / 3.0;
  alt = -1.0;
  k2 = 0.0, k3 = 0.0, sk = 0.0, ck = 0.0;
  for (k = 1.0; k <= n; k += 1.0) {
    k2 = k * k;
    k3 = k2 * k;
    sk = Math.sin(k);
    ck = Math.cos(k);
    alt = -alt;
    a1 += Math.pow(twothirds, k - 1.0);
    a2 += Math.pow(k, -0.5);
    a3 += 1.0 / (k * (k + 1.0));
    a4 += 1.0 / (k3 * sk * sk);
    a5 += 1.0 / (k3 * ck * ck);
    a6 += 1.0 / k;
    a7 += 1.0 / k2;
    a8 += alt / k;
    a9 += alt / (2.0 * k - 1.0);
  }
  return [fixed(a1, 9) + "\t(2/3)^k", fixed(a2, 9) + "\tk^-0.5", fixed(a3, 9) + "\t1/k(k+1)",
    fixed(a4, 9) + "\tFlint Hills", fixed(a5, 9) + "\tCookson Hills", fixed(a6, 9) + "\tHarmonic",
    fixed(a7, 9) + "\tRiemann Zeta", fixed(a8, 9) + "\tAlternating Harmonic",
    fixed(a9, 9) + "\tGregory"].join("\n");
}

println(partial(1000000));
