// Building a 1 MB string by concatenation, 256 bytes at a time.
var s = "";
var i;
for (i = 0; i < 4096; i++) {
  s = s + "abcdefghijklmnopabcdefghijklmnopabcdefghijklmnopabcdefghijklmnopabcdefghijklmnopabcdefghijklmnopabcdefghijklmnopabcdefghijklmnopabcdefghijklmnopabcdefghijklmnopabcdefghijklmnopabcdefghijklmnopabcdefghijklmnopabcdefghijklmnopabcdefghijklmnopabcdefghijklmnop";
}
print(s.length);
