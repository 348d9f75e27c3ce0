// Objects, member layers, published properties, value lists, reference counting and the
// factory's sweeps.
#include <gtest/gtest.h>

#include <string>

#include "script/object.h"

namespace kestrin {
namespace {

std::string ErrorOf(const std::function<void()>& f, std::string* text = nullptr) {
  try {
    f();
  } catch (const EJThrow& e) {
    if (text != nullptr) *text = e.ErrorText;
    return e.ErrorName;
  }
  return "";
}

std::string CallMethod(TJObject& o, const char* name, TJValueList* args = nullptr) {
  TJValue f;
  o.GetValue(name, false, f);
  EXPECT_EQ(f.Kind(), jkFunction);
  TJValueList none;
  TJValue result;
  f.FuncValue()->Method(*f.FuncValue()->OwnerObject(), args != nullptr ? *args : none, result);
  return ToText(result).str();
}

// A class with published properties of every kind and a method that shadows Object's.
class Gadget : public TJObject {
 public:
  Gadget(TJObjectFactory* f, const TJValueList* a) : TJObject(f, a) { RegisterName(Info()); }
  static const TJClassInfo& Info() {
    static const TJClassInfo info = TJClassBuilder<Gadget>("Gadget")
                                        .Method<&Gadget::ToStringOwn>("toString")
                                        .Property<&Gadget::GetCount, &Gadget::SetCount>("count", TJPropertyType::Integer)
                                        .Property<&Gadget::GetFlag, &Gadget::SetFlag>("flag", TJPropertyType::Boolean)
                                        .Property<&Gadget::GetRatio, &Gadget::SetRatio>("ratio", TJPropertyType::Float)
                                        .Property<&Gadget::GetLabel>("label", TJPropertyType::String)
                                        .SetOnlyProperty<&Gadget::SetSecret>("secret", TJPropertyType::String)
                                        .Property<&Gadget::GetPeer, &Gadget::SetPeer>("peer", TJPropertyType::Object)
                                        .Property<&Gadget::GetLabel>("Name", TJPropertyType::String)
                                        .Build();
    return info;
  }
  void ToStringOwn(TJValueList&, TJValue& r) { r = TJValue::Text("gadget"); }
  TJValue GetCount() { return TJValue::Integer(count); }
  void SetCount(const TJValue& v) { count = v.IntValue(); }
  TJValue GetFlag() { return TJValue::Boolean(flag); }
  void SetFlag(const TJValue& v) { flag = v.BoolValue(); }
  TJValue GetRatio() { return TJValue::Number(ratio); }
  void SetRatio(const TJValue& v) { ratio = v.NumValue(); }
  TJValue GetLabel() { return TJValue::Text("lbl"); }
  void SetSecret(const TJValue& v) { secret = v.StrView(); }
  TJValue GetPeer() { return TJValue::Object(peer); }
  void SetPeer(const TJValue& v) { peer = v.ObjValue(); }

