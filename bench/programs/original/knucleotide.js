// k-nucleotide (the benchmarks game): counts every substring of lengths 1, 2, 3, 4, 6,
// 12 and 18 of a random DNA sequence in objects used as hash tables, then prints the
// frequency tables of lengths 1 and 2 and the counts of five given sequences. The
// sequence is an array of one-letter strings and each key is built from it, so no
// interpreter pays for indexing into one long string.
var last = 42;
var IM = 139968, IA = 3877, IC = 29573;

function rand(max) {
  last = (last * IA + IC) % IM;
  return max * last / IM;
}

function randomSequence(n) {
  var symbols = "acgt";
  var cumulative = [0.3029549426680, 0.5009432431601, 0.6984905497992, 1.0];
  var parts = [];
  for (var i = 0; i < n; i++) {
    var r = rand(1.0);
    var k = 0;
    while (r >= cumulative[k]) k++;
    parts.push(symbols.charAt(k).toUpperCase());
  }
  return parts;
}

function frequencies(seq, length) {
  var counts = {};
  var n = seq.length - length + 1;
  for (var i = 0; i < n; i++) {
    var key = seq[i];
    for (var j = 1; j < length; j++) key += seq[i + j];
    if (counts.hasOwnProperty(key)) counts[key] = counts[key] + 1;
    else counts[key] = 1;
  }
  return counts;
}

function fixed(x, digits) {
  var sign = "";
  if (x < 0) {
    sign = "-";
    x = -x;
  }
  var scale = 1;
  for (var i = 0; i < digits; i++) scale = scale * 10;
  var whole = Math.floor(x);
  var frac = Math.floor((x - whole) * scale + 0.5);
  if (frac >= scale) {
    whole = whole + 1;
    frac = frac - scale;
  }
  var text = "" + frac;
  while (text.length < digits) text = "0" + text;
  return sign + whole + "." + text;
}

function Entry(key, count) {
  this.key = key;
  this.count = count;
}

function byCountThenKey(a, b) {
  if (a.count != b.count) return b.count - a.count;
  if (a.key < b.key) return -1;
  if (a.key > b.key) return 1;
  return 0;
}

function frequencyTable(seq, length) {
  var counts = frequencies(seq, length);
  var entries = [];
  var total = 0;
  for (var key in counts) {
    entries.push(new Entry(key, counts[key]));
    total += counts[key];
  }
  entries.sort(byCountThenKey);
  var lines = [];
  for (var i = 0; i < entries.length; i++) {
    lines.push(entries[i].key + " " + fixed(100 * entries[i].count / total, 3));
  }
  return lines.join("\n");
}

function count(seq, fragment) {
  var counts = frequencies(seq, fragment.length);
  var n = 0;
  if (counts.hasOwnProperty(fragment)) n = counts[fragment];
  return n + "\t" + fragment;
}

var seq = randomSequence(75000);
var out = [frequencyTable(seq, 1), "", frequencyTable(seq, 2), ""];
var fragments = ["GGT", "GGTA", "GGTATT", "GGTATTTTAATT", "GGTATTTTAATTTATAGT"];
for (var i = 0; i < fragments.length; i++) out.push(count(seq, fragments[i]));
print(out.join("\n"));
