// binary-trees (the benchmarks game), ported: constructor and prototype become a class.
class TreeNode {
  left = null;
  right = null;
  function TreeNode(left, right) {
    this.left = left;
    this.right = right;
  }
  function itemCheck() {
    if (this.left === null) return 1;
    return 1 + this.left.itemCheck() + this.right.itemCheck();
  }
}

function bottomUpTree(depth) {
  if (depth > 0) return new TreeNode(bottomUpTree(depth - 1), bottomUpTree(depth - 1));
  return new TreeNode(null, null);
}

var maxDepth = 12;
var minDepth = 4;
var stretchDepth = maxDepth + 1;
var out = [];
out.push("stretch tree of depth " + stretchDepth + "\t check: " + bottomUpTree(stretchDepth).itemCheck());
var longLivedTree = bottomUpTree(maxDepth);
var depth, iterations, check, i;
for (depth = minDepth; depth <= maxDepth; depth += 2) {
  iterations = 1 << (maxDepth - depth + minDepth);
  check = 0;
  for (i = 1; i <= iterations; i++) check += bottomUpTree(depth).itemCheck();
  out.push(iterations + "\t trees of depth " + depth + "\t check: " + check);
}
out.push("long lived tree of depth " + maxDepth + "\t check: " + longLivedTree.itemCheck());
println(out.join("\n"));
