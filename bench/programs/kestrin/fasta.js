// fasta (the benchmarks game), ported: the constructor becomes a class, `var` inside
// functions goes, and the functions that update module variables write them through
// the module's value (__Global__.x = ...), since a plain assignment makes a local.
var last = 42;
var IM = 139968, IA = 3877, IC = 29573;

function rand(max) {
  __Global__.last = (last * IA + IC) % IM;
  return max * last / IM;
}

var ALU = "GGCCGGGCGCGGTGGCTCACGCCTGTAATCCCAGCACTTTGG" +
  "GAGGCCGAGGCGGGCGGATCACCTGAGGTCAGGAGTTCGAGA" +
  "CCAGCCTGGCCAACATGGTGAAACCCCGTCTCTACTAAAAAT" +
  "ACAAAAATTAGCCGGGCGTGGTGGCGCGCGCCTGTAATCCCA" +
  "GCTACTCGGGAGGCTGAGGCAGGAGAATCGCTTGAACCCGGG" +
  "AGGCGGAGGTTGCAGTGAGCCGAGATCGCGCCACTGCACTCC" +
  "AGCCTGGGCGACAGAGCGAGACTCCGTCTCAAAAA";

class Table {
  symbols = "";
  cumulative = null;
  counts = null;
  function Table(symbols, probabilities) {
    this.symbols = symbols;
    this.cumulative = [];
    this.counts = [];
    sum = 0;
    for (i = 0; i < probabilities.length; i++) {
      sum += probabilities[i];
      this.cumulative.push(sum);
      this.counts.push(0);
    }
  }
}

var IUB = new Table("acgtBDHKMNRSVWY",
  [0.27, 0.12, 0.12, 0.27, 0.02, 0.02, 0.02, 0.02, 0.02, 0.02, 0.02, 0.02, 0.02, 0.02, 0.02]);
var HomoSap = new Table("acgt", [0.3029549426680, 0.1979883004921, 0.1975473066391, 0.3015094502008]);

var lines = 0;
var checksum = 0;

function emit(line) {
  __Global__.lines = lines + 1;
  __Global__.checksum = (checksum * 31 + line.length + line.charCodeAt(0)) % 1000003;
}

function fastaRepeat(n, seq) {
  seqi = 0, lenOut = 60;
  while (n > 0) {
    if (n < lenOut) lenOut = n;
    if (seqi + lenOut < seq.length) {
      emit(seq.substring(seqi, seqi + lenOut));
      seqi += lenOut;
    } else {
      s = seq.substring(seqi);
      seqi = lenOut - s.length;
      emit(s + seq.substring(0, seqi));
    }
    n -= lenOut;
  }
}

function fastaRandom(n, table) {
  line = "";
  size = table.cumulative.length;
  while (n > 0) {
    lenOut = 60;
    if (n < lenOut) lenOut = n;
    line = "";
    for (i = 0; i < lenOut; i++) {
      r = rand(1.0);
      k = 0;
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
println(lines + " lines, checksum " + checksum);
println("IUB " + IUB.counts.join(" "));
println("HomoSapiens " + HomoSap.counts.join(" "));
