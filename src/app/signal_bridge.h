// Turns SIGTERM and SIGINT into a normal close of the window, so that the state files are
// written as on any other close. The handler only writes one byte to a pipe; the window's
// event loop reads it and does the work.
#pragma once

#include <QObject>
#include <functional>
#include <memory>

class QSocketNotifier;

namespace velkoran::app {

class SignalBridge final : public QObject {
 public:
  explicit SignalBridge(std::function<void()> onSignal, QObject* parent = nullptr);
  ~SignalBridge() override;
  bool Installed() const { return notifier_ != nullptr; }

 private:
  std::function<void()> onSignal_;
  QSocketNotifier* notifier_ = nullptr;
};

}  // namespace velkoran::app
