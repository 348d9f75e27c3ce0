// binary-trees (the benchmarks game): many short-lived trees and one long-lived one.
function TreeNode(left, right) {
  this.left = left;
  this.right = right;
}

TreeNode.prototype.itemCheck = function () {
  if (this.left === null) return 1;
  return 1 + this.left.itemCheck() + this.right.itemCheck();
};

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
for (var depth = minDepth; depth <= maxDepth; depth += 2) {
  var iterations = 1 << (maxDepth - depth + minDepth);
  var check = 0;
  for (var i = 1; i <= iterations; i++) check += bottomUpTree(depth).itemCheck();
  out.push(iterations + "\t trees of depth " + depth + "\t check: " + check);
}
out.push("long lived tree of depth " + maxDepth + "\t check: " + longLivedTree.itemCheck());
print(out.join("\n"));
