// TJRegExpObject: the script RegExp — a pattern, the ignoreCase and global flags, exec,
// test, replace and split, and result members describing the latest match. The engine
// keeps one more instance as the static RegExp object; ConnectToStatic wires a new RegExp
// to it so every exec updates RegExp.$1, RegExp.lastMatch and the rest.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <string_view>

#include "regex/regex_engine.h"
#include "script/object.h"

namespace kestrin {

class TJRegExpObject : public TJObject {
 public:
  TJRegExpObject(TJObjectFactory* factory, const TJValueList* args);
  static const TJClassInfo& Info();

  // Match notifications (assigned by the engine's new-object hook).
  std::function<void(TJRegExpObject& sender, int group, std::string_view text)> OnSubMatch;
  std::function<void(TJRegExpObject& sender)> OnMatchStart;
  std::function<void(TJRegExpObject& sender)> OnMatchEnd;

  // The operations behind the script methods, for the String methods too. Engine errors
  // raise the script error "ERegExp" with the pattern as its message.
  TJValue Exec(const SharedString& text);  // an Array of whole matches, or undefined
  bool Test(const SharedString& text);
  std::string Replace(std::string_view text, std::string_view replacement);
  TJValue Split(std::string_view text, std::int32_t limit);  // an Array

  // $1..$9 (and any higher ones), lastMatch, lastParen, leftContext, rightContext become
  // undefined; index and lastIndex -1.
  void ResetResults();

  // Sets the member "$" + n (the static object receives its groups this way).
  void SetGroupMember(int n, const TJValue& value);

  bool Global() const { return global_; }

 private:
  void ExecMethod(TJValueList& args, TJValue& result);
  void TestMethod(TJValueList& args, TJValue& result);
  void ReplaceMethod(TJValueList& args, TJValue& result);
  void SplitMethod(TJValueList& args, TJValue& result);
  TJValue GetIgnoreCase();
  void SetIgnoreCase(const TJValue& v);
  TJValue GetGlobal();
  void SetGlobal(const TJValue& v);
  TJValue GetSource();
  void SetSource(const TJValue& v);

  // Lets the host process its events during a long match and ends the match with an
  // abort when the host asks for one (Esc in the window).
  void PollDuringMatch();
  [[noreturn]] void RaiseRegExpError() const;
  void RecordMatch(std::string_view text);
  TJValue MakeArray(const TJValueList& items);

  bool global_ = false;
  velkoran::regex::TRegexEngine engine_;
  SharedString searched_;  // keeps the bytes the engine's last search borrowed
  int highest_group_member_ = 9;  // the highest $n member that exists
  std::chrono::steady_clock::time_point lastPoll_{};
};

// Makes `object`'s matches update the static RegExp object `singleton`: a match start
// resets it, each group sets its $n and lastParen, and the end of an exec copies input,
// index, lastIndex, lastMatch, leftContext, rightContext and lastParen. Does nothing when
// `object` is no RegExp or is the singleton itself.
void ConnectToStatic(TJObject& object, TJRegExpObject& singleton);

}  // namespace kestrin
