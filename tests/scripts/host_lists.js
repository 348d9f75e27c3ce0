// Strings and Ini end to end: comma text, sorting, arrays, files, and an INI file changed
// in memory, saved, and read back by a new object.
// A scratch folder of its own under /tmp, removed again at the end.
var token = (new Date()).getTime() + "-" + Math.floor(Math.random() * 1000000);
var scratch = "/tmp/velkoran-host-" + token;
new Directory(scratch).make();
var s = new Strings();
s.commaText = 'pear "big apple",Fig';
println(s.count + " " + s[1]);
s.sort();
println(s.commaText);
s.addStrings(new Array(3, "banana"));
println(s.text.length);
s.sorted = true;
println(s.add("FIG") + " " + s.count + " " + s.indexOf("BANANA"));
println(s.saveToFile(scratch + "/list.txt"));
var t = new Strings();
t.loadFromFile(scratch + "/list.txt");
println(t.commaText);
try { println(t[9]); } catch (e) { println("index: " + e); }

var ini = new Ini(scratch + "/app.ini");
println(ini.read("Window", "Width", "640"));
ini.write("Window", "Width", "800");
ini.write("Window", "Height", "600");
ini.write("Recent", "File1", "a.txt");
println(ini.read("WINDOW", "width", "640"));
println(new Ini(scratch + "/app.ini").read("Window", "Width", "640"));
println(ini.save());
var again = new Ini(scratch + "/app.ini");
println(again.read("Window", "Width", "640"));
println(again.readSections().commaText);
println(again.readSection("window").commaText);
again.eraseSection("recent");
println(again.sectionExists("Recent") + " " + again.sectionExists("Window"));
try { again.read("a", "b"); } catch (e) { println("read: " + e); }

new File(scratch + "/list.txt").remove();
new File(scratch + "/app.ini").remove();
println(new Directory(scratch).remove());
