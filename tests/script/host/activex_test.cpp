// ActiveXObject over the D-Bus backend: scripts create, read, write and call the members of
// stand-in services (support/dbus_standin.py) on the binary's private session and system
// buses; the Part's edge cases of the object itself over a counting dispatch object.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <chrono>
#include <cstdio>
#include <map>
#include <memory>

#include "host_test_support.h"
#include "platform/automation.h"
#include "platform/codepage.h"
#include "script/host/host_classes.h"
#include "support/private_bus.h"

namespace kestrin::host_testing {
namespace {

using velkoran::platform::CountedAutomation;
using velkoran::platform::InvokeKind;
using velkoran::platform::Variant;
using velkoran::testing::TestSessionBus;
using velkoran::testing::TestSystemBus;

constexpr std::string_view kProbeName = "org.velkoran.Probe";

struct Case {
  const char* name;
  const char* script;
  std::string out;
};

class ActiveXTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    TestSessionBus();
    TestSystemBus();
  }
  // Runs body with `p` bound to the probe.
  static std::string WithProbe(std::string_view body) {
    return ScriptHost().Run("p = new ActiveXObject('org.velkoran.Probe');\n" + std::string(body));
  }
  static void RunCases(const std::vector<Case>& cases) {
    for (const Case& c : cases) {
      SCOPED_TRACE(c.name);
      EXPECT_EQ(WithProbe(c.script), c.out);
    }
  }
};

// Sets (or, with null, removes) an environment variable for one scope.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value) : name_(name) {
    if (const char* old = ::getenv(name)) old_ = old;
    if (value != nullptr) ::setenv(name, value, 1);
    else ::unsetenv(name);
  }
  ~ScopedEnv() {
    if (old_) ::setenv(name_, old_->c_str(), 1);
    else ::unsetenv(name_);
  }

 private:
  const char* name_;
  std::optional<std::string> old_;
};

std::string ActiveXError(std::string_view text) { return Uncaught("EActiveXError", text); }

TEST_F(ActiveXTest, CreationFailsWithTheProgramId) {
  for (const char* id : {"org.velkoran.Missing", "org..velkoran", "bus:org.velkoran.Probe", "org.velkoran.Probe/org/velkoran",
                         "org.velkoran.Probe#org.velkoran.Nope", "org.velkoran.SystemProbe", "system:org.velkoran.Probe"}) {
    SCOPED_TRACE(id);
    EXPECT_EQ(ScriptHost().Run("new ActiveXObject('" + std::string(id) + "');"),
              ActiveXError("create error " + std::string(id)));
  }
}

TEST_F(ActiveXTest, WithoutABusCreationFailsAtOnce) {
  ScratchDir runtime;  // no bus socket in it
  ScopedEnv session("DBUS_SESSION_BUS_ADDRESS", nullptr);
  ScopedEnv runtimeDir("XDG_RUNTIME_DIR", runtime.Path().c_str());
  ScopedEnv display("DISPLAY", ":0");  // where a bus could be launched, none is
  ScopedEnv system("DBUS_SYSTEM_BUS_ADDRESS", ("unix:path=" + runtime / "none").c_str());
  for (const char* id : {"org.velkoran.Probe", "system:org.velkoran.SystemProbe"}) {
    SCOPED_TRACE(id);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(ScriptHost().Run("new ActiveXObject('" + std::string(id) + "');"),
              ActiveXError("create error " + std::string(id)));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
  }
}

