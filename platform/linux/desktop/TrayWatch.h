#pragma once

#include <QAbstractNativeEventFilter>
#include <QDBusServiceWatcher>
#include <QObject>
#include <cstdint>
#include <functional>
#include <optional>

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

// Whether a system tray is there to hold the item, for the whole run: an
// XEmbed tray, or a StatusNotifierWatcher with a host on the session bus.
// Both are followed through events (the X server's, the bus's), so the
// watch costs no wake-up while nothing changes.
//
// Qt picks the tray protocol once, when the first tray icon is made: the
// D-Bus tray when a watcher with a host runs then, XEmbed otherwise, for
// good. lock() records that choice; from then on only that tray counts.
class TrayWatch final : public QObject {
  Q_OBJECT

 public:
  explicit TrayWatch(std::function<void()> changed);
  bool available() const;
  // Called just before the first tray icon is made.
  void lock();

 private slots:
  void hostRegistered();

 private:
  enum class Protocol { xembed, dbus };
  bool dbusTrayReady() const;

  std::function<void()> changed_;
  XEmbedTray xembed_;
  QDBusServiceWatcher watcher_;
  bool watcherPresent_ = false;
  std::optional<Protocol> protocol_;
};

}  // namespace quimbo::desktop
