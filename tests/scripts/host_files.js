// Files and directories end to end: build a small tree, write, read back by bytes and
// lines, list it, copy, rename and delete, and catch the errors by name.
// A scratch folder of its own under /tmp, removed again at the end.
var token = (new Date()).getTime() + "-" + Math.floor(Math.random() * 1000000);
var scratch = "/tmp/velkoran-host-" + token;
new Directory(scratch).make();
var root = new Directory(scratch + "/tree");
println(root.exists());
new Directory(root.dirname + "a/b/c").make();
println(root.exists());

var f = new File(root.dirname + "a/notes.txt");
f.open("w");
f.writeln("first line");
f.writeln("second line   ");
f.write("last");
f.close();

f.open();
println(f.length);
while (!f.eof()) println("<" + f.readln() + ">");
f.seek(0);
println(f.read(5));
f.close();

function listing(dir) {
  names = new Strings();
  name = dir.findFirst();
  while (name != null) {
    if (name != "." && name != "..") names.add(name);
    name = dir.findNext();
  }
  dir.findClose();
  names.sort();
  return names.commaText;
}

var a = new Directory(root.dirname + "a");
println(listing(a));
println(f.copyTo(root.dirname + "a/b/copy.txt"));
println(new File(root.dirname + "a/b/copy.txt").exists());
println(f.renameTo(root.dirname + "a/b/c/moved.txt"));
println(listing(a));
println(listing(new Directory(root.dirname + "a/b")));

var moved = new File(root.dirname + "a/b/c/moved.txt");
moved.open("r");
var rival = new File(root.dirname + "a/b/c/moved.txt");
try { rival.open(); } catch (e) { println("rival: " + e); }
moved.close();
rival.open();
println(rival.readln());
rival.close();

try { new File(root.dirname + "nothing").remove(); } catch (e) { println("remove: " + e); }
try { a.remove(); } catch (e) { println("rmdir: " + e); }
try { a.findNext(); } catch (e) { println("findNext: " + e); }
println(moved.remove());
println(new Directory(root.dirname + "a/b/c").remove());
println(new File(root.dirname + "a/b/copy.txt").remove());
println(listing(new Directory(root.dirname + "a/b")));
println(new File(root.dirname + "a/b/copy.txt").exists());

new Directory(root.dirname + "a/b").remove();
new Directory(root.dirname + "a").remove();
root.remove();
println(new Directory(scratch).remove());
