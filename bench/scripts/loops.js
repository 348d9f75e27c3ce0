// Nested loops doing ten million integer operations.
var sum = 0;
var i;
var j;
for (i = 0; i < 2500; i++) {
  for (j = 0; j < 1000; j++) {
    sum = (sum + i * j) % 1000003;
    sum = sum ^ j;
  }
}
print(sum);
