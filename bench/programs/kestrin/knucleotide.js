// k-nucleotide (the benchmarks game), ported: the constructor becomes a class, `var`
// inside functions goes, hasOwnProperty is hasKey, and the generator writes its module
// variable through the module's value.
var last = 42;
var IM = 139968, IA = 3877, IC = 29573;

function rand(max) {
  __Global__.last = (last * IA + IC) % IM;
  return max * last / IM;
}

function randomSequence(n) {
  symbols = "acgt";
  cumulative = [0.3029549426680, 0.5009432431601, 0.6984905497992, 1.0];
  parts = [];
  for (i = 0; i < n; i++) {
    r = rand(1.0);
    k = 0;
    while (r >= cumulative[k]) k++;
    parts.push(symbols.charAt(k).toUpperCase());
  }
  return parts;
}

function frequencies(seq, length) {
  counts = {};
  n = seq.length - length + 1;
  for (i = 0; i < n; i++) {
    key = seq[i];
    for (j = 1; j < length; j++) key += seq[i + j];
    if (counts.hasKey(key)) counts[key] = counts[key] + 1;
    else counts[key] = 1;
  }
  return counts;
}

function fixed(x, digits) {
  sign = "";
  if (x < 0) {
    sign = "-";
    x = -x;
  }
  scale = 1;
  for (i = 0; i < digits; i++) scale = scale * 10;
  whole = Math.floor(x);
  frac = Math.floor((x - whole) * scale + 0.5);
  if (frac >= scale) {
    whole = whole + 1;
    frac = frac - scale;
  }
  text = "" + frac;
  while (text.length < digits) text = "0" + text;
  return sign + whole + "." + text;
}

class Entry {
  key = ""; count = 0;
  function Entry(key, count) {
    this.key = key;
    this.count = count;
  }
}

function byCountThenKey(a, b) {
  if (a.count != b.count) return b.count - a.count;
  if (a.key < b.key) return -1;
  if (a.key > b.key) return 1;
  return 0;
}

function frequencyTable(seq, length) {
  counts = frequencies(seq, length);
  entries = [];
  total = 0;
  for (key in counts) {
    entries.push(new Entry(key, counts[key]));
    total += counts[key];
  }
  entries.sort(byCountThenKey);
  lines = [];
  for (i = 0; i < entries.length; i++) {
    lines.push(entries[i].key + " " + fixed(100 * entries[i].count / total, 3));
  }
  return lines.join("\n");
}

function count(seq, fragment) {
  counts = frequencies(seq, fragment.length);
  n = 0;
  if (counts.hasKey(fragment)) n = counts[fragment];
  return n + "\t" + fragment;
}

var seq = randomSequence(75000);
var out = [frequencyTable(seq, 1), "", frequencyTable(seq, 2), ""];
var fragments = ["GGT", "GGTA", "GGTATT", "GGTATTTTAATT", "GGTATTTTAATTTATAGT"];
var i;
for (i = 0; i < fragments.length; i++) out.push(count(seq, fragments[i]));
println(out.join("\n"));
