// raytracer, ported: constructors and prototypes become classes; the static functions
// of Vector and Color become members of objects of those names, so the classes are called
// Vec and Col; `var` inside functions goes; a conditional whose other branch must not be
// evaluated (the dialect evaluates both) becomes if/else, and so does an `&&` whose
// right side must not be evaluated; `div` is a keyword here.
class Vec {
  x = 0.0; y = 0.0; z = 0.0;
  function Vec(x, y, z) {
    this.x = x;
    this.y = y;
    this.z = z;
  }
}
function vectorTimes(k, v) { return new Vec(k * v.x, k * v.y, k * v.z); }
function vectorMinus(v1, v2) { return new Vec(v1.x - v2.x, v1.y - v2.y, v1.z - v2.z); }
function vectorPlus(v1, v2) { return new Vec(v1.x + v2.x, v1.y + v2.y, v1.z + v2.z); }
function vectorDot(v1, v2) { return v1.x * v2.x + v1.y * v2.y + v1.z * v2.z; }
function vectorMag(v) { return Math.sqrt(v.x * v.x + v.y * v.y + v.z * v.z); }
function vectorNorm(v) {
  mag = Vector.mag(v);
  if (mag == 0) divisor = 1e300;
  else divisor = 1.0 / mag;
  return Vector.times(divisor, v);
}
function vectorCross(v1, v2) {
  return new Vec(v1.y * v2.z - v1.z * v2.y, v1.z * v2.x - v1.x * v2.z, v1.x * v2.y - v1.y * v2.x);
}
var Vector = {times: vectorTimes, minus: vectorMinus, plus: vectorPlus, dot: vectorDot, mag: vectorMag,
  norm: vectorNorm, cross: vectorCross};

class Col {
  r = 0.0; g = 0.0; b = 0.0;
  function Col(r, g, b) {
    this.r = r;
    this.g = g;
    this.b = b;
  }
}
function colorScale(k, v) { return new Col(k * v.r, k * v.g, k * v.b); }
function colorPlus(v1, v2) { return new Col(v1.r + v2.r, v1.g + v2.g, v1.b + v2.b); }
function colorTimes(v1, v2) { return new Col(v1.r * v2.r, v1.g * v2.g, v1.b * v2.b); }
function colorLegalize(d) { return d > 1 ? 1 : d; }
function colorToDrawingColor(c) {
  return {
    r: Math.floor(Color.legalize(c.r) * 255),
    g: Math.floor(Color.legalize(c.g) * 255),
    b: Math.floor(Color.legalize(c.b) * 255)
  };
}
var black = new Col(0.0, 0.0, 0.0);
var Color = {scale: colorScale, plus: colorPlus, times: colorTimes, white: new Col(1.0, 1.0, 1.0),
  grey: new Col(0.5, 0.5, 0.5), black: black, background: black, defaultColor: black, legalize: colorLegalize,
  toDrawingColor: colorToDrawingColor};

class Camera {
  pos = null; forward = null; right = null; up = null;
  function Camera(pos, lookAt) {
    this.pos = pos;
    down = new Vec(0.0, -1.0, 0.0);
    this.forward = Vector.norm(Vector.minus(lookAt, this.pos));
    this.right = Vector.times(1.5, Vector.norm(Vector.cross(this.forward, down)));
    this.up = Vector.times(1.5, Vector.norm(Vector.cross(this.forward, this.right)));
  }
}

class Ray {
  start = null; dir = null;
  function Ray(start, dir) {
    this.start = start;
    this.dir = dir;
  }
}

class Intersection {
  thing = null; ray = null; dist = null;
  function Intersection(thing, ray, dist) {
    this.thing = thing;
    this.ray = ray;
    this.dist = dist;
  }
}

class Sphere {
  center = null; surface = null; radius2 = null;
  function Sphere(center, radius, surface) {
    this.center = center;
    this.surface = surface;
    this.radius2 = radius * radius;
  }
  function normal(pos) { return Vector.norm(Vector.minus(pos, this.center)); }
  function intersect(ray) {
    eo = Vector.minus(this.center, ray.start);
    v = Vector.dot(eo, ray.dir);
    dist = 0;
    if (v >= 0) {
      disc = this.radius2 - (Vector.dot(eo, eo) - v * v);
      if (disc >= 0) dist = v - Math.sqrt(disc);
    }
    if (dist === 0) return null;
    return new Intersection(this, ray, dist);
  }
}

class Plane {
  norm = null; offset = null; surface = null;
  function Plane(norm, offset, surface) {
    this.norm = norm;
    this.offset = offset;
    this.surface = surface;
  }
  function normal(pos) { return this.norm; }
  function intersect(ray) {
    denom = Vector.dot(this.norm, ray.dir);
    if (denom > 0) return null;
    dist = (Vector.dot(this.norm, ray.start) + this.offset) / (-denom);
    return new Intersection(this, ray, dist);
  }
}

class Shiny {
  roughness = null;
  function Shiny() {
    this.roughness = 250;
  }
  function diffuse(pos) { return Color.white; }
  function specular(pos) { return Color.grey; }
  function reflect(pos) { return 0.7; }
}

