// A first Kestrin script: run it with  build/bin/kestrin examples/hello.js [NAME...]
function greet(name) {
  return "Hello, " + name + "!";
}

class Counter {
  count = 0;
  function add(n) { this.count = this.count + n; return this.count; }
}

var names = args.length > 0 ? args : ["Velkoran"];
var counter = new Counter();
for (i = 0; i < names.length; i++) {
  println(greet(names[i]));
  counter.add(names[i].length);
}
println("letters greeted: " + counter.count);
