// nsieve-bits (the computer language shootout): the sieve of Eratosthenes over a bit
// array of 32-bit words, for three sizes.
function primes(m, bits) {
  var words = (m >> 5) + 1;
  for (var i = 0; i < words; i++) bits[i] = -1;
  var count = 0;
  for (var i = 2; i <= m; i++) {
    if ((bits[i >> 5] & (1 << (i & 31))) != 0) {
      for (var k = i + i; k <= m; k += i) bits[k >> 5] &= ~(1 << (k & 31));
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
for (var i = 0; i <= (size >> 5) + 1; i++) bits.push(0);
var out = [];
for (var i = 0; i < 3; i++) {
  var m = (1 << (n - i)) * 10000;
  out.push("Primes up to " + pad(m, 8) + " " + pad(primes(m, bits), 8));
}
print(out.join("\n"));
