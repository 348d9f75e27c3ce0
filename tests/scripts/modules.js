// Library modules: import from the script's folder, qualified names and classes.
import Geo;
var p = new Geo.Point(1, 2);
println(p.x, p.y, Geo.scale(3), unit);
Geo.unit = 2;
println(Geo.scale(3), Geo.unit);
var unit = 7;
println(unit, Geo.unit);
