// Turns termination signals into a call on the Qt event loop: the signal
// handler only writes a byte to a socket pair, and the loop runs the callback.
#pragma once

#include <QObject>

#include <functional>
#include <initializer_list>

class QSocketNotifier;

class SignalBridge : public QObject {
  Q_OBJECT

 public:
  // Installs handlers for `signalNumbers`; `onSignal` runs on the event loop, once per signal received.
  // Only one SignalBridge may exist at a time.
  SignalBridge(std::initializer_list<int> signalNumbers, std::function<void(int)> onSignal,
               QObject* parent = nullptr);
  ~SignalBridge() override;

  // True when the socket pair and handlers were set up.
  bool ok() const { return ok_; }

 private:
  void OnReadable();

  std::function<void(int)> onSignal_;
  QSocketNotifier* notifier_ = nullptr;
  bool ok_ = false;
};
