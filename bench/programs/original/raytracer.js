// raytracer: the small ray tracer of the well-known TypeScript sample (three spheres and a
// checkerboard plane, four coloured lights, reflections), in plain ES5. Prints a checksum
// of the rendered pixels instead of drawing them.
function Vector(x, y, z) {
  this.x = x;
  this.y = y;
  this.z = z;
}
Vector.times = function (k, v) { return new Vector(k * v.x, k * v.y, k * v.z); };
Vector.minus = function (v1, v2) { return new Vector(v1.x - v2.x, v1.y - v2.y, v1.z - v2.z); };
Vector.plus = function (v1, v2) { return new Vector(v1.x + v2.x, v1.y + v2.y, v1.z + v2.z); };
Vector.dot = function (v1, v2) { return v1.x * v2.x + v1.y * v2.y + v1.z * v2.z; };
Vector.mag = function (v) { return Math.sqrt(v.x * v.x + v.y * v.y + v.z * v.z); };
Vector.norm = function (v) {
  var mag = Vector.mag(v);
  var div = (mag === 0) ? 1e300 : 1.0 / mag;
  return Vector.times(div, v);
};
Vector.cross = function (v1, v2) {
  return new Vector(v1.y * v2.z - v1.z * v2.y, v1.z * v2.x - v1.x * v2.z, v1.x * v2.y - v1.y * v2.x);
};

function Color(r, g, b) {
  this.r = r;
  this.g = g;
  this.b = b;
}
Color.scale = function (k, v) { return new Color(k * v.r, k * v.g, k * v.b); };
Color.plus = function (v1, v2) { return new Color(v1.r + v2.r, v1.g + v2.g, v1.b + v2.b); };
Color.times = function (v1, v2) { return new Color(v1.r * v2.r, v1.g * v2.g, v1.b * v2.b); };
Color.white = new Color(1.0, 1.0, 1.0);
Color.grey = new Color(0.5, 0.5, 0.5);
Color.black = new Color(0.0, 0.0, 0.0);
Color.background = Color.black;
Color.defaultColor = Color.black;
Color.legalize = function (d) { return d > 1 ? 1 : d; };
Color.toDrawingColor = function (c) {
  return {
    r: Math.floor(Color.legalize(c.r) * 255),
    g: Math.floor(Color.legalize(c.g) * 255),
    b: Math.floor(Color.legalize(c.b) * 255)
  };
};

function Camera(pos, lookAt) {
  this.pos = pos;
  var down = new Vector(0.0, -1.0, 0.0);
  this.forward = Vector.norm(Vector.minus(lookAt, this.pos));
  this.right = Vector.times(1.5, Vector.norm(Vector.cross(this.forward, down)));
  this.up = Vector.times(1.5, Vector.norm(Vector.cross(this.forward, this.right)));
}

function Ray(start, dir) {
  this.start = start;
  this.dir = dir;
}

function Intersection(thing, ray, dist) {
  this.thing = thing;
  this.ray = ray;
  this.dist = dist;
}

function Sphere(center, radius, surface) {
  this.center = center;
  this.surface = surface;
  this.radius2 = radius * radius;
}
Sphere.prototype.normal = function (pos) { return Vector.norm(Vector.minus(pos, this.center)); };
Sphere.prototype.intersect = function (ray) {
  var eo = Vector.minus(this.center, ray.start);
  var v = Vector.dot(eo, ray.dir);
  var dist = 0;
  if (v >= 0) {
    var disc = this.radius2 - (Vector.dot(eo, eo) - v * v);
    if (disc >= 0) dist = v - Math.sqrt(disc);
  }
  if (dist === 0) return null;
  return new Intersection(this, ray, dist);
};

function Plane(norm, offset, surface) {
  this.norm = norm;
  this.offset = offset;
  this.surface = surface;
}
Plane.prototype.normal = function (pos) { return this.norm; };
Plane.prototype.intersect = function (ray) {
  var denom = Vector.dot(this.norm, ray.dir);
  if (denom > 0) return null;
  var dist = (Vector.dot(this.norm, ray.start) + this.offset) / (-denom);
  return new Intersection(this, ray, dist);
};

function Shiny() {
  this.roughness = 250;
}
Shiny.prototype.diffuse = function (pos) { return Color.white; };
Shiny.prototype.specular = function (pos) { return Color.grey; };
Shiny.prototype.reflect = function (pos) { return 0.7; };

function Checkerboard() {
  this.roughness = 150;
}
Checkerboard.prototype.diffuse = function (pos) {
  if ((Math.floor(pos.z) + Math.floor(pos.x)) % 2 !== 0) return Color.white;
  return Color.black;
};
Checkerboard.prototype.specular = function (pos) { return Color.white; };
Checkerboard.prototype.reflect = function (pos) {
  if ((Math.floor(pos.z) + Math.floor(pos.x)) % 2 !== 0) return 0.1;
  return 0.7;
};

function Light(pos, color) {
  this.pos = pos;
  this.color = color;
}

