// nsieve (the computer language shootout): the sieve of Eratosthenes over an array of
// flags, for three sizes.
function nsieve(m, isPrime) {
  var count = 0;
  for (var i = 2; i <= m; i++) isPrime[i] = true;
  for (var i = 2; i <= m; i++) {
    if (isPrime[i]) {
      for (var k = i + i; k <= m; k += i) isPrime[k] = false;
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
for (var i = 0; i <= size; i++) flags.push(false);
var out = [];
for (var i = 0; i < 3; i++) {
  var m = (1 << (n - i)) * 10000;
  out.push("Primes up to " + pad(m, 8) + " " + pad(nsieve(m, flags), 8));
}
print(out.join("\n"));
