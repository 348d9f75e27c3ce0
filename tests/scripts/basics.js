// Numbers, strings and the conversions between them.
println(1 + 2, 7 / 2, 7 div 2, 7 % 3, -7 % 3, 2147483647 + 1);
println(0.1 + 0.2, 1 / 3, 1e15, 1e14, 0.00001, 123456789012345678.0);
println("4" - 1, "1.5" - 1, -"4", +(-3), +(-2.5), "a" + 1, 1 + "a");
println(1 == "1", 1 === "1", 1 === 1.0, true == 1, "10" > "9", "abc" < "abd");
println(typeof(1), typeof("s"), typeof(null), typeof(NaN), typeof(Math), typeof(println));
println(typeof 1, "unparenthesised typeof takes the whole comma expression");
println(-8 >> 1, -8 >>> 28, 1 << 33, 5 & 3, 5 | 3, 5 ^ 3, ~5);
println(parseInt("0x1F"), parseInt(" 2.5e3 "), parseFloat(" 2.5e3 "), parseInt("12abc"));
println(!0, !"", !"0", true && 0, 0 || "x");
var x = 10; x += 5; x -= 3; x *= 2; x /= 4; println(x);
var n = 5; n <<= 2; n |= 1; n ^= 3; println(n);
println(escape("a b~"), unescape("%41%2b+"));
