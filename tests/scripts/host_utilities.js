// CRC, Base64, Win32 and Mutex end to end, and a dialog where none can be shown (the
// console runner), which ends the run with an uncaught error.
// A scratch folder of its own under /tmp, removed again at the end.
var token = (new Date()).getTime() + "-" + Math.floor(Math.random() * 1000000);
var scratch = "/tmp/velkoran-host-" + token;
new Directory(scratch).make();
var c = new CRC();
c.calc("123456789");
println(c.CRC16 + " " + c.CRC32);
var f = new File(scratch + "/digits");
f.open("w");
f.write("123456789");
f.close();
c.calcFile(scratch + "/digits");
println(c.CRC16 + " " + c.CRC32);

var b = new Base64();
println(b.encode("Velkoran"));
println(b.decode(b.encode("round trip")));
println(b.encodeHeader("plain"));

var w = new Win32();
w.sleep(10);
w.processMessages();
try { w.WinExec("velkoran-no-such-program"); } catch (e) { println("exec: " + e); }

var m1 = new Mutex("velkoran-e2e-" + token);
var m2 = new Mutex("velkoran-e2e-" + token);
println(m1.existed + " " + m2.existed);
println(m1.tryLock());
m1.unlock();

new File(scratch + "/digits").remove();
println(new Directory(scratch).remove());
new Dialog().openFile("Pick a file");
println("not reached");
