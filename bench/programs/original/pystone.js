// pystone: the Python rendering of the Dhrystone benchmark (Pystone 1.1), in JavaScript:
// records, procedures and functions over module variables, arrays and characters.
var LOOPS = 120000;
var Ident1 = 1, Ident2 = 2, Ident3 = 3, Ident4 = 4, Ident5 = 5;
var TRUE = 1, FALSE = 0;

function Record(PtrComp, Discr, EnumComp, IntComp, StringComp) {
  this.PtrComp = PtrComp;
  this.Discr = Discr;
  this.EnumComp = EnumComp;
  this.IntComp = IntComp;
  this.StringComp = StringComp;
}

Record.prototype.copy = function () {
  return new Record(this.PtrComp, this.Discr, this.EnumComp, this.IntComp, this.StringComp);
};

var IntGlob = 0;
var BoolGlob = FALSE;
var Char1Glob = "\0";
var Char2Glob = "\0";
var Array1Glob = [];
var Array2Glob = [];
for (var i = 0; i < 51; i++) {
  Array1Glob.push(0);
  var row = [];
  for (var j = 0; j < 51; j++) row.push(0);
  Array2Glob.push(row);
}
var PtrGlb = null;
var PtrGlbNext = null;

function Proc0(loops) {
  PtrGlbNext = new Record(null, 0, 0, 0, "");
  PtrGlb = new Record(null, 0, 0, 0, "");
  PtrGlb.PtrComp = PtrGlbNext;
  PtrGlb.Discr = Ident1;
  PtrGlb.EnumComp = Ident3;
  PtrGlb.IntComp = 40;
  PtrGlb.StringComp = "DHRYSTONE PROGRAM, SOME STRING";
  var String1Loc = "DHRYSTONE PROGRAM, 1'ST STRING";
  Array2Glob[8][7] = 10;
  var IntLoc1 = 0, IntLoc2 = 0, IntLoc3 = 0;
  for (var i = 0; i < loops; i++) {
    Proc5();
    Proc4();
    IntLoc1 = 2;
    IntLoc2 = 3;
    var String2Loc = "DHRYSTONE PROGRAM, 2'ND STRING";
    var EnumLoc = Ident2;
    BoolGlob = !Func2(String1Loc, String2Loc);
    while (IntLoc1 < IntLoc2) {
      IntLoc3 = 5 * IntLoc1 - IntLoc2;
      IntLoc3 = Proc7(IntLoc1, IntLoc2);
      IntLoc1 = IntLoc1 + 1;
    }
    Proc8(Array1Glob, Array2Glob, IntLoc1, IntLoc3);
    PtrGlb = Proc1(PtrGlb);
    var CharIndex = "A";
    while (CharIndex <= Char2Glob) {
      if (EnumLoc == Func1(CharIndex, "C")) EnumLoc = Proc6(Ident1);
      CharIndex = String.fromCharCode(CharIndex.charCodeAt(0) + 1);
    }
    IntLoc3 = IntLoc2 * IntLoc1;
    IntLoc2 = IntLoc3 / IntLoc1;
    IntLoc2 = 7 * (IntLoc3 - IntLoc2) - IntLoc1;
    IntLoc1 = Proc2(IntLoc1);
  }
  return IntLoc1 + " " + IntLoc2 + " " + IntLoc3;
}

function Proc1(PtrParIn) {
  var NextRecord = PtrGlb.copy();
  PtrParIn.PtrComp = NextRecord;
  PtrParIn.IntComp = 5;
  NextRecord.IntComp = PtrParIn.IntComp;
  NextRecord.PtrComp = PtrParIn.PtrComp;
  NextRecord.PtrComp = Proc3(NextRecord.PtrComp);
  if (NextRecord.Discr == Ident1) {
    NextRecord.IntComp = 6;
    NextRecord.EnumComp = Proc6(PtrParIn.EnumComp);
    NextRecord.PtrComp = PtrGlb.PtrComp;
    NextRecord.IntComp = Proc7(NextRecord.IntComp, 10);
  } else {
    PtrParIn = NextRecord.copy();
  }
  NextRecord.PtrComp = null;
  return PtrParIn;
}

