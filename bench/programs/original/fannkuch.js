// fannkuch-redux (the benchmarks game): flips of every permutation of 1..n, over arrays.
function fannkuch(n) {
  var perm = [], perm1 = [], count = [];
  for (var i = 0; i < n; i++) {
    perm.push(0);
    perm1.push(i);
    count.push(0);
  }
  var maxFlips = 0, checksum = 0, permCount = 0, r = n;
  while (true) {
    while (r != 1) {
      count[r - 1] = r;
      r--;
    }
    for (var i = 0; i < n; i++) perm[i] = perm1[i];
    var flips = 0;
    var k = perm[0];
    while (k != 0) {
      var k2 = (k + 1) >> 1;
      for (var i = 0; i < k2; i++) {
        var t = perm[i];
        perm[i] = perm[k - i];
        perm[k - i] = t;
      }
      flips++;
      k = perm[0];
    }
    if (flips > maxFlips) maxFlips = flips;
    if (permCount % 2 == 0) checksum += flips;
    else checksum -= flips;
    while (true) {
      if (r == n) return checksum + "\nPfannkuchen(" + n + ") = " + maxFlips;
      var perm0 = perm1[0];
      var i = 0;
      while (i < r) {
        var j = i + 1;
        perm1[i] = perm1[j];
        i = j;
      }
      perm1[r] = perm0;
      count[r] = count[r] - 1;
      if (count[r] > 0) break;
      r++;
    }
    permCount++;
  }
}

print(fannkuch(9));
