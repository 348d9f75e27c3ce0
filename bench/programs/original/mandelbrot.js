// mandelbrot (the benchmarks game): the Mandelbrot set as a bitmap, eight pixels to a
// byte; prints a checksum of the bytes instead of the image.
function mandelbrot(size) {
  var iterations = 50;
  var limit = 4.0;
  var sum = 0, bytes = 0;
  for (var y = 0; y < size; y++) {
    var bits = 0, bitCount = 0;
    var ci = 2.0 * y / size - 1.0;
    for (var x = 0; x < size; x++) {
      var cr = 2.0 * x / size - 1.5;
      var zr = 0.0, zi = 0.0, tr = 0.0, ti = 0.0;
      var i = 0;
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

print(mandelbrot(600));
