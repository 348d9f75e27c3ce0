// The RegExp, String and Date script objects over the object factory: result members,
// the static RegExp, string methods with their argument rules, and date methods.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/codepage.h"
#include "script/builtins/date_object.h"
#include "script/builtins/regexp_object.h"
#include "script/builtins/string_object.h"
#include "support/zone_scope.h"

namespace kestrin {
namespace {

// A stand-in Array: keeps its constructor arguments as elements.
class TestArray : public TJObject {
 public:
  TestArray(TJObjectFactory* f, const TJValueList* args) : TJObject(f, args) {
    RegisterName(Info());
    if (args != nullptr)
      for (const TJValue& v : *args) items.push_back(ToText(v).str());
  }
  static const TJClassInfo& Info() {
    static const TJClassInfo info = TJClassBuilder<TestArray>("Array").Build();
    return info;
  }
  std::vector<std::string> items;
};

class TextObjects : public ::testing::Test {
 protected:
  TextObjects() {
    factory.RegisterClass("Array", TestArray::Info());
    factory.RegisterClass("RegExp", TJRegExpObject::Info());
    factory.RegisterClass("String", TJStringObject::Info());
    factory.RegisterClass("Date", TJDateObject::Info());
    singleton = std::make_unique<TJRegExpObject>(&factory, nullptr);
    factory.OnNewObject = [this](TJObjectFactory&, TJObject& o) { ConnectToStatic(o, *singleton); };
  }

  TJObject* Make(std::string_view cls, std::vector<TJValue> args) {
    TJValueList list;
    for (auto& v : args) list.Add(v);
    return factory.CreateObject(cls, &list);
  }
  TJValue Call(TJObject* o, std::string_view method, std::vector<TJValue> args = {}) {
    TJValue fn;
    o->GetValue(TJName(method), false, fn);
    TJValueList list;
    for (auto& v : args) list.Add(v);
    TJValue result;
    fn.FuncValue()->Method(*o, list, result);
    return result;
  }
  static TJValue Member(TJObject* o, std::string_view name) {
    TJValue v;
    o->GetValue(TJName(name), false, v);
    return v;
  }
  static std::vector<std::string> Items(const TJValue& v) {
    EXPECT_EQ(v.Kind(), jkObject);
    return v.Kind() == jkObject ? static_cast<TestArray*>(v.ObjValue())->items : std::vector<std::string>{};
  }
  static std::string Str(const TJValue& v) { return ToText(v).str(); }
  static TJValue T(std::string_view s) { return TJValue::Text(s); }
  static TJValue I(int i) { return TJValue::Integer(i); }