class Checkerboard {
  roughness = null;
  function Checkerboard() {
    this.roughness = 150;
  }
  function diffuse(pos) {
    if ((Math.floor(pos.z) + Math.floor(pos.x)) % 2 !== 0) return Color.white;
    return Color.black;
  }
  function specular(pos) { return Color.white; }
  function reflect(pos) {
    if ((Math.floor(pos.z) + Math.floor(pos.x)) % 2 !== 0) return 0.1;
    return 0.7;
  }
}

class Light {
  pos = null; color = null;
  function Light(pos, color) {
    this.pos = pos;
    this.color = color;
  }
}

class Scene {
  things = null; lights = null; camera = null;
  function Scene() {
    this.things = [new Plane(new Vec(0.0, 1.0, 0.0), 0.0, new Checkerboard()),
      new Sphere(new Vec(0.0, 1.0, -0.25), 1.0, new Shiny()),
      new Sphere(new Vec(-1.0, 0.5, 1.5), 0.5, new Shiny())];
    this.lights = [new Light(new Vec(-2.0, 2.5, 0.0), new Col(0.49, 0.07, 0.07)),
      new Light(new Vec(1.5, 2.5, 1.5), new Col(0.07, 0.07, 0.49)),
      new Light(new Vec(1.5, 2.5, -1.5), new Col(0.07, 0.49, 0.071)),
      new Light(new Vec(0.0, 3.5, 0.0), new Col(0.21, 0.21, 0.35))];
    this.camera = new Camera(new Vec(3.0, 2.0, 4.0), new Vec(-1.0, 0.5, 0.0));
  }
}

class RayTracer {
  maxDepth = null;
  function RayTracer() {
    this.maxDepth = 5;
  }
  function intersections(ray, scene) {
    closest = 1e300;
    closestInter = null;
    for (i = 0; i < scene.things.length; i++) {
      inter = scene.things[i].intersect(ray);
      if (inter != null) {
        if (inter.dist < closest) {
          closestInter = inter;
          closest = inter.dist;
        }
      }
    }
    return closestInter;
  }
  function testRay(ray, scene) {
    isect = this.intersections(ray, scene);
    if (isect != null) return isect.dist;
    return -1;
  }
  function traceRay(ray, scene, depth) {
    isect = this.intersections(ray, scene);
    if (isect == null) return Color.background;
    return this.shade(isect, scene, depth);
  }
  function shade(isect, scene, depth) {
    d = isect.ray.dir;
    pos = Vector.plus(Vector.times(isect.dist, d), isect.ray.start);
    normal = isect.thing.normal(pos);
    reflectDir = Vector.minus(d, Vector.times(2, Vector.times(Vector.dot(normal, d), normal)));
    naturalColor = Color.plus(Color.background, this.getNaturalColor(isect.thing, pos, normal, reflectDir, scene));
    if (depth >= this.maxDepth) reflectedColor = Color.grey;
    else reflectedColor = this.getReflectionColor(isect.thing, pos, normal, reflectDir, scene, depth);
    return Color.plus(naturalColor, reflectedColor);
  }
  function getReflectionColor(thing, pos, normal, rd, scene, depth) {  return Color.scale(thing.surface.reflect(pos), this.traceRay(new Ray(pos, rd), scene, depth + 1)); }
  function addLight(col, light, thing, pos, norm, rd, scene) {
    ldis = Vector.minus(light.pos, pos);
    livec = Vector.norm(ldis);
    neatIsect = this.testRay(new Ray(pos, livec), scene);
    isInShadow = false;
    if (neatIsect != -1) isInShadow = neatIsect <= Vector.mag(ldis);
    if (isInShadow) return col;
    illum = Vector.dot(livec, norm);
    lcolor = Color.defaultColor;
    if (illum > 0) lcolor = Color.scale(illum, light.color);
    specular = Vector.dot(livec, Vector.norm(rd));
    scolor = Color.defaultColor;
    if (specular > 0) scolor = Color.scale(Math.pow(specular, thing.surface.roughness), light.color);
    return Color.plus(col, Color.plus(Color.times(thing.surface.diffuse(pos), lcolor),
      Color.times(thing.surface.specular(pos), scolor)));
  }
  function getNaturalColor(thing, pos, norm, rd, scene) {
    col = Color.defaultColor;
    for (i = 0; i < scene.lights.length; i++) {
      col = this.addLight(col, scene.lights[i], thing, pos, norm, rd, scene);
    }
    return col;
  }
  function getPoint(x, y, camera, screenWidth, screenHeight) {
    recenterX = (x - (screenWidth / 2.0)) / 2.0 / screenWidth;
    recenterY = -(y - (screenHeight / 2.0)) / 2.0 / screenHeight;
    return Vector.norm(Vector.plus(camera.forward, Vector.plus(Vector.times(recenterX, camera.right),
      Vector.times(recenterY, camera.up))));
  }
  function render(scene, screenWidth, screenHeight) {
    checksum = 0;
    for (y = 0; y < screenHeight; y++) {
      for (x = 0; x < screenWidth; x++) {
        color = this.traceRay(new Ray(scene.camera.pos, this.getPoint(x, y, scene.camera, screenWidth, screenHeight)),
          scene, 0);
        c = Color.toDrawingColor(color);
        checksum = (checksum * 7 + c.r * 65536 + c.g * 256 + c.b) % 1000003;
      }
    }
    return checksum;
  }
}










var size = 100;
println(size + "x" + size + " pixels, checksum " + new RayTracer().render(new Scene(), size, size));
