// fasta (the benchmarks game): DNA sequences from a repeated text and from weighted
// random choice over lookup tables. Instead of the sequences themselves it prints the
// number of lines and how often each symbol was drawn.
var last = 42;
var IM = 139968, IA = 3877, IC = 29573;

function rand(max) {
  last = (last * IA + IC) % IM;
  return max * last / IM;
}

var ALU = "GGCCGGGCGCGGTGGCTCACGCCTGTAATCCCAGCACTTTGG" +
  "GAGGCCGAGGCGGGCGGATCACCTGAGGTCAGGAGTTCGAGA" +
  "CCAGCCTGGCCAACATGGTGAAACCCCGTCTCTACTAAAAAT" +
  "ACAAAAATTAGCCGGGCGTGGTGGCGCGCGCCTGTAATCCCA" +
  "GCTACTCGGGAGGCTGAGGCAGGAGAATCGCTTGAACCCGGG" +
  "AGGCGGAGGTTGCAGTGAGCCGAGATCGCGCCACTGCACTCC" +
  "AGCCTGGGCGACAGAGCGAGACTCCGTCTCAAAAA";

function Table(symbols, probabilities) {
  this.symbols = symbols;
  this.cumulative = [];
  this.counts = [];
  var sum = 0;
  for (var i = 0; i < probabilities.length; i++) {
    sum += probabilities[i];
    this.cumulative.push(sum);
    this.counts.push(0);
  }
}

var IUB = new Table("acgtBDHKMNRSVWY",
  [0.27, 0.12, 0.12, 0.27, 0.02, 0.02, 0.02, 0.02, 0.02, 0.02, 0.02, 0.02, 0.02, 0.02, 0.02]);
var HomoSap = new Table("acgt", [0.3029549426680, 0.1979883004921, 0.1975473066391, 0.3015094502008]);

var lines = 0;
var checksum = 0;

function emit(line) {
  lines++;
  checksum = (checksum * 31 + line.length + line.charCodeAt(0)) % 1000003;
}

function fastaRepeat(n, seq) {
  var seqi = 0, lenOut = 60;
  while (n > 0) {
    if (n < lenOut) lenOut = n;
    if (seqi + lenOut < seq.length) {
      emit(seq.substring(seqi, seqi + lenOut));
      seqi += lenOut;
    } else {
      var s = seq.substring(seqi);
      seqi = lenOut - s.length;
      emit(s + seq.substring(0, seqi));
    }
    n -= lenOut;
  }
}

function fastaRandom(n, table) {
  var line = "";
  var size = table.cumulative.length;
  while (n > 0) {
    var lenOut = 60;
    if (n < lenOut) lenOut = n;
    line = "";
    for (var i = 0; i < lenOut; i++) {
      var r = rand(1.0);
      var k = 0;
      while (k < size - 1 && r >= table.cumulative[k]) k++;
      line += table.symbols.charAt(k);
      table.counts[k]++;
    }
    emit(line);
    n -= lenOut;
  }
}

var n = 100000;
fastaRepeat(2 * n, ALU);
fastaRandom(3 * n, IUB);
fastaRandom(5 * n, HomoSap);
print(lines + " lines, checksum " + checksum);
print("IUB " + IUB.counts.join(" "));
print("HomoSapiens " + HomoSap.counts.join(" "));
