#pragma once

#include <QAbstractNativeEventFilter>
#include <QDBusPendingCallWatcher>
#include <QDBusServiceWatcher>
#include <QObject>
#include <QString>
#include <cstdint>
#include <functional>
#include <optional>

#include "StatusNotifierWatcherProxy.h"

namespace quimbo::desktop {

// The XEmbed tray of an X11 display: the owner of the _NET_SYSTEM_TRAY_S<n>
// selection, followed through XFixes selection events that reach Qt's own
// connection, so that no timer polls for it. Never present off X11.
class XEmbedTray final : public QAbstractNativeEventFilter {
 public:
  explicit XEmbedTray(std::function<void()> changed);
  ~XEmbedTray() override;
  XEmbedTray(const XEmbedTray&) = delete;
  XEmbedTray& operator=(const XEmbedTray&) = delete;

  bool present() const { return present_; }
  bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

 private:
  std::function<void()> changed_;
  std::uint32_t selection_ = 0;  // the selection's atom; 0 off X11
  int selectionNotify_ = -1;     // the XFixes SelectionNotify event code
  bool present_ = false;
};

// The tray that holds the item, for the whole run: a StatusNotifierWatcher
// with a host on the session bus, or else an XEmbed tray. Both are followed
// through events (the bus's, the X server's), so the watch costs no wake-up
// while nothing changes. Every question to the bus is asynchronous: a
// watcher that never answers (a panel hung or stopped) holds nothing up.
class TrayWatch final : public QObject {
  Q_OBJECT

 public:
  struct Tray {
    enum class Kind { none, xembed, dbus };
    Kind kind = Kind::none;
    QString watcher;           // the watcher's unique name on the bus
    bool drawsLabels = false;  // the host shows an item's XAyatanaLabel
    bool operator==(const Tray&) const = default;
  };

  explicit TrayWatch(std::function<void()> changed);
  // Nothing until the bus has first answered whether a tray runs there.
  // While a watcher has not answered, none: Qt's tray icon asks the watcher
  // too, synchronously, before it goes to the XEmbed tray (where the watcher
  // says no host, it goes there, never to a D-Bus tray of its own).
  std::optional<Tray> tray() const;
  StatusNotifierWatcherProxy& watcher() { return watcher_; }

 private:
  void ownerChanged(const QString& owner);
  void askHost();
  void askName();
  // Calls `answered` with the reply to `call` while the watcher is the one
  // it was made for.
  void whenAnswered(const QDBusPendingCall& call,
                    std::function<void(const QDBusPendingCallWatcher&)> answered);

  std::function<void()> changed_;
  XEmbedTray xembed_;
  StatusNotifierWatcherProxy watcher_;
  QDBusServiceWatcher names_;
  std::optional<QString> owner_;  // the watcher's unique name, "" for none
  std::optional<bool> host_;      // a host has registered with it
  std::optional<bool> drawsLabels_;
  bool settled_ = false;  // the first watcher's answers are in
  bool asking_ = false;   // the host's question is on its way
  bool askAgain_ = false;
  unsigned owners_ = 0;  // counts the watchers, so that a gone one's answers are dropped
};

}  // namespace quimbo::desktop
