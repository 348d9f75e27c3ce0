// TVelkoran, the script class "Velkoran": the application object through which a script
// refreshes the tree and the file list, writes to the log, switches tabs, fills and shows
// the file buffers and drives the two progress bars. Every launched script makes one as
// `Velko`; all of them act on the one window their host component belongs to.
#pragma once

#include <cstdint>
#include <string_view>

#include "script/object.h"

namespace velkoran::app {

enum class ScriptProgressBar { Main, Sub };

// What the application object drives: the window that runs the script.
class TVelkoranHost {
 public:
  virtual int ScriptTabIndex() const = 0;
  virtual int ScriptTabCount() const = 0;
  // Progress bars hold integers 0..maximum: a maximum below 0 becomes 0 and a position is
  // kept within 0..maximum, as the bar control itself does.
  virtual std::int32_t ScriptProgressPosition(ScriptProgressBar bar) const = 0;
  virtual std::int32_t ScriptProgressMaximum(ScriptProgressBar bar) const = 0;
  virtual void SetScriptProgressPosition(ScriptProgressBar bar, std::int32_t position) = 0;
  virtual void SetScriptProgressMaximum(ScriptProgressBar bar, std::int32_t maximum) = 0;
  virtual int ScriptFileBufferIndex() const = 0;
  // Values outside 0..11 are ignored; the buffer list is not redrawn.
  virtual void SetScriptFileBufferIndex(int index) = 0;
  virtual void ScriptUpdateTree() = 0;
  virtual void ScriptUpdateFileList() = 0;
  virtual void ScriptLog(std::string_view text) = 0;
  // An index that names no tab does nothing.
  virtual void ScriptChangeTab(int index) = 0;
  // Adds a path to the current buffer, or removes it when it is there; not redrawn.
  virtual void ScriptToggleBufferEntry(std::string_view path) = 0;
  virtual void ScriptShowFileBuffer() = 0;

 protected:
  ~TVelkoranHost() = default;
};

class TVelkoran final : public kestrin::TJObject {
 public:
  TVelkoran(kestrin::TJObjectFactory* factory, const kestrin::TJValueList* args);
  static const kestrin::TJClassInfo& Info();

  // The window this object acts on; the host binds every new instance as it is created.
  // Unbound, properties read 0 and methods do nothing.
  void Bind(TVelkoranHost* host) { host_ = host; }

 private:
  kestrin::TJValue GetTabIndex();
  kestrin::TJValue GetMainBarPosition();
  void SetMainBarPosition(const kestrin::TJValue& v);
  kestrin::TJValue GetSubBarPosition();
  void SetSubBarPosition(const kestrin::TJValue& v);
  kestrin::TJValue GetMainBarMax();
  void SetMainBarMax(const kestrin::TJValue& v);
  kestrin::TJValue GetSubBarMax();
  void SetSubBarMax(const kestrin::TJValue& v);
  kestrin::TJValue GetTabCount();
  kestrin::TJValue GetFileBufferIndex();
  void SetFileBufferIndex(const kestrin::TJValue& v);

  void UpdateTreeMethod(kestrin::TJValueList& args, kestrin::TJValue& result);
  void UpdateFileListMethod(kestrin::TJValueList& args, kestrin::TJValue& result);
  void MsgMethod(kestrin::TJValueList& args, kestrin::TJValue& result);
  void ChangeTabMethod(kestrin::TJValueList& args, kestrin::TJValue& result);
  void AddToFileBufferMethod(kestrin::TJValueList& args, kestrin::TJValue& result);
  void ShowFileBufferMethod(kestrin::TJValueList& args, kestrin::TJValue& result);

  TVelkoranHost* host_ = nullptr;
};

}  // namespace velkoran::app
