// queens: counts the placements of n queens on an n x n board by backtracking (the
// classic puzzle of many benchmark suites), with column and diagonal arrays.
function Board(n) {
  this.n = n;
  this.cols = [];
  this.up = [];
  this.down = [];
  for (var i = 0; i < n; i++) this.cols.push(false);
  for (var i = 0; i < 2 * n; i++) {
    this.up.push(false);
    this.down.push(false);
  }
  this.solutions = 0;
}

Board.prototype.place = function (row) {
  if (row == this.n) {
    this.solutions++;
    return;
  }
  for (var col = 0; col < this.n; col++) {
    var u = row + col;
    var d = row - col + this.n;
    if (!this.cols[col] && !this.up[u] && !this.down[d]) {
      this.cols[col] = true;
      this.up[u] = true;
      this.down[d] = true;
      this.place(row + 1);
      this.cols[col] = false;
      this.up[u] = false;
      this.down[d] = false;
    }
  }
};

var out = [];
for (var n = 4; n <= 11; n++) {
  var board = new Board(n);
  board.place(0);
  out.push(n + " queens: " + board.solutions);
}
print(out.join("\n"));
