#include "script/builtins/regexp_object.h"

#include <string>

#include "script/engine.h"
#include "script/signals.h"

namespace kestrin {
namespace {

using velkoran::regex::ERegexEngine;

std::string GroupName(int n) {
  std::string name(1, '$');
  name += std::to_string(n);
  return name;
}

const char* const kCopiedMembers[] = {"input",       "index",        "lastIndex", "lastMatch",
                                      "leftContext", "rightContext", "lastParen"};

}  // namespace

const TJClassInfo& TJRegExpObject::Info() {
  static const TJClassInfo info =
      TJClassBuilder<TJRegExpObject>("RegExp")
          .Method<&TJRegExpObject::ExecMethod>("exec")
          .Method<&TJRegExpObject::TestMethod>("test")
          .Method<&TJRegExpObject::ReplaceMethod>("replace")
          .Method<&TJRegExpObject::SplitMethod>("split")
          .Property<&TJRegExpObject::GetIgnoreCase, &TJRegExpObject::SetIgnoreCase>("ignoreCase",
                                                                                  TJPropertyType::Boolean)
          .Property<&TJRegExpObject::GetGlobal, &TJRegExpObject::SetGlobal>("global", TJPropertyType::Boolean)
          .Property<&TJRegExpObject::GetSource, &TJRegExpObject::SetSource>("source", TJPropertyType::String)
          .Build();
  return info;
}

TJRegExpObject::TJRegExpObject(TJObjectFactory* factory, const TJValueList* args) : TJObject(factory, args) {
  RegisterName(Info());
  engine_.SetModifier('r', false);
  engine_.set_poll([this] { PollDuringMatch(); });
  if (TJValueList::Has2(args)) {
    const SharedString flags = ToText((*args)[1]);
    if (flags.size() <= 2) {
      engine_.SetModifier('i', flags.view().find('i') != std::string_view::npos);
      global_ = flags.view().find('g') != std::string_view::npos;
    }
  }
  if (TJValueList::Has1(args)) {
    try {
      engine_.SetExpression(ToText((*args)[0]).view());
    } catch (const ERegexEngine&) {
      // A bad pattern surfaces as ERegExp at its first use.
    }
  }
  ResetResults();
  SetMember("input", TJValue());
}

void TJRegExpObject::PollDuringMatch() {
  TJEngine* engine = Engine();
  if (engine == nullptr) return;
  if (engine->OnPoll) {
    const auto now = std::chrono::steady_clock::now();
    if (now - lastPoll_ >= engine->PollInterval) {
      lastPoll_ = now;
      engine->OnPoll(*engine);
    }
  }
  if (engine->AbortRequested) throw EJAbort();
}

void TJRegExpObject::ResetResults() {
  for (int n = 1; n <= highest_group_member_; ++n) SetMember(GroupName(n), TJValue());
  SetMember("lastMatch", TJValue());
  SetMember("lastParen", TJValue());
  SetMember("leftContext", TJValue());
  SetMember("rightContext", TJValue());
  SetMember("index", TJValue::Integer(-1));
  SetMember("lastIndex", TJValue::Integer(-1));
}

void TJRegExpObject::SetGroupMember(int n, const TJValue& value) {
  SetMember(GroupName(n), value);
  if (n > highest_group_member_) highest_group_member_ = n;
}

void TJRegExpObject::RaiseRegExpError() const { ThrowScriptError(errors::kRegExp, engine_.Expression()); }

TJValue TJRegExpObject::MakeArray(const TJValueList& items) {
  TJObjectFactory* factory = Factory();
  if (factory == nullptr) throw std::logic_error("a RegExp result needs the object factory");
  return TJValue::Object(factory->CreateObject("Array", &items));
}

void TJRegExpObject::RecordMatch(std::string_view text) {
  const long start = engine_.GroupStart(0) - 1;
  const long length = engine_.GroupLength(0);
  const auto begin = static_cast<std::size_t>(start);
  const auto end = static_cast<std::size_t>(start + length);
  SetMember("lastMatch", TJValue::Text(text.substr(begin, end - begin)));
  SetMember("index", TJValue::Integer(static_cast<std::int32_t>(start)));
  SetMember("lastIndex", TJValue::Integer(static_cast<std::int32_t>(end)));
  SetMember("leftContext", TJValue::Text(text.substr(0, begin)));
  SetMember("rightContext", TJValue::Text(text.substr(end)));
  const int last = engine_.LastGroup();
  for (int n = 1; n <= last; ++n) {
    const TJValue group = TJValue::Text(engine_.GroupText(n));
    SetMember("lastParen", group);
    SetGroupMember(n, group);
    if (OnSubMatch) OnSubMatch(*this, n, group.StrView());
  }
}

TJValue TJRegExpObject::Exec(const SharedString& text) {
  ResetResults();
  TJValueList matches;
  try {
    searched_ = text;
    bool found = engine_.SearchBorrowed(searched_.view());
    if (!found) return TJValue();
    for (bool first = true; found; first = false) {
      if (!first) ResetResults();
      if (OnMatchStart) OnMatchStart(*this);
      matches.Add(TJValue::Text(engine_.GroupText(0)));
      RecordMatch(text.view());
      if (!global_) break;
      found = engine_.SearchNext();
    }
  } catch (const ERegexEngine&) {
    RaiseRegExpError();
  }
  TJValue array = MakeArray(matches);
  array.ObjValue()->SetMember("input", TJValue::Text(text));
  if (OnMatchEnd) OnMatchEnd(*this);
  return array;
}

bool TJRegExpObject::Test(const SharedString& text) { return Exec(text).Kind() == jkObject; }

std::string TJRegExpObject::Replace(std::string_view text, std::string_view replacement) {
  try {
    return engine_.ReplaceAll(text, replacement);
  } catch (const ERegexEngine&) {
    RaiseRegExpError();
  }
}

TJValue TJRegExpObject::Split(std::string_view text, std::int32_t limit) {
  std::vector<std::string> pieces;
  try {
    pieces = engine_.SplitAll(text);
  } catch (const ERegexEngine&) {
    RaiseRegExpError();
  }
  TJValueList items;
  for (std::size_t i = 0; i < pieces.size() && static_cast<std::int64_t>(i) < limit; ++i)
    items.Add(TJValue::Text(pieces[i]));
  return MakeArray(items);
}

void TJRegExpObject::ExecMethod(TJValueList& args, TJValue& result) {
  if (!TJValueList::Has1(&args)) {
    ResetResults();
    result = TJValue();
    return;
  }
  result = Exec(ToText(args[0]));
}

void TJRegExpObject::TestMethod(TJValueList& args, TJValue& result) {
  if (!TJValueList::Has1(&args)) {
    ResetResults();
    result = TJValue();
    return;
  }
  result = TJValue::Boolean(Test(ToText(args[0])));
}

void TJRegExpObject::ReplaceMethod(TJValueList& args, TJValue& result) {
  if (!TJValueList::Has1(&args)) {
    result = TJValue();
    return;
  }
  const SharedString text = ToText(args[0]);
  const SharedString replacement = TJValueList::Has2(&args) ? ToText(args[1]) : SharedString();
  result = TJValue::Text(Replace(text.view(), replacement.view()));
}

void TJRegExpObject::SplitMethod(TJValueList& args, TJValue& result) {
  if (!TJValueList::Has1(&args)) {
    result = MakeArray(TJValueList());
    return;
  }
  const SharedString text = ToText(args[0]);
  const std::int32_t limit = TJValueList::Has2(&args) ? ToInteger(args[1]) : 2147483647;
  result = Split(text.view(), limit);
}

TJValue TJRegExpObject::GetIgnoreCase() { return TJValue::Boolean(engine_.GetModifier('i')); }

void TJRegExpObject::SetIgnoreCase(const TJValue& v) {
  try {
    engine_.SetModifier('i', ToBoolean(v));
  } catch (const ERegexEngine&) {
    // The pattern no longer compiles under the new flag: ERegExp at its next use.
  }
}

TJValue TJRegExpObject::GetGlobal() { return TJValue::Boolean(global_); }
void TJRegExpObject::SetGlobal(const TJValue& v) { global_ = ToBoolean(v); }

TJValue TJRegExpObject::GetSource() { return TJValue::Text(engine_.Expression()); }
void TJRegExpObject::SetSource(const TJValue& v) { engine_.SetExpression(ToText(v).view()); }

void ConnectToStatic(TJObject& object, TJRegExpObject& singleton) {
  auto* regexp = dynamic_cast<TJRegExpObject*>(&object);
  if (regexp == nullptr || regexp == &singleton) return;
  TJRegExpObject* target = &singleton;
  regexp->OnMatchStart = [target](TJRegExpObject&) { target->ResetResults(); };
  regexp->OnSubMatch = [target](TJRegExpObject&, int group, std::string_view text) {
    const TJValue value = TJValue::Text(text);
    target->SetGroupMember(group, value);
    target->SetMember("lastParen", value);
  };
  regexp->OnMatchEnd = [target](TJRegExpObject& sender) {
    for (const char* name : kCopiedMembers) {
      TJValue v;
      if (const TJValue* found = sender.TopMembers().Find(TJName(name))) v = *found;
      target->SetMember(name, v);
    }
  };
}

}  // namespace kestrin
