// A library module: its own variables, a class and functions.
var unit = 10;
class Point {
  x = 0; y = 0;
  function Point(a, b) { this.x = a * unit; this.y = b * unit; }
}
function scale(v) { return v * unit; }
