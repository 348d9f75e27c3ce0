// queens, ported: the constructor and prototype become a class and `var` inside
// functions goes.
class Board {
  n = 0; cols = null; up = null; down = null; solutions = 0;
  function Board(n) {
    this.n = n;
    this.cols = [];
    this.up = [];
    this.down = [];
    for (i = 0; i < n; i++) this.cols.push(false);
    for (i = 0; i < 2 * n; i++) {
      this.up.push(false);
      this.down.push(false);
    }
    this.solutions = 0;
  }

  function place(row) {
    if (row == this.n) {
      this.solutions++;
      return;
    }
    for (col = 0; col < this.n; col++) {
      u = row + col;
      d = row - col + this.n;
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
  }
}

var out = [];
var n, board;
for (n = 4; n <= 11; n++) {
  board = new Board(n);
  board.place(0);
  out.push(n + " queens: " + board.solutions);
}
println(out.join("\n"));
