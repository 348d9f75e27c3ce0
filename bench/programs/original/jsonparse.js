// jsonparse: a recursive-descent parser for JSON text (objects, arrays, strings with
// escapes, integers, true, false, null) run over generated messages of a few hundred
// bytes each; it builds the objects and arrays and sums what it read.
function Generator(seed) {
  this.seed = seed;
}

Generator.prototype.next = function (limit) {
  this.seed = (this.seed * 1103 + 12345) % 65536;
  return this.seed % limit;
};

function makeMessages(records) {
  var g = new Generator(7);
  var words = ["alpha", "beta", "gamma", "delta", "epsilon", "zeta", "eta", "theta"];
  var parts = [];
  for (var i = 0; i < records; i++) {
    var tags = [];
    var tagCount = g.next(4);
    for (var t = 0; t < tagCount; t++) tags.push("\"" + words[g.next(8)] + "\"");
    var values = [];
    var valueCount = g.next(6);
    for (var v = 0; v < valueCount; v++) values.push(g.next(1000) - 500);
    parts.push("{\"id\": " + i + ", \"name\": \"item\\\"" + words[g.next(8)] + "\\\\" + i + "\", " +
      "\"tags\": [" + tags.join(", ") + "], \"active\": " + (g.next(2) == 0 ? "true" : "false") +
      ", \"parent\": null, \"values\": [" + values.join(",") + "], " +
      "\"child\": {\"depth\": " + g.next(10) + ", \"label\": \"c" + i + "\", \"empty\": {}, \"list\": []}}");
  }
  return parts;
}

function Parser(text) {
  this.text = text;
  this.pos = 0;
  this.numbers = 0;
  this.strings = 0;
  this.literals = 0;
  this.sum = 0;
}

Parser.prototype.skipSpace = function () {
  while (this.pos < this.text.length) {
    var c = this.text.charCodeAt(this.pos);
    if (c == 32 || c == 10 || c == 13 || c == 9) this.pos++;
    else break;
  }
};

Parser.prototype.expect = function (code) {
  this.skipSpace();
  if (this.text.charCodeAt(this.pos) != code) throw "expected " + String.fromCharCode(code) + " at " + this.pos;
  this.pos++;
};

Parser.prototype.parseValue = function () {
  this.skipSpace();
  var c = this.text.charCodeAt(this.pos);
  if (c == 123) return this.parseObject();
  if (c == 91) return this.parseArray();
  if (c == 34) return this.parseString();
  if (c == 116) return this.parseWord("true", true);
  if (c == 102) return this.parseWord("false", false);
  if (c == 110) return this.parseWord("null", null);
  return this.parseNumber();
};

Parser.prototype.parseWord = function (word, value) {
  if (this.text.substring(this.pos, this.pos + word.length) != word) throw "bad literal at " + this.pos;
  this.pos += word.length;
  this.literals++;
  return value;
};

Parser.prototype.parseNumber = function () {
  var negative = false;
  if (this.text.charCodeAt(this.pos) == 45) {
    negative = true;
    this.pos++;
  }
  var value = 0;
  var digits = 0;
  while (this.pos < this.text.length) {
    var c = this.text.charCodeAt(this.pos);
    if (c < 48 || c > 57) break;
    value = value * 10 + (c - 48);
    digits++;
    this.pos++;
  }
  if (digits == 0) throw "bad number at " + this.pos;
  if (negative) value = -value;
  this.numbers++;
  this.sum = (this.sum + value + 1000000) % 1000003;
  return value;
};

Parser.prototype.parseString = function () {
  this.pos++;
  var out = "";
  var start = this.pos;
  while (true) {
    var c = this.text.charCodeAt(this.pos);
    if (c == 34) break;
    if (c == 92) {
      out += this.text.substring(start, this.pos);
      var e = this.text.charAt(this.pos + 1);
      if (e == "n") out += "\n";
      else if (e == "t") out += "\t";
      else out += e;
      this.pos += 2;
      start = this.pos;
    } else {
      this.pos++;
    }
  }
  out += this.text.substring(start, this.pos);
  this.pos++;
  this.strings++;
  this.sum = (this.sum + out.length * 7 + out.charCodeAt(0)) % 1000003;
  return out;
};

Parser.prototype.parseArray = function () {
  this.pos++;
  var items = [];
  this.skipSpace();
  if (this.text.charCodeAt(this.pos) == 93) {
    this.pos++;
    return items;
  }
  while (true) {
    items.push(this.parseValue());
    this.skipSpace();
    var c = this.text.charCodeAt(this.pos);
    this.pos++;
    if (c == 93) break;
    if (c != 44) throw "expected , or ] at " + this.pos;
  }
  return items;
};

Parser.prototype.parseObject = function () {
  this.pos++;
  var object = {};
  this.skipSpace();
  if (this.text.charCodeAt(this.pos) == 125) {
    this.pos++;
    return object;
  }
  while (true) {
    this.skipSpace();
    var key = this.parseString();
    this.expect(58);
    object[key] = this.parseValue();
    this.skipSpace();
    var c = this.text.charCodeAt(this.pos);
    this.pos++;
    if (c == 125) break;
    if (c != 44) throw "expected , or } at " + this.pos;
  }
  return object;
};

var messages = makeMessages(2000);
var bytes = 0, numbers = 0, strings = 0, literals = 0, total = 0;
for (var round = 0; round < 3; round++) {
  for (var i = 0; i < messages.length; i++) {
    var parser = new Parser("[" + messages[i] + ",\n" + messages[messages.length - 1 - i] + "]");
    var message = parser.parseValue();
    if (message.length != 2) throw "two records expected";
    bytes += parser.text.length;
    numbers += parser.numbers;
    strings += parser.strings;
    literals += parser.literals;
    total = (total + parser.sum) % 1000003;
  }
}
print(bytes + " bytes, " + numbers + " numbers, " + strings + " strings, " + literals + " literals, checksum " + total);