function Scene() {
  this.things = [new Plane(new Vector(0.0, 1.0, 0.0), 0.0, new Checkerboard()),
    new Sphere(new Vector(0.0, 1.0, -0.25), 1.0, new Shiny()),
    new Sphere(new Vector(-1.0, 0.5, 1.5), 0.5, new Shiny())];
  this.lights = [new Light(new Vector(-2.0, 2.5, 0.0), new Color(0.49, 0.07, 0.07)),
    new Light(new Vector(1.5, 2.5, 1.5), new Color(0.07, 0.07, 0.49)),
    new Light(new Vector(1.5, 2.5, -1.5), new Color(0.07, 0.49, 0.071)),
    new Light(new Vector(0.0, 3.5, 0.0), new Color(0.21, 0.21, 0.35))];
  this.camera = new Camera(new Vector(3.0, 2.0, 4.0), new Vector(-1.0, 0.5, 0.0));
}

function RayTracer() {
  this.maxDepth = 5;
}

RayTracer.prototype.intersections = function (ray, scene) {
  var closest = 1e300;
  var closestInter = null;
  for (var i = 0; i < scene.things.length; i++) {
    var inter = scene.things[i].intersect(ray);
    if (inter != null && inter.dist < closest) {
      closestInter = inter;
      closest = inter.dist;
    }
  }
  return closestInter;
};

RayTracer.prototype.testRay = function (ray, scene) {
  var isect = this.intersections(ray, scene);
  if (isect != null) return isect.dist;
  return -1;
};

RayTracer.prototype.traceRay = function (ray, scene, depth) {
  var isect = this.intersections(ray, scene);
  if (isect == null) return Color.background;
  return this.shade(isect, scene, depth);
};

RayTracer.prototype.shade = function (isect, scene, depth) {
  var d = isect.ray.dir;
  var pos = Vector.plus(Vector.times(isect.dist, d), isect.ray.start);
  var normal = isect.thing.normal(pos);
  var reflectDir = Vector.minus(d, Vector.times(2, Vector.times(Vector.dot(normal, d), normal)));
  var naturalColor = Color.plus(Color.background, this.getNaturalColor(isect.thing, pos, normal, reflectDir, scene));
  var reflectedColor;
  if (depth >= this.maxDepth) reflectedColor = Color.grey;
  else reflectedColor = this.getReflectionColor(isect.thing, pos, normal, reflectDir, scene, depth);
  return Color.plus(naturalColor, reflectedColor);
};

RayTracer.prototype.getReflectionColor = function (thing, pos, normal, rd, scene, depth) {
  return Color.scale(thing.surface.reflect(pos), this.traceRay(new Ray(pos, rd), scene, depth + 1));
};

RayTracer.prototype.addLight = function (col, light, thing, pos, norm, rd, scene) {
  var ldis = Vector.minus(light.pos, pos);
  var livec = Vector.norm(ldis);
  var neatIsect = this.testRay(new Ray(pos, livec), scene);
  var isInShadow = false;
  if (neatIsect != -1) isInShadow = neatIsect <= Vector.mag(ldis);
  if (isInShadow) return col;
  var illum = Vector.dot(livec, norm);
  var lcolor = Color.defaultColor;
  if (illum > 0) lcolor = Color.scale(illum, light.color);
  var specular = Vector.dot(livec, Vector.norm(rd));
  var scolor = Color.defaultColor;
  if (specular > 0) scolor = Color.scale(Math.pow(specular, thing.surface.roughness), light.color);
  return Color.plus(col, Color.plus(Color.times(thing.surface.diffuse(pos), lcolor),
    Color.times(thing.surface.specular(pos), scolor)));
};

RayTracer.prototype.getNaturalColor = function (thing, pos, norm, rd, scene) {
  var col = Color.defaultColor;
  for (var i = 0; i < scene.lights.length; i++) {
    col = this.addLight(col, scene.lights[i], thing, pos, norm, rd, scene);
  }
  return col;
};

RayTracer.prototype.getPoint = function (x, y, camera, screenWidth, screenHeight) {
  var recenterX = (x - (screenWidth / 2.0)) / 2.0 / screenWidth;
  var recenterY = -(y - (screenHeight / 2.0)) / 2.0 / screenHeight;
  return Vector.norm(Vector.plus(camera.forward, Vector.plus(Vector.times(recenterX, camera.right),
    Vector.times(recenterY, camera.up))));
};

RayTracer.prototype.render = function (scene, screenWidth, screenHeight) {
  var checksum = 0;
  for (var y = 0; y < screenHeight; y++) {
    for (var x = 0; x < screenWidth; x++) {
      var color = this.traceRay(new Ray(scene.camera.pos, this.getPoint(x, y, scene.camera, screenWidth, screenHeight)),
        scene, 0);
      var c = Color.toDrawingColor(color);
      checksum = (checksum * 7 + c.r * 65536 + c.g * 256 + c.b) % 1000003;
    }
  }
  return checksum;
};

var size = 100;
print(size + "x" + size + " pixels, checksum " + new RayTracer().render(new Scene(), size, size));
