// Script classes: members, constructors, inheritance and super.
class Shape {
  name = "shape";
  function Shape(n) { this.name = n; }
  function area() { return 0; }
  function describe() { return name + " of area " + this.area(); }
}
class Rect extends Shape {
  w = 0; h = 0;
  function Rect(n, w, h) { this.w = w; this.h = h; }
  function area() { return w * h; }
}
class Square extends Rect {
  function Square(n, s) { this.w = s; this.h = s; }
  // super reaches the level just below (Rect) only.
  function area() { return super.area() + 0.5; }
  function describe() { return "square " + this.area(); }
}
var shapes = [new Shape("dot"), new Rect("rect", 2, 3), new Square("sq", 4)];
for (i = 0; i < shapes.length; i++) println(shapes[i].describe());
println(shapes[2].toString(), shapes[2].hasKey("w"), shapes[1].getProperties());
