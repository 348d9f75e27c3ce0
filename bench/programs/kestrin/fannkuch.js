// fannkuch-redux (the benchmarks game), ported: `var` inside functions goes.
function fannkuch(n) {
  perm = [], perm1 = [], count = [];
  for (i = 0; i < n; i++) {
    perm.push(0);
    perm1.push(i);
    count.push(0);
  }
  maxFlips = 0, checksum = 0, permCount = 0, r = n;
  while (true) {
    while (r != 1) {
      count[r - 1] = r;
      r--;
    }
    for (i = 0; i < n; i++) perm[i] = perm1[i];
    flips = 0;
    k = perm[0];
    while (k != 0) {
      k2 = (k + 1) >> 1;
      for (i = 0; i < k2; i++) {
        t = perm[i];
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
      perm0 = perm1[0];
      i = 0;
      while (i < r) {
        j = i + 1;
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

println(fannkuch(9));