  std::int32_t count = 0;
  bool flag = false;
  double ratio = 0;
  std::string secret;
  TJObject* peer = nullptr;
};

TEST(Objects, PlainObjectKeysAndMethods) {
  TJObjectFactory f;
  TJObject* o = f.CreateObject("Object");
  EXPECT_EQ(CallMethod(*o, "getKeys"), "\r\ngetKeys\r\ngetMethods\r\ngetProperties\r\nhasKey\r\ntoString");
  EXPECT_EQ(CallMethod(*o, "toString"), "[Object]");
  EXPECT_EQ(CallMethod(*o, "hasKey"), "false");
  TJValueList args;
  args.Add(TJValue::Text("getKeys"));
  EXPECT_EQ(CallMethod(*o, "hasKey", &args), "true");
  EXPECT_EQ(o->ScriptClassName(), "Object");
  EXPECT_EQ(CallMethod(*o, "getProperties"), "");
}

TEST(Objects, DotAndBracketAccess) {
  TJObjectFactory f;
  TJObject* o = f.CreateObject("Object");
  std::string text;
  EXPECT_EQ(ErrorOf([&] { o->SetValue("x", TJValue::Integer(1), false); }, &text), "ENameError");
  EXPECT_EQ(text, "x");
  EXPECT_EQ(ErrorOf([&] {
              TJValue v;
              o->GetValue("x", true, v);
            }, &text),
            "EKeyError");
  o->SetValue("x", TJValue::Integer(1), true);
  o->SetValue("x", TJValue::Integer(2), false);  // exists now: dot writes work
  o->SetValue("X", TJValue::Integer(3), true);   // a different member
  TJValue v;
  o->GetValue("x", false, v);
  EXPECT_EQ(v.IntValue(), 2);
  o->GetValue("X", false, v);
  EXPECT_EQ(v.IntValue(), 3);
  // Case variants appear once: the one the hash table lists first (bucket order, bytes).
  EXPECT_EQ(CallMethod(*o, "getProperties"), "X");
  // Overwriting a method name with data: it stops being a method.
  o->SetValue("toString", TJValue::Integer(5), false);
  EXPECT_EQ(CallMethod(*o, "getMethods"), "getKeys\r\ngetMethods\r\ngetProperties\r\nhasKey");
}

TEST(Objects, SuperAccess) {
  TJObjectFactory f;
  TJObject* plain = f.CreateObject("Object");
  std::string text;
  EXPECT_EQ(ErrorOf([&] {
              TJValue v;
              plain->GetSuperValue("toString", v);
            }, &text),
            "EKeyError");
  EXPECT_EQ(text, "super.toString");

  Gadget g(&f, nullptr);
  TJValue own;
  g.GetValue("toString", false, own);
  EXPECT_EQ(CallMethod(g, "toString"), "gadget");
  TJValue parent;
  g.GetSuperValue("toString", parent);
  ASSERT_EQ(parent.Kind(), jkFunction);
  EXPECT_FALSE(SameFunction(own, parent));
  TJValueList none;
  TJValue r;
  parent.FuncValue()->Method(g, none, r);
  EXPECT_EQ(r.StrView(), "[Gadget]");
  EXPECT_EQ(ErrorOf([&] { g.SetSuperValue("nothing", TJValue::Integer(1)); }), "EKeyError");
  g.SetSuperValue("hasKey", TJValue::Integer(1));
  TJValue hk;
  g.GetSuperValue("hasKey", hk);
  EXPECT_EQ(hk.IntValue(), 1);
}

TEST(Objects, PublishedProperties) {
  TJObjectFactory f;
  Gadget g(&f, nullptr);
  g.SetValue("count", TJValue::Text("0x10"), false);
  EXPECT_EQ(g.count, 16);
  g.SetValue("flag", TJValue::Integer(2), false);
  EXPECT_TRUE(g.flag);
  g.SetValue("ratio", TJValue::Text("2.5"), false);
  EXPECT_EQ(g.ratio, 2.5);
  TJValue v;
  g.GetValue("flag", false, v);
  EXPECT_EQ(v.Kind(), jkBoolean);
  std::string text;
  EXPECT_EQ(ErrorOf([&] { g.SetValue("label", TJValue::Text("x"), false); }, &text), "EPropertyError");
  EXPECT_EQ(text, "get only");
  EXPECT_EQ(ErrorOf([&] { g.GetValue("secret", false, v); }, &text), "EPropertyError");
  EXPECT_EQ(text, "set only");
  g.SetValue("secret", TJValue::Integer(7), false);
  EXPECT_EQ(g.secret, "7");
  // An object property is written only from an object; otherwise it is not written and
  // the ordinary member rules apply (a dot write of a missing member fails).
  EXPECT_EQ(ErrorOf([&] { g.SetValue("peer", TJValue::Integer(1), false); }), "ENameError");
  EXPECT_EQ(g.peer, nullptr);
  // A null object property reads as not found.
  EXPECT_EQ(ErrorOf([&] { g.GetValue("peer", false, v); }), "ENameError");
  TJObject* other = f.CreateObject("Object");
  g.SetValue("peer", TJValue::Object(other), false);
  g.GetValue("peer", false, v);
  EXPECT_EQ(v.ObjValue(), other);
  // "Name" is never published.
  EXPECT_FALSE(g.HasPublishedProperty("Name"));
  EXPECT_TRUE(g.HasKey("count"));
  EXPECT_EQ(g.GetPropertyNames(), "count\r\nflag\r\nratio\r\nlabel\r\nsecret\r\npeer");
  g.SetValue("extra", TJValue::Integer(1), true);
  EXPECT_EQ(g.GetPropertyNames(), "extra\r\ncount\r\nflag\r\nratio\r\nlabel\r\nsecret\r\npeer");
  EXPECT_EQ(g.ClassNames(), (std::vector<std::string>{"Gadget", "Object"}));
}

TEST(Objects, ClearMembersDropsMethodsAndKeepsLevels) {
  TJObjectFactory f;
  Gadget g(&f, nullptr);
  g.SetValue("extra", TJValue::Integer(1), true);
  g.ClearMembers();
  EXPECT_FALSE(g.HasKey("extra"));
  EXPECT_FALSE(g.HasKey("toString"));
  EXPECT_EQ(g.ScriptClassName(), "Gadget");
  EXPECT_TRUE(g.HasKey("count"));  // properties belong to the class, not the layers
}

TEST(Objects, DynamicMethodAndMember) {
  TJObjectFactory f;
  TJObject* o = f.CreateObject("Object");
  o->RegisterMethod("hello", [](TJObject&, TJValueList&, TJValue& r) { r = TJValue::Text("hi"); });
  EXPECT_EQ(CallMethod(*o, "hello"), "hi");
  o->SetMember("PI", TJValue::Number(3.5));
  EXPECT_EQ(o->GetPropertyNames(), "PI");
}

TEST(Objects, MethodOfFreedObjectHasNoOwner) {
  TJObjectFactory f;
  TJObject* o = f.CreateObject("Object");
  TJValue m;
  o->GetValue("toString", false, m);
  EXPECT_EQ(m.FuncValue()->OwnerObject(), o);
  f.Sweep();  // count 0: freed
  EXPECT_EQ(f.ObjectCount(), 0u);
  EXPECT_EQ(m.FuncValue()->OwnerObject(), nullptr);
}

TEST(MemberTables, LargeTablesUseTheirIndex) {
  TJHash t;
  for (int i = 0; i < 1000; ++i) t.Set(TJName(std::string("m").append(std::to_string(i))), TJValue::Integer(i));
  for (int i = 0; i < 1000; ++i) {
    const TJValue* v = t.Find(TJName(std::string("m").append(std::to_string(i))));
    ASSERT_NE(v, nullptr);
    EXPECT_EQ(v->IntValue(), i);
  }
  EXPECT_TRUE(t.Remove(TJName("m500")));
  EXPECT_FALSE(t.Remove(TJName("m500")));
  EXPECT_EQ(t.Find(TJName("m500")), nullptr);
  EXPECT_EQ(t.Find(TJName("m999"))->IntValue(), 999);
  EXPECT_EQ(t.Count(), 999u);
  t.Set(TJName("m0"), TJValue::Text("zero"));
  EXPECT_EQ(t.Find(TJName("m0"))->StrView(), "zero");
  EXPECT_EQ(t.Count(), 999u);
}

TEST(MemberStores, LayersShadowAndSuper) {
  TJObjectFactory f;
  TJObject* o = f.CreateObject("Object");
  o->SetMember("a", TJValue::Integer(1));
  TJValue v;
  // A plain object's level below "Object" holds nothing.
  EXPECT_EQ(ErrorOf([&] { o->GetSuperValue(TJName("a"), v); }), "EKeyError");
  o->RegisterName("Derived");
  o->SetMember("a", TJValue::Integer(2));  // shadows the lower level's a
  o->SetMember("B", TJValue::Integer(3));
  o->GetValue("a", false, v);
  EXPECT_EQ(v.IntValue(), 2);
  o->GetSuperValue(TJName("a"), v);
  EXPECT_EQ(v.IntValue(), 1);
  EXPECT_EQ(ErrorOf([&] { o->GetSuperValue(TJName("B"), v); }), "EKeyError");
  o->SetSuperValue(TJName("a"), TJValue::Integer(9));
  o->GetSuperValue(TJName("a"), v);
  EXPECT_EQ(v.IntValue(), 9);
  o->GetValue("a", false, v);
  EXPECT_EQ(v.IntValue(), 2);
  // The native methods of the level below are reached through super as well.
  o->GetSuperValue(TJName("toString"), v);
  EXPECT_EQ(v.Kind(), jkFunction);
  o->SetMember("c", TJValue::Integer(1));
  EXPECT_EQ(o->GetPropertyNames(), "a\r\nB\r\nc");
  EXPECT_EQ(o->ClassNames(), (std::vector<std::string>{"Derived", "Object"}));
}

TEST(MemberStores, ManyMembersAndRemovals) {
  TJObjectFactory f;
  TJObject* o = f.CreateObject("Object");
  // Past the shared shapes' size the object keeps a shape of its own; names stay found.
  for (int i = 0; i < 100; ++i) o->SetValue(TJName("m" + std::to_string(i)), TJValue::Integer(i), true);
  TJValue v;
  for (int i = 0; i < 100; ++i) {
    SCOPED_TRACE(i);
    o->GetValue(TJName("m" + std::to_string(i)), false, v);
    EXPECT_EQ(v.IntValue(), i);
  }
  EXPECT_TRUE(o->TopMembers().Remove(TJName("m50")));
  EXPECT_FALSE(o->TopMembers().Remove(TJName("m50")));
  EXPECT_FALSE(o->HasKey(TJName("m50")));
  o->GetValue("m99", false, v);
  EXPECT_EQ(v.IntValue(), 99);
  // Two objects given the same names in the same order share their shape.
  TJObject* p = f.CreateObject("Object");
  TJObject* q = f.CreateObject("Object");
  for (TJObject* x : {p, q}) {
    x->SetValue("x", TJValue::Integer(1), true);
    x->SetValue("y", TJValue::Integer(2), true);
  }
  EXPECT_EQ(p->Members().Shape(), q->Members().Shape());
  p->TopMembers().Remove(TJName("x"));
  EXPECT_NE(p->Members().Shape(), q->Members().Shape());
  q->GetValue("y", false, v);
  EXPECT_EQ(v.IntValue(), 2);
}

// An object made with room for three values behind it: removals inside the room, growth
// past it onto the heap; values and the counts they hold stay right.
TEST(MemberStores, RoomBehindTheObject) {
  TJObjectFactory f;
  TJObject* held = f.CreateObject("Object");
  TJObject* o = f.CreatePlainObject(3);
  o->SetValue("h", TJValue::Object(held), true);
  for (int i = 0; i < 2; ++i) o->SetValue(TJName("r" + std::to_string(i)), TJValue::Integer(i), true);
  EXPECT_TRUE(o->TopMembers().Remove(TJName("r0")));
  for (int i = 2; i < 12; ++i) o->SetValue(TJName("r" + std::to_string(i)), TJValue::Integer(i), true);
  EXPECT_TRUE(o->TopMembers().Remove(TJName("r5")));
  TJValue v;
  for (int i = 1; i < 12; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(o->HasKey(TJName("r" + std::to_string(i))), i != 5);
    if (i != 5) {
      o->GetValue(TJName("r" + std::to_string(i)), false, v);
      EXPECT_EQ(v.IntValue(), i);
    }
  }
  EXPECT_EQ(held->RefCount(), 1);
  o->ClearMembers();
  EXPECT_EQ(held->RefCount(), 0);
}

// A shared shape remembers where names resolved: many names asked again and again (more
// than it keeps, so they displace each other) keep their answers, present or absent.
TEST(MemberStores, ResolvedNamesStayRight) {
  TJObjectFactory f;
  TJObject* o = f.CreateObject("Object");
  for (int i = 0; i < 20; ++i) o->SetValue(TJName("k" + std::to_string(i)), TJValue::Integer(i), true);
  for (int round = 0; round < 3; ++round) {
    for (int i = 0; i < 60; ++i) {
      SCOPED_TRACE(i);
      EXPECT_EQ(o->HasKey(TJName("k" + std::to_string(i))), i < 20);
    }
  }
  EXPECT_TRUE(o->HasKey(TJName("toString")));
  EXPECT_FALSE(o->HasKey(TJName("ToStrinG")));
}

TEST(ValueLists, CountingListsCountObjects) {
  TJObjectFactory f;
  TJObject* o = f.CreateObject("Object");
  {
    TJValueList plain;
    plain.Add(TJValue::Object(o));
    EXPECT_EQ(o->RefCount(), 0);
    TJValueList counting(true);
    counting.Add(TJValue::Object(o));
    counting.Insert(0, TJValue::Object(o));
    EXPECT_EQ(o->RefCount(), 2);
    counting.Set(0, TJValue::Integer(1));
    EXPECT_EQ(o->RefCount(), 1);
    counting.Set(0, TJValue::Object(o));  // the same object: counted first, then released
    EXPECT_EQ(o->RefCount(), 2);
    counting.Delete(1);
    EXPECT_EQ(o->RefCount(), 1);
    EXPECT_THROW(counting.Get(5), std::out_of_range);
    EXPECT_THROW(counting.Delete(5), std::out_of_range);
    EXPECT_TRUE(TJValueList::Has1(&counting));
    EXPECT_FALSE(TJValueList::Has2(&counting));
    EXPECT_FALSE(TJValueList::Has1(nullptr));
  }
  EXPECT_EQ(o->RefCount(), 0);
}

TEST(Lifetime, TwoMembersThenSweeps) {
  TJObjectFactory f;
  TJObject* holder = f.CreateObject("Object");
  holder->AddRef();  // held from outside (a variable)
  TJObject* shared = f.CreateObject("Object");
  holder->SetValue("a", TJValue::Object(shared), true);
  holder->SetValue("b", TJValue::Object(shared), true);
  EXPECT_EQ(shared->RefCount(), 2);
  holder->TopMembers().Remove(TJName("a"));
  f.Sweep();
  EXPECT_EQ(f.ObjectCount(), 2u);
  EXPECT_EQ(shared->RefCount(), 1);
  holder->TopMembers().Remove(TJName("b"));
  f.Sweep();
  EXPECT_EQ(f.ObjectCount(), 1u);
}

TEST(Lifetime, FrameSweepFreesOnlyNewerObjects) {
  TJObjectFactory f;
  TJObject* older = f.CreateObject("Object");  // a temporary of an enclosing expression
  const std::uint64_t mark = f.NextSerial();
  const std::size_t zeroMark = f.ZeroListSize();
  TJObject* result = f.CreateObject("Object");
  TJObject* garbage = f.CreateObject("Object");
  TJObject* kept = f.CreateObject("Object");
  kept->AddRef();
  garbage->SetValue("inner", TJValue::Object(f.CreateObject("Object")), true);
  older->AddRef();
  older->Release();  // drops to zero again inside the frame
  f.SweepFrame(mark, zeroMark, result);
  // garbage and its inner object are gone; the result, the counted one and the older one stay.
  EXPECT_EQ(f.ObjectCount(), 3u);
  EXPECT_EQ(older->RefCount(), 0);
  EXPECT_EQ(result->RefCount(), 0);
  // The enclosing frame (mark 0) collects the rest.
  f.SweepFrame(0, 0, nullptr);
  EXPECT_EQ(f.ObjectCount(), 1u);
  kept->Release();
  f.Sweep();
  EXPECT_EQ(f.ObjectCount(), 0u);
}

TEST(Lifetime, CyclesAreCollectedRootsKept) {
  TJObjectFactory f;
  TJObject* a = f.CreateObject("Object");
  TJObject* b = f.CreateObject("Object");
  a->AddRef();  // held by variables while the cycle is made
  b->AddRef();
  a->SetValue("next", TJValue::Object(b), true);
  b->SetValue("next", TJValue::Object(a), true);
  a->Release();  // the variables let go: only the cycle holds them now
  b->Release();
  TJObject* root = f.CreateObject("Object");
  root->AddRef();  // a variable holds it
  TJObject* c = f.CreateObject("Object");
  TJObject* d = f.CreateObject("Object");
  root->SetValue("c", TJValue::Object(c), true);
  c->SetValue("d", TJValue::Object(d), true);
  d->SetValue("c", TJValue::Object(c), true);
  f.Sweep();
  EXPECT_EQ(f.ObjectCount(), 5u);
  f.CollectCycles();
  EXPECT_EQ(f.ObjectCount(), 3u);  // a and b gone; root, c and d reachable
  TJValue v;
  root->GetValue("c", false, v);
  EXPECT_EQ(v.ObjValue(), c);
  EXPECT_EQ(c->RefCount(), 2);
  root->Release();
  f.Sweep();
  f.CollectCycles();
  EXPECT_EQ(f.ObjectCount(), 0u);
}

TEST(Factory, RegistryAndHook) {
  TJObjectFactory f;
  EXPECT_TRUE(f.HasClass("Object"));
  EXPECT_FALSE(f.HasClass("Gadget"));
  f.RegisterClass("Gadget", Gadget::Info());
  int created = 0;
  f.OnNewObject = [&](TJObjectFactory&, TJObject&) { ++created; };
  TJObject* g = f.CreateObject("Gadget");
  EXPECT_EQ(g->ScriptClassName(), "Gadget");
  TJObject* plain = f.CreateObject("NoSuchClass");
  EXPECT_EQ(plain->ScriptClassName(), "Object");
  EXPECT_EQ(created, 2);
  EXPECT_GT(g->Serial(), 0u);
  EXPECT_LT(g->Serial(), plain->Serial());
  auto detached = f.CreateDetached("Gadget");
  detached->Release();  // never listed: nothing to sweep
  f.Sweep();
  EXPECT_EQ(f.ObjectCount(), 0u);
}

TEST(Factory, ScriptClassLevels) {
  TJObjectFactory f;
  TJObject* o = f.CreateObject("Object");
  o->RegisterName("Point");
  o->RegisterName("Point3");
  EXPECT_EQ(o->ScriptClassName(), "Point3");
  EXPECT_TRUE(o->IsClass("Point"));
  EXPECT_EQ(&f.ScriptClassInfo("Point"), &f.ScriptClassInfo("Point"));
  EXPECT_EQ(o->ToString(nullptr).view(), "[Point3]");
}

}  // namespace
}  // namespace kestrin