  TJObjectFactory factory;
  std::unique_ptr<TJRegExpObject> singleton;
};

TEST_F(TextObjects, ExecSetsResultMembers) {
  TJObject* re = Make("RegExp", {T("a(b)?c")});
  const TJValue r = Call(re, "exec", {T("xac")});
  EXPECT_EQ(Items(r), std::vector<std::string>{"ac"});
  EXPECT_EQ(Str(Member(r.ObjValue(), "input")), "xac");
  EXPECT_EQ(Member(re, "$1").Kind(), jkUndefined);
  EXPECT_EQ(Member(re, "index").IntValue(), 1);
  EXPECT_EQ(Member(re, "lastIndex").IntValue(), 3);
  EXPECT_EQ(Str(Member(re, "leftContext")), "x");
  EXPECT_EQ(Str(Member(re, "rightContext")), "");
  EXPECT_EQ(Member(re, "input").Kind(), jkUndefined);

  TJObject* groups = Make("RegExp", {T("(\\w+)-(\\w+)")});
  Call(groups, "exec", {T("say abc-def!")});
  EXPECT_EQ(Str(Member(groups, "$1")), "abc");
  EXPECT_EQ(Str(Member(groups, "$2")), "def");
  EXPECT_EQ(Str(Member(groups, "lastParen")), "def");
  EXPECT_EQ(Str(Member(groups, "lastMatch")), "abc-def");
}

TEST_F(TextObjects, GlobalExecCollectsEveryMatch) {
  TJObject* re = Make("RegExp", {T("a"), T("g")});
  EXPECT_EQ(Items(Call(re, "exec", {T("banana")})), (std::vector<std::string>{"a", "a", "a"}));
  EXPECT_EQ(Member(re, "index").IntValue(), 5);
  EXPECT_EQ(Str(Member(re, "leftContext")), "banan");
}

TEST_F(TextObjects, FlagsAndFailures) {
  TJObject* gi = Make("RegExp", {T("A"), T("gi")});
  EXPECT_TRUE(ToBoolean(Member(gi, "ignoreCase")));
  EXPECT_TRUE(ToBoolean(Member(gi, "global")));
  TJObject* gim = Make("RegExp", {T("A"), T("gim")});
  EXPECT_FALSE(ToBoolean(Member(gim, "ignoreCase")));
  EXPECT_FALSE(ToBoolean(Member(gim, "global")));

  TJObject* re = Make("RegExp", {T("q")});
  Call(re, "exec", {T("aq")});
  EXPECT_EQ(Call(re, "test", {T("zzz")}).BoolValue(), false);
  EXPECT_EQ(Member(re, "lastMatch").Kind(), jkUndefined);
  EXPECT_EQ(Member(re, "index").IntValue(), -1);
  EXPECT_EQ(Call(re, "test").Kind(), jkUndefined);

  TJObject* bad = Make("RegExp", {T("(")});
  try {
    Call(bad, "exec", {T("x")});
    FAIL();
  } catch (const EJThrow& e) {
    EXPECT_EQ(e.ErrorName, "ERegExp");
    EXPECT_EQ(e.ErrorText, "(");
  }
  // Switching ignoreCase on makes the pattern case-insensitive.
  TJObject* later = Make("RegExp", {T("abc")});
  later->SetValue("ignoreCase", TJValue::Boolean(true), false);
  EXPECT_TRUE(Call(later, "test", {T("ABC")}).BoolValue());
  later->SetValue("source", T("x+"), false);
  EXPECT_EQ(Str(Member(later, "source")), "x+");
  EXPECT_EQ(Str(Call(later, "replace", {T("axxb"), T("-")})), "a-b");
}

TEST_F(TextObjects, ReplaceAndSplit) {
  TJObject* re = Make("RegExp", {T("a")});
  EXPECT_EQ(Str(Call(re, "replace", {T("banana"), T("o")})), "bonono");
  EXPECT_EQ(Str(Call(re, "replace", {T("banana")})), "bnn");
  TJObject* comma = Make("RegExp", {T(",")});
  EXPECT_EQ(Items(Call(comma, "split", {T("a,b,,c")})), (std::vector<std::string>{"a", "b", "", "c"}));
  EXPECT_EQ(Items(Call(comma, "split", {T("a,b,,c"), I(2)})), (std::vector<std::string>{"a", "b"}));
  EXPECT_TRUE(Items(Call(comma, "split")).empty());
}

TEST_F(TextObjects, StaticRegExpFollowsEveryExec) {
  TJObject* re = Make("RegExp", {T("(\\d+)-(\\d+)")});
  Call(re, "exec", {T("tel 12-34 ok")});
  EXPECT_EQ(Str(Member(singleton.get(), "$1")), "12");
  EXPECT_EQ(Str(Member(singleton.get(), "$2")), "34");
  EXPECT_EQ(Str(Member(singleton.get(), "lastMatch")), "12-34");
  EXPECT_EQ(Member(singleton.get(), "index").IntValue(), 4);
  EXPECT_EQ(Str(Member(singleton.get(), "rightContext")), " ok");
  // A later match with fewer groups resets the static members first.
  TJObject* one = Make("String", {T("xyz")});
  Call(one, "match", {T("y")});
  EXPECT_EQ(Member(singleton.get(), "$1").Kind(), jkUndefined);
  EXPECT_EQ(Str(Member(singleton.get(), "lastMatch")), "y");
  // Group numbers above nine get their own members.
  TJObject* many = Make("RegExp", {T("(a)(b)(c)(d)(e)(f)(g)(h)(i)(j)(k)")});
  Call(many, "exec", {T("abcdefghijk")});
  EXPECT_EQ(Str(Member(singleton.get(), "$11")), "k");
  EXPECT_EQ(Str(Member(many, "$10")), "j");
  Call(one, "match", {T("z")});
  EXPECT_EQ(Member(singleton.get(), "$11").Kind(), jkUndefined);
}

TEST_F(TextObjects, StringAccessAndBasics) {
  TJObject* s = Make("String", {T("abcb")});
  EXPECT_EQ(Member(s, "length").IntValue(), 4);
  TJValue v;
  s->GetValue("-1", true, v);
  EXPECT_EQ(Str(v), "b");
  ASSERT_TRUE(s->GetIndexed(0, v));
  EXPECT_EQ(Str(v), "a");
  EXPECT_THROW(s->GetValue("x", true, v), EJThrow);
  EXPECT_THROW(s->GetValue("4", true, v), EJThrow);
  EXPECT_THROW(s->GetIndexed(-5, v), EJThrow);
  EXPECT_THROW(s->SetValue("length", I(3), false), EJThrow);
  EXPECT_EQ(Call(s, "indexOf", {T("b")}).IntValue(), 1);
  EXPECT_EQ(Call(s, "indexOf", {T("b"), I(2)}).IntValue(), 3);
  EXPECT_EQ(Call(s, "lastIndexOf", {T("xb")}).IntValue(), 3);
  EXPECT_EQ(Call(s, "charCodeAt", {I(10)}).Kind(), jkNaN);
  EXPECT_EQ(Call(s, "charCodeAt", {I(-1)}).IntValue(), 'a');
  EXPECT_EQ(Str(Call(s, "bold")), "<B>abcb</B>");
  EXPECT_EQ(Call(s, "anchor").Kind(), jkUndefined);
  EXPECT_EQ(Str(Call(s, "anchor", {T("n")})), "<A NAME=\"n\">abcb</A>");
  EXPECT_EQ(Str(Call(s, "fontsize", {I(3)})), "<FONT SIZE=\"3\">abcb</FONT>");
  EXPECT_EQ(Call(s, "concat").Kind(), jkUndefined);
  EXPECT_EQ(Str(Call(s, "concat", {T("x"), I(1)})), "abcbx1");
  EXPECT_EQ(Str(Call(s, "fromCharCode", {I(0x141), I(66)})), "AB");
  EXPECT_EQ(Str(Call(s, "substr", {I(-3), I(2)})), "bc");
  EXPECT_EQ(Str(Call(s, "slice", {I(1)})), "bcb");
  EXPECT_EQ(Str(Call(s, "toUpperCase")), "ABCB");
  s->SetValue("text", T("new"), false);
  EXPECT_EQ(Str(Call(s, "toString")), "new");
  EXPECT_EQ(s->ToString(nullptr).str(), "new");
}

TEST_F(TextObjects, StringRegExpMethods) {
  TJObject* s = Make("String", {T("a,b,,c")});
  EXPECT_EQ(Items(Call(s, "split", {T(",")})), (std::vector<std::string>{"a", "b", "", "c"}));
  EXPECT_EQ(Items(Call(s, "split", {T(","), I(2)})), (std::vector<std::string>{"a", "b"}));
  EXPECT_EQ(Items(Call(s, "split", {T(","), T("g"), I(3)})), (std::vector<std::string>{"a", "b", ""}));
  EXPECT_EQ(Items(Call(s, "split", {T(".")})).size(), 7u);  // a string separator is a pattern
  TJObject* comma = Make("RegExp", {T(",")});
  EXPECT_EQ(Items(Call(s, "split", {TJValue::Object(comma), I(1)})), std::vector<std::string>{"a"});

  TJObject* b = Make("String", {T("banana")});
  EXPECT_EQ(Str(Call(b, "replace", {T("a"), T("o")})), "bonono");
  EXPECT_EQ(Str(Call(b, "replace", {T("A"), T("i"), T("o")})), "bonono");
  EXPECT_EQ(Str(Call(b, "replace", {TJValue::Object(Make("RegExp", {T("n")})), T("N")})), "baNaNa");
  EXPECT_EQ(Call(b, "search", {T("n")}).IntValue(), 2);
  EXPECT_EQ(Call(b, "search", {T("z")}).IntValue(), -1);
  EXPECT_EQ(Items(Call(b, "match", {T("an"), T("g")})), (std::vector<std::string>{"an", "an"}));
  try {
    Call(b, "match", {T("[")});
    FAIL();
  } catch (const EJThrow& e) {
    EXPECT_EQ(e.ErrorName, "ERegExp");
  }
}

TEST_F(TextObjects, StringMethodsOnMultiByteText) {
  using velkoran::platform::CodePage;
  const CodePage saved = velkoran::platform::ActiveCodePage();
  velkoran::platform::SetActiveCodePage(CodePage::Cp932);
  // "表a" in CP932: 95 5C 61; the trail byte 5C is a backslash.
  TJObject* sjis = Make("String", {T("\x95\x5C" "a\\")});
  EXPECT_EQ(Member(sjis, "length").IntValue(), 4);
  EXPECT_EQ(Str(Call(sjis, "charAt", {I(0)})), "\x95");
  EXPECT_EQ(Call(sjis, "lastIndexOf", {T("\\")}).IntValue(), 3);
  TJObject* only = Make("String", {T("\x95\x5C")});
  EXPECT_EQ(Call(only, "lastIndexOf", {T("\\")}).IntValue(), -1);
  EXPECT_EQ(Str(Call(only, "toUpperCase")), "\x95\x5C");
  EXPECT_EQ(Str(Call(only, "toUTF8")), "\xE8\xA1\xA8");
  velkoran::platform::SetActiveCodePage(CodePage::Utf8);
  TJObject* utf8 = Make("String", {T("x\xE8\xA1\xA8y")});
  EXPECT_EQ(Call(utf8, "indexOf", {T("y")}).IntValue(), 4);
  EXPECT_EQ(Str(Call(utf8, "substring", {I(1), I(4)})), "\xE8\xA1\xA8");
  EXPECT_EQ(Str(Call(utf8, "toSJIS")), "x\x95\x5Cy");
  EXPECT_EQ(Str(Call(utf8, "toUTF8")), "x\xE8\xA1\xA8y");
  EXPECT_EQ(Str(Call(utf8, "toWide")), std::string("x\0\x68\x88y\0", 6));
  velkoran::platform::SetActiveCodePage(saved);
}

using velkoran::testing::ZoneScope;

TEST_F(TextObjects, DateObject) {
  ZoneScope tz("JST-9");
  TJObject* d = Make("Date", {I(2001), I(2), I(3), I(4), I(5), I(6)});
  EXPECT_EQ(d->ToString(nullptr).str(), "2001/02/03 4:05:06");
  EXPECT_EQ(Call(d, "getMonth").IntValue(), 2);
  EXPECT_EQ(Call(d, "getDay").IntValue(), 6);
  EXPECT_EQ(Call(d, "getYear").IntValue(), 2001);
  EXPECT_EQ(Call(d, "getUTCYear").IntValue(), 101);
  EXPECT_EQ(Call(d, "getUTCDate").IntValue(), 2);
  EXPECT_EQ(Call(d, "getUTCHours").IntValue(), 19);
  EXPECT_EQ(Call(d, "getTimezoneOffset").IntValue(), -540);
  EXPECT_EQ(Str(Call(d, "toGMTString")), "2001/02/02 19:05:06");
  Call(d, "setDate", {I(31)});  // February has no 31st: unchanged
  EXPECT_EQ(Call(d, "getDate").IntValue(), 3);
  Call(d, "setUTCDate", {I(28)});  // 28 Feb 19:05 UTC is 1 March in Tokyo
  EXPECT_EQ(Str(Call(d, "toString")), "2001/03/01 4:05:06");
  Call(d, "setUTCMonth", {I(12)});  // 28 Dec 19:05 UTC is 29 Dec in Tokyo
  EXPECT_EQ(Str(Call(d, "toString")), "2001/12/29 4:05:06");
  Call(d, "setUTCHours", {I(24)});  // no carry into the next day
  EXPECT_EQ(Str(Call(d, "toString")), "2001/12/29 4:05:06");
  Call(d, "setYear", {I(99)});
  EXPECT_EQ(Call(d, "getFullYear").IntValue(), 99);

  TJObject* epoch = Make("Date", {I(1970), I(1), I(1), I(9), I(0), I(0)});
  EXPECT_EQ(Call(epoch, "getTime").IntValue(), 0);
  Call(epoch, "setTime", {I(86400)});
  EXPECT_EQ(Str(Call(epoch, "toString")), "1970/01/02 9:00:00");
  TJObject* sunday = Make("Date", {T("2001/01/07")});
  EXPECT_EQ(Call(sunday, "getDay").IntValue(), 0);
  EXPECT_EQ(Str(Call(sunday, "toString")), "2001/01/07");
  TJObject* y1999 = Make("Date", {T("Jun 1, 1999")});
  EXPECT_EQ(Call(y1999, "getYear").IntValue(), 99);
  EXPECT_EQ(Call(d, "parse", {T("Dec 25, 1995 13:30:00")}).IntValue(), 819865800);
  EXPECT_EQ(Call(d, "UTC", {I(1970), I(1), I(1), I(9), I(0), I(0), I(0)}).IntValue(), 0);
  // Beyond the 32-bit seconds count the time value becomes a number, not a wrapped integer.
  TJObject* far = Make("Date", {I(2100), I(1), I(1)});
  EXPECT_EQ(Call(far, "getTime").Kind(), jkNumber);
  EXPECT_GT(Call(far, "getTime").NumValue(), 4.0e9);
}

}  // namespace
}  // namespace kestrin
