// CRC, Base64, Win32 and Mutex end to end, and a dialog where none can be shown (the
// console runner), which ends the run with an uncaught error.
var c = new CRC();
c.calc("123456789");
println(c.CRC16 + " " + c.CRC32);
var f = new File(args[0] + "/digits");
f.open("w");
f.write("123456789");
f.close();
c.calcFile(args[0] + "/digits");
println(c.CRC16 + " " + c.CRC32);

var b = new Base64();
println(b.encode("Velkoran"));
println(b.decode(b.encode("round trip")));
println(b.encodeHeader("plain"));

var w = new Win32();
w.sleep(10);
w.processMessages();
try { w.WinExec("velkoran-no-such-program"); } catch (e) { println("exec: " + e); }

var m1 = new Mutex("velkoran-e2e-" + args[1]);
var m2 = new Mutex("velkoran-e2e-" + args[1]);
println(m1.existed + " " + m2.existed);
println(m1.tryLock());
m1.unlock();

new Dialog().openFile("Pick a file");
println("not reached");
