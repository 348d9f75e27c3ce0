// jsonparse, ported: constructors and prototypes become classes and `var` inside
// functions goes; a line feed is written LF, since "\n" in this dialect is CR LF; the
// random draws inside one expression are taken in statements of their own, since the
// dialect evaluates operands right to left.
var LF = String.fromCharCode(10);
class Generator {
  seed = null;
  function Generator(seed) {
    this.seed = seed;
  }

  function next(limit) {
    this.seed = (this.seed * 1103 + 12345) % 65536;
    return this.seed % limit;
  }
}


function makeMessages(records) {
  g = new Generator(7);
  words = ["alpha", "beta", "gamma", "delta", "epsilon", "zeta", "eta", "theta"];
  parts = [];
  for (i = 0; i < records; i++) {
    tags = [];
    tagCount = g.next(4);
    for (t = 0; t < tagCount; t++) tags.push("\"" + words[g.next(8)] + "\"");
    values = [];
    valueCount = g.next(6);
    for (v = 0; v < valueCount; v++) values.push(g.next(1000) - 500);
    name = words[g.next(8)];
    active = g.next(2) == 0 ? "true" : "false";
    depth = g.next(10);
    parts.push("{\"id\": " + i + ", \"name\": \"item\\\"" + name + "\\\\" + i + "\", " +
      "\"tags\": [" + tags.join(", ") + "], \"active\": " + active +
      ", \"parent\": null, \"values\": [" + values.join(",") + "], " +
      "\"child\": {\"depth\": " + depth + ", \"label\": \"c" + i + "\", \"empty\": {}, \"list\": []}}");
  }
  return parts;
}

class Parser {
  text = null; pos = null; numbers = null; strings = null; literals = null; sum = null;
  function Parser(text) {
    this.text = text;
    this.pos = 0;
    this.numbers = 0;
    this.strings = 0;
    this.literals = 0;
    this.sum = 0;
  }

  function skipSpace() {
    while (this.pos < this.text.length) {
      c = this.text.charCodeAt(this.pos);
      if (c == 32 || c == 10 || c == 13 || c == 9) this.pos++;
      else break;
    }
  }

  function expect(code) {
    this.skipSpace();
    if (this.text.charCodeAt(this.pos) != code) throw "expected " + String.fromCharCode(code) + " at " + this.pos;
    this.pos++;
  }

  function parseValue() {
    this.skipSpace();
    c = this.text.charCodeAt(this.pos);
    if (c == 123) return this.parseObject();
    if (c == 91) return this.parseArray();
    if (c == 34) return this.parseString();
    if (c == 116) return this.parseWord("true", true);
    if (c == 102) return this.parseWord("false", false);
    if (c == 110) return this.parseWord("null", null);
    return this.parseNumber();
  }

  function parseWord(word, value) {
    if (this.text.substring(this.pos, this.pos + word.length) != word) throw "bad literal at " + this.pos;
    this.pos += word.length;
    this.literals++;
    return value;
  }

  function parseNumber() {
    negative = false;
    if (this.text.charCodeAt(this.pos) == 45) {
      negative = true;
      this.pos++;
    }
    value = 0;
    digits = 0;
    while (this.pos < this.text.length) {
      c = this.text.charCodeAt(this.pos);
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
  }

  function parseString() {
    this.pos++;
    out = "";
    start = this.pos;
    while (true) {
      c = this.text.charCodeAt(this.pos);
      if (c == 34) break;
      if (c == 92) {
        out += this.text.substring(start, this.pos);
        e = this.text.charAt(this.pos + 1);
        if (e == "n") out += LF;
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
  }

  function parseArray() {
    this.pos++;
    items = [];
    this.skipSpace();
    if (this.text.charCodeAt(this.pos) == 93) {
      this.pos++;
      return items;
    }
    while (true) {
      items.push(this.parseValue());
      this.skipSpace();
      c = this.text.charCodeAt(this.pos);
      this.pos++;
      if (c == 93) break;
      if (c != 44) throw "expected , or ] at " + this.pos;
    }
    return items;
  }

  function parseObject() {
    this.pos++;
    object = {};
    this.skipSpace();
    if (this.text.charCodeAt(this.pos) == 125) {
      this.pos++;
      return object;
    }
    while (true) {
      this.skipSpace();
      key = this.parseString();
      this.expect(58);
      object[key] = this.parseValue();
      this.skipSpace();
      c = this.text.charCodeAt(this.pos);
      this.pos++;
      if (c == 125) break;
      if (c != 44) throw "expected , or } at " + this.pos;
    }
    return object;
  }
}





var messages = makeMessages(2000);
var bytes = 0, numbers = 0, strings = 0, literals = 0, total = 0;
var round, i, parser, message;
for (round = 0; round < 3; round++) {
  for (i = 0; i < messages.length; i++) {
    parser = new Parser("[" + messages[i] + "," + LF + messages[messages.length - 1 - i] + "]");
    message = parser.parseValue();
    if (message.length != 2) throw "two records expected";
    bytes += parser.text.length;
    numbers += parser.numbers;
    strings += parser.strings;
    literals += parser.literals;
    total = (total + parser.sum) % 1000003;
  }
}
println(bytes + " bytes, " + numbers + " numbers, " + strings + " strings, " + literals + " literals, checksum " + total);
