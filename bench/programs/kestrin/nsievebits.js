// nsieve-bits (the computer language shootout), ported: `var` inside functions goes.
function primes(m, bits) {
  words = (m >> 5) + 1;
  for (i = 0; i < words; i++) bits[i] = -1;
  count = 0;
  for (i = 2; i <= m; i++) {
    if ((bits[i >> 5] & (1 << (i & 31))) != 0) {
      for (k = i + i; k <= m; k += i) bits[k >> 5] &= ~(1 << (k & 31));
      count++;
    }
  }
  return count;
}

function pad(text, width) {
  text = "" + text;
  while (text.length < width) text = " " + text;
  return text;
}

var n = 6;
var size = (1 << n) * 10000;
var bits = [];
for (i = 0; i <= (size >> 5) + 1; i++) bits.push(0);
var out = [];
for (i = 0; i < 3; i++) {
  m = (1 << (n - i)) * 10000;
  out.push("Primes up to " + pad(m, 8) + " " + pad(primes(m, bits), 8));
}
println(out.join("\n"));
