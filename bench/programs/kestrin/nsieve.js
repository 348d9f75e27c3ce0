// nsieve (the computer language shootout), ported: `var` inside functions goes.
function nsieve(m, isPrime) {
  count = 0;
  for (i = 2; i <= m; i++) isPrime[i] = true;
  for (i = 2; i <= m; i++) {
    if (isPrime[i]) {
      for (k = i + i; k <= m; k += i) isPrime[k] = false;
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

var n = 7;
var size = (1 << n) * 10000;
var flags = [];
var i, m;
for (i = 0; i <= size; i++) flags.push(false);
var out = [];
for (i = 0; i < 3; i++) {
  m = (1 << (n - i)) * 10000;
  out.push("Primes up to " + pad(m, 8) + " " + pad(nsieve(m, flags), 8));
}
println(out.join("\n"));
