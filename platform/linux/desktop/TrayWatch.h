#pragma once

#include <QAbstractNativeEventFilter>
#include <QDBusServiceWatcher>
#include <QObject>
#include <QString>
#include <cstdint>
#include <functional>

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
// while nothing changes.
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
  Tray tray() const;

 private slots:
  void hostRegistered();

 private:
  bool dbusTrayReady() const;
  bool hostDrawsLabels() const;

  std::function<void()> changed_;
  XEmbedTray xembed_;
  QDBusServiceWatcher watcher_;
  QString watcherOwner_;
};

}  // namespace quimbo::desktop