function Proc2(IntParIO) {
  var IntLoc = IntParIO + 10;
  var EnumLoc = 0;
  while (true) {
    if (Char1Glob == "A") {
      IntLoc = IntLoc - 1;
      IntParIO = IntLoc - IntGlob;
      EnumLoc = Ident1;
    }
    if (EnumLoc == Ident1) break;
  }
  return IntParIO;
}

function Proc3(PtrParOut) {
  if (PtrGlb != null) PtrParOut = PtrGlb.PtrComp;
  else IntGlob = 100;
  PtrGlb.IntComp = Proc7(10, IntGlob);
  return PtrParOut;
}

function Proc4() {
  var BoolLoc = Char1Glob == "A";
  BoolLoc = BoolLoc || BoolGlob;
  Char2Glob = "B";
}

function Proc5() {
  Char1Glob = "A";
  BoolGlob = FALSE;
}

function Proc6(EnumParIn) {
  var EnumParOut = EnumParIn;
  if (!Func3(EnumParIn)) EnumParOut = Ident4;
  if (EnumParIn == Ident1) {
    EnumParOut = Ident1;
  } else if (EnumParIn == Ident2) {
    if (IntGlob > 100) EnumParOut = Ident1;
    else EnumParOut = Ident4;
  } else if (EnumParIn == Ident3) {
    EnumParOut = Ident2;
  } else if (EnumParIn == Ident4) {
  } else if (EnumParIn == Ident5) {
    EnumParOut = Ident3;
  }
  return EnumParOut;
}

function Proc7(IntParI1, IntParI2) {
  var IntLoc = IntParI1 + 2;
  var IntParOut = IntParI2 + IntLoc;
  return IntParOut;
}

function Proc8(Array1Par, Array2Par, IntParI1, IntParI2) {
  var IntLoc = IntParI1 + 5;
  Array1Par[IntLoc] = IntParI2;
  Array1Par[IntLoc + 1] = Array1Par[IntLoc];
  Array1Par[IntLoc + 30] = IntLoc;
  for (var IntIndex = IntLoc; IntIndex < IntLoc + 2; IntIndex++) Array2Par[IntLoc][IntIndex] = IntLoc;
  Array2Par[IntLoc][IntLoc - 1] = Array2Par[IntLoc][IntLoc - 1] + 1;
  Array2Par[IntLoc + 20][IntLoc] = Array1Par[IntLoc];
  IntGlob = 5;
}

function Func1(CharPar1, CharPar2) {
  var CharLoc1 = CharPar1;
  var CharLoc2 = CharLoc1;
  if (CharLoc2 != CharPar2) return Ident1;
  return Ident2;
}

function Func2(StrParI1, StrParI2) {
  var IntLoc = 1;
  var CharLoc = "";
  while (IntLoc <= 1) {
    if (Func1(StrParI1.charAt(IntLoc), StrParI2.charAt(IntLoc + 1)) == Ident1) {
      CharLoc = "A";
      IntLoc = IntLoc + 1;
    }
  }
  if (CharLoc >= "W" && CharLoc <= "Z") IntLoc = 7;
  if (CharLoc == "X") return TRUE;
  if (StrParI1 > StrParI2) {
    IntLoc = IntLoc + 7;
    return TRUE;
  }
  return FALSE;
}

function Func3(EnumParIn) {
  var EnumLoc = EnumParIn;
  if (EnumLoc == Ident3) return TRUE;
  return FALSE;
}

var locals = Proc0(LOOPS);
print(LOOPS + " loops: " + locals + ", IntGlob " + IntGlob + ", BoolGlob " + BoolGlob + ", Char1Glob " + Char1Glob +
  ", Char2Glob " + Char2Glob + ", Array1Glob[8] " + Array1Glob[8] + ", Array2Glob[8][7] " + Array2Glob[8][7] +
  ", PtrGlb.IntComp " + PtrGlb.IntComp + ", PtrGlb.EnumComp " + PtrGlb.EnumComp);
