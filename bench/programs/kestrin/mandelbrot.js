// mandelbrot (the benchmarks game), ported: `var` inside functions goes.
function mandelbrot(size) {
  iterations = 50;
  limit = 4.0;
  sum = 0, bytes = 0;
  for (y = 0; y < size; y++) {
    bits = 0, bitCount = 0;
    ci = 2.0 * y / size - 1.0;
    for (x = 0; x < size; x++) {
      cr = 2.0 * x / size - 1.5;
      zr = 0.0, zi = 0.0, tr = 0.0, ti = 0.0;
      i = 0;
      while (i < iterations && tr + ti <= limit) {
        zi = 2.0 * zr * zi + ci;
        zr = tr - ti + cr;
        tr = zr * zr;
        ti = zi * zi;
        i++;
      }
      bits = bits << 1;
      if (tr + ti <= limit) bits = bits | 1;
      bitCount++;
      if (bitCount == 8) {
        sum = (sum * 31 + bits) % 1000003;
        bytes++;
        bits = 0;
        bitCount = 0;
      }
    }
    if (bitCount > 0) {
      bits = bits << (8 - bitCount);
      sum = (sum * 31 + bits) % 1000003;
      bytes++;
    }
  }
  return bytes + " bytes, checksum " + sum;
}

println(mandelbrot(600));