TEST_F(ActiveXTest, ProgramIdsPickBusObjectAndInterface) {
  const Case cases[] = {
      {"system bus", "s = new ActiveXObject('system:org.velkoran.SystemProbe'); println(s.Bus, s.Hello());",
       "system\nhello from the system bus\n"},
      {"object path and interface",
       "c = new ActiveXObject('session:org.velkoran.Probe/org/velkoran/Probe/Child#org.velkoran.Child'); println(c.Label);",
       "child\n"},
      {"one interface only", "e = new ActiveXObject('org.velkoran.Probe#org.velkoran.Probe.Extra'); println(e.Name, e.Echo('x'));",
       "extra-name\nextra:x\n"},
      {"no argument", "a = new ActiveXObject(); println(typeof a.disp); for (k in a) println(k);", "undefined\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(ScriptHost().Run(c.script), c.out);
  }
}

TEST_F(ActiveXTest, MembersAreFoundByNameCaseAndInterface) {
  RunCases({
      {"get and put", "println(p.Level); p.Level = 7.0; println(p.Level); p.Level = 3;", "3\n7\n"},
      {"put as the property's type", "p.Tags = 'solo'; println(p.Tags.Count, p.Tags.Item(0)); p.Tags = null; println(p.Tags.Count);",
       "1\nsolo\n0\n"},
      {"variant property", "println(p.Any); p.Any = 5; println(p.Any + 1); p.Any = 'nothing';", "nothing\n6\n"},
      // "level" is a method of the second interface; without regard to case the first
      // interface's property "Level" comes first.
      {"exact before case-blind", "println(p.level(), p.LEVEL, p.eCHO(1));", "lower-case level\n3\n1\n"},
      {"interface named like the bus first", "println(p.Echo('a'), p.Name);", "a\nprobe\n"},
      {"qualified in bracket form",
       "println(p['org.velkoran.Probe.Extra.Echo']('a'), p['ORG.velkoran.probe.extra.echo']('b'), p['org.velkoran.Probe.Extra.Name']);",
       "extra:a\nextra:b\nextra-name\n"},
      {"readable properties, first definition wins", "for (k in p) println(k);", "Name\nLevel\nSize\nTags\nChild\nAny\n"},
      {"method value kept as a member", "m = p.Echo; println(p.hasKey('Echo'), m == p.Echo, m(4));", "true\ntrue\n4\n"},
      {"write-only property", "println(typeof p.Secret); p.Secret = 's';", "function\n"},
  });
}

TEST_F(ActiveXTest, AGetOnAMethodMakesNoBusCall) {
  TestSessionBus().ClearLog(std::string(kProbeName));
  EXPECT_EQ(WithProbe("m = p.Give; n = p.Secret; x = p.Size;"), "");
  EXPECT_EQ(TestSessionBus().Log(std::string(kProbeName)), "Get ('Size',)\n");
}

TEST_F(ActiveXTest, FailuresNameTheMemberOrTheMethod) {
  RunCases({
      {"unknown get", "x = p.Nope;", ActiveXError("Nope")},
      {"unknown put", "p.Nope = 1;", ActiveXError("Nope")},
      {"read-only put", "p.Size = 1;", ActiveXError("Size")},
      {"put that does not convert", "p.Level = 'many';", ActiveXError("Level")},
      {"failing method", "p.Fail();", ActiveXError("method error")},
      {"too many arguments", "p.TakeInt32(1, 2);", ActiveXError("method error")},
      {"write-only property called", "p.Secret();", ActiveXError("method error")},
      {"collections are read-only", "c = new ActiveXObject(p.Give('strings')); c.Count = 5;", ActiveXError("Count")},
      {"caught by name", "try { p.Fail(); } catch (e) { println(e); }", "EActiveXError\n"},
      {"an array holding itself", "a = [1]; a.add(a); p.TakeVariants(a);", ActiveXError("method error")},
  });
}

TEST_F(ActiveXTest, TheServicesErrorGoesToTheDebugOutput) {
  ::testing::internal::CaptureStderr();
  const std::string out = WithProbe("p.Fail();");
  const std::string debug = ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(out, ActiveXError("method error"));
  EXPECT_NE(debug.find("org.velkoran.Probe.Error.Refused: the probe refuses"), std::string::npos) << debug;
}

TEST_F(ActiveXTest, ArgumentsConvertByTheSignature) {
  // What the stand-in received, printed with its types.
  RunCases({
      {"byte", "println(p.TakeByte(255));", "(byte 0xff,)\n"},
      {"int16", "println(p.TakeInt16(-32768));", "(int16 -32768,)\n"},
      {"uint16", "println(p.TakeUInt16(65535));", "(uint16 65535,)\n"},
      {"int32 from text and boolean", "println(p.TakeInt32('12'), p.TakeInt32(true));", "(12,)\n(1,)\n"},
      {"uint32", "println(p.TakeUInt32(4000000000.0));", "(uint32 4000000000,)\n"},
      {"int64", "println(p.TakeInt64(-1099511627776.0));", "(int64 -1099511627776,)\n"},
      {"uint64", "println(p.TakeUInt64(9007199254740992.0));", "(uint64 9007199254740992,)\n"},
      {"double", "println(p.TakeDouble(2));", "(2.0,)\n"},
      {"bool", "println(p.TakeBool(1));", "(true,)\n"},
      {"string from scalars", "println(p.TakeString(1.5), p.TakeString(7), p.TakeString(false));",
       "('1.5',)\n('7',)\n('false',)\n"},
      {"object path", "println(p.TakePath('/a/b_c'), p.TakePath(p.Child));",
       "(objectpath '/a/b_c',)\n(objectpath '/org/velkoran/Probe/Child',)\n"},
      {"variant of its own type", "println(p.TakeVariant(2.5), p.TakeVariant(3), p.TakeVariant('s'), p.TakeVariant(p.Child));",
       "(<2.5>,)\n(<3>,)\n(<'s'>,)\n(<objectpath '/org/velkoran/Probe/Child'>,)\n"},
      {"string array", "println(p.TakeStrings('one'), p.TakeStrings(null), p.TakeStrings(p.Give('strings')));",
       "(['one'],)\n(@as [],)\n(['a', 'b', 'c'],)\n"},
      {"variant array", "println(p.TakeVariants(3), p.TakeVariants(p.GiveTwo()));", "([<3>],)\n([<'two'>, <2>],)\n"},
      {"int array", "println(p.TakeInts(4));", "([4],)\n"},
      {"raw bytes", "println(p.TakeBytes(unescape('%FF%FEa')), p.TakeBytes(''));", "([byte 0xff, 0xfe, 0x61],)\n(@ay [],)\n"},
      {"dictionaries", "println(p.TakeDict(null), p.TakeDict(p.Give('dict')), p.TakeStringDict(p.Give('dict')));",
       "(@a{sv} {},)\n({'one': <1>, 'two': <'zwei'>},)\n({'one': '1', 'two': 'zwei'},)\n"},
      {"collection in a variant", "println(p.TakeVariant(p.Give('dict')));", "(<{'one': <1>, 'two': <'zwei'>}>,)\n"},
      {"missing trailing arguments", "println(p.TakeMixed('a'));", "('a', 0, 0.0)\n"},
      {"script arrays", "println(p.TakeStrings(['a', 'b']), p.TakeVariants([1, 'x', [2]]), p.TakeInts([1, 2]), p.TakeBytes([1, 255]));",
       "(['a', 'b'],)\n([<1>, <'x'>, <[<2>]>],)\n([1, 2],)\n([byte 0x01, 0xff],)\n"},
      {"plain objects", "println(p.TakeDict({urgency: 2, name: 'n'}), p.TakeStringDict({a: 1}), p.TakeVariant({k: [true]}));",
       "({'name': <'n'>, 'urgency': <2>},)\n({'a': '1'},)\n(<{'k': <[<true>]>}>,)\n"},
  });
}

TEST_F(ActiveXTest, ArgumentsThatDoNotConvertAreRefused) {
  for (const char* call : {"TakeByte(256)", "TakeByte(-1)", "TakeInt32(1.5)", "TakeInt32(2147483648.0)", "TakeUInt32(-1)",
                           "TakeUInt64(-1)", "TakeInt32('x')", "TakeBool('yes')", "TakePath('no path')",
                           "TakeString(p.Child)", "TakeStrings(p.Give('dict'))", "TakeDict(3)", "TakeStruct('a')"}) {
    SCOPED_TRACE(call);
    EXPECT_EQ(WithProbe("p." + std::string(call) + ";"), ActiveXError("method error"));
  }
}

TEST_F(ActiveXTest, RepliesConvertByTheirTypes) {
  RunCases({
      {"small integers", "println(p.Give('byte'), p.Give('int16'), p.Give('uint16'), p.Give('int32'), p.Give('uint32'));",
       "200\n-300\n65000\n-5\n7\n"},
      {"wide integers as doubles when they must",
       "println(p.Give('uint32big'), p.Give('int64'), p.Give('int64small'), p.Give('uint64'), p.Size);",
       "4000000000\n-1099511627776\n12\n9.22337203685478E18\n1099511627776\n"},
      {"double, boolean, string, variant", "println(p.Give('double'), p.Give('bool'), p.Give('string'), p.Give('variant'));",
       "2.5\ntrue\n日本語\n9\n"},
      {"bytes without the terminator", "println(escape(p.Give('bytes')));", "%FF%FE%2Fname\n"},
      {"object paths become objects", "c = p.Give('path'); println(typeof c); println(c.Label, c.Parent().Level, p.GivePath().Label);",
       "dispatch\nchild\n3\nchild\n"},
      {"nothing", "println(typeof p.Nothing());", "undefined\n"},
  });
}

TEST_F(ActiveXTest, CollectionsComeBackReadOnlyAndInOrder) {
  RunCases({
      {"array", "c = p.Give('strings'); println(typeof c); println(c.Count, c.length, c.Item(2), p.Give('empty').Count);",
       "dispatch\n3\n3\nc\n0\n"},
      {"for-in after wrapping", "w = new ActiveXObject(p.Give('strings')); for (k in w) println(k + '=' + w[k]);",
       "0=a\n1=b\n2=c\n"},
      {"dictionary", "d = new ActiveXObject(p.Give('dict')); for (k in d) println(k + '=' + d[k]); println(d.Item('two'), d.TWO);",
       "one=1\ntwo=zwei\nzwei\nzwei\n"},
      {"dictionary with integer keys", "i = new ActiveXObject(p.Give('intkeys')); for (k in i) println(k + '=' + i[k]);",
       "7=seven\n"},
      {"structure", "s = p.Give('struct'); println(s.Count, s.Item(0), s.Item(1), s.Item(2));", "3\nx\n3\ntrue\n"},
      {"nested", "println(p.Give('nested').k.Item(1));", "q\n"},
      {"several out-arguments", "t = p.GiveTwo(); println(t.Count, t.Item(0), t.Item(1));", "2\ntwo\n2\n"},
  });
}

TEST_F(ActiveXTest, StringsCrossBetweenTheCodePageAndUtf8) {
  const std::string sjis = *velkoran::platform::Utf8ToCp932Strict("日本語");
  velkoran::platform::SetActiveCodePage(velkoran::platform::CodePage::Cp932);
  const std::string out = WithProbe("println(p.TakeString('" + sjis + "'), p.Give('string'));");
  velkoran::platform::SetActiveCodePage(velkoran::platform::CodePage::Utf8);
  EXPECT_EQ(out, "('" + sjis + "',)\n" + sjis + "\n");
}

TEST_F(ActiveXTest, AnAbortEndsAScriptWaitingOnAService) {
  ScriptHost host;
  TJEngine& engine = host.Host().Engine();
  const auto start = std::chrono::steady_clock::now();
  engine.OnPoll = [start](TJEngine& e) {
    if (std::chrono::steady_clock::now() - start > std::chrono::milliseconds(300)) e.AbortRequested = true;
  };
  const std::string out = host.Run(
      "p = new ActiveXObject('org.velkoran.Probe');\n"
      "try { p.Sleep(20000); } catch (e) { println('caught'); }\n"
      "println('went on');");
  EXPECT_EQ(engine.LastOutcome, TJRunOutcome::Aborted);
  EXPECT_EQ(out.find("went on"), std::string::npos) << out;
  EXPECT_EQ(out.find("caught"), std::string::npos) << out;
}

TEST_F(ActiveXTest, TheConsoleRunnerDrivesAService) {
  ScratchDir dir;
  WriteFile(dir / "probe.js",
            "p = new ActiveXObject('org.velkoran.Probe');\n"
            "p.Name = 'runner'; println(p.Name, p.Echo(42), p.Give('strings').Item(1)); p.Name = 'probe';\n");
  std::unique_ptr<FILE, int (*)(FILE*)> pipe(::popen((std::string(KESTRIN_RUNNER) + " " + dir / "probe.js").c_str(), "r"),
                                             ::pclose);
  ASSERT_TRUE(pipe);
  std::string out;
  char buf[256];
  while (std::fgets(buf, sizeof buf, pipe.get()) != nullptr) out += buf;
  EXPECT_EQ(out, "runner\r\n42\r\nb\r\n");
}

// A dispatch object that counts what it is asked: "Prop" is a property, "Go" a method
// that adds its arguments.
class CountingDispatch final : public CountedAutomation {
 public:
  std::map<std::string, int> idCalls;
  int gets = 0;
  int calls = 0;

  std::optional<std::int32_t> IdOfName(std::string_view name) override {
    ++idCalls[std::string(name)];
    if (name == "Prop") return 1;
    if (name == "Go") return 2;
    return std::nullopt;
  }
  bool Invoke(std::int32_t id, InvokeKind kind, const std::vector<Variant>& reversedArgs, Variant& result) override {
    result.type = Variant::Type::Int32;
    if (kind == InvokeKind::PropertyGet) {
      ++gets;
      result.intValue = 5;
      return id == 1;
    }
    if (kind != InvokeKind::Method || id != 2) return false;
    ++calls;
    // Arguments arrive last first: 10 * first + second tells the order.
    result.intValue = 10 * reversedArgs.at(1).intValue + reversedArgs.at(0).intValue;
    return true;
  }
  std::vector<std::string> PropertyNames() override { return {"Prop"}; }
};

TEST(ActiveXObject, AsksForIdsOnceAndKeepsMethodValues) {
  TKestrin host(nullptr, &RegisterHostClasses);
  auto* fake = new CountingDispatch;
  const TJValue held = TJValue::Dispatch(fake);
  TJValueList args;
  args.Add(held);
  TJObject* object = host.Engine().ObjectFactory().CreateObject("ActiveXObject", &args);

  TJValue value;
  object->GetValue("Prop", false, value);
  object->GetValue("Prop", false, value);
  EXPECT_EQ(value.IntValue(), 5);
  EXPECT_EQ(fake->idCalls["Prop"], 1);
  EXPECT_EQ(fake->gets, 2);

  TJValue first;
  TJValue second;
  object->GetValue("Go", false, first);
  object->GetValue("Go", false, second);
  EXPECT_EQ(fake->gets, 3);  // the second read finds the stored method value
  EXPECT_EQ(fake->idCalls["Go"], 1);
  ASSERT_EQ(first.Kind(), jkFunction);
  EXPECT_TRUE(SameFunction(first, second));
  TJValueList callArgs;
  callArgs.Add(TJValue::Integer(1));
  callArgs.Add(TJValue::Integer(2));
  EXPECT_EQ(host.Engine().Call(first, callArgs).IntValue(), 12);
  EXPECT_EQ(fake->calls, 1);

  // The wrapped interface is the one passed in; nothing new was made.
  TJValue disp;
  object->GetValue("disp", false, disp);
  EXPECT_EQ(disp.DispValue(), fake);
  EXPECT_EQ(object->GetPropertyNames(), "Prop");
}

}  // namespace
}  // namespace kestrin::host_testing
