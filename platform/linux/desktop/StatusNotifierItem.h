#pragma once

#include <QByteArray>
#include <QDBusObjectPath>
#include <QList>
#include <QObject>
#include <QPoint>
#include <QString>
#include <functional>
#include <optional>

#include "StatusNotifierWatcherProxy.h"
#include "platform/desktop/MenuBarItem.h"

namespace quimbo::desktop {

// One image of an icon as the protocol carries it: ARGB32 pixels, each in
// network byte order.
struct SniPixmap {
  int width = 0;
  int height = 0;
  QByteArray argb;
};
using SniPixmaps = QList<SniPixmap>;

// A tooltip: an icon's name and images, a title and a description.
struct SniToolTip {
  QString iconName;
  SniPixmaps pixmaps;
  QString title;
  QString description;
};

// The label as an item of a tray hosted over D-Bus (org.kde.StatusNotifierItem,
// as KDE Plasma, GNOME Shell's AppIndicator extension, LXQt, Xfce and waybar
// host it), offered to the session's StatusNotifierWatcher and registered
// there for as long as it lives. Hosts that draw an item's text themselves
// get the label as XAyatanaLabel, in the bar's own font and colour; the
// others, an icon that reads on their bar (trayIcon). Activate gives the
// point the panel opens at. The New* signals go out only when what they
// announce changed.
//
// The protocol is the one in org.kde.StatusNotifierItem.xml, answered by
// the adaptor made from it: every property there, empty where the item has
// nothing of it. Those below are named as the protocol names them.
class StatusNotifierItem final : public QObject, public MenuBarItem {
  Q_OBJECT
  Q_PROPERTY(QString Category READ category CONSTANT)
  Q_PROPERTY(QString Id READ id CONSTANT)
  Q_PROPERTY(QString Title READ title CONSTANT)
  Q_PROPERTY(QString Status READ status CONSTANT)
  Q_PROPERTY(bool ItemIsMenu READ itemIsMenu CONSTANT)
  Q_PROPERTY(QDBusObjectPath Menu READ menu CONSTANT)
  Q_PROPERTY(quimbo::desktop::SniPixmaps IconPixmap READ iconPixmap)
  Q_PROPERTY(quimbo::desktop::SniToolTip ToolTip READ toolTip)
  Q_PROPERTY(QString XAyatanaLabel READ ayatanaLabel)
  Q_PROPERTY(QString XAyatanaLabelGuide READ ayatanaLabelGuide CONSTANT)

 public:
  // Whether the watcher took the item: its answer to the offer.
  using Answered = std::function<void(bool taken)>;

  // `hostDrawsLabel`: the tray shows XAyatanaLabel beside the icon. The item
  // is offered to `watcher` unless it could not be put on the bus
  // (exported()); `answered` runs when the watcher answers.
  StatusNotifierItem(Activated activated, bool hostDrawsLabel, StatusNotifierWatcherProxy& watcher,
                     Answered answered);
  ~StatusNotifierItem() override;
  StatusNotifierItem(const StatusNotifierItem&) = delete;
  StatusNotifierItem& operator=(const StatusNotifierItem&) = delete;

  bool exported() const { return exported_; }
  void setLabel(const ui::View& label) override;
  // Activate's point, read as activationAnchor reads it; before the first,
  // the pointer's.
  QRect anchor() const override;

  QString category() const { return QStringLiteral("Hardware"); }
  QString id() const { return QStringLiteral("quimbo"); }
  QString title() const { return QStringLiteral("Quimbo"); }
  QString status() const { return QStringLiteral("Active"); }
  bool itemIsMenu() const { return false; }
  // The item has no menu, yet GNOME's AppIndicator extension shows only
  // items that name one: the root, where no menu answers.
  QDBusObjectPath menu() const { return QDBusObjectPath(QStringLiteral("/")); }
  SniPixmaps iconPixmap() const { return icon_; }
  SniToolTip toolTip() const;
  QString ayatanaLabel() const;
  QString ayatanaLabelGuide() const;

 public slots:
  void Activate(int x, int y);
  void SecondaryActivate(int x, int y);
  void ContextMenu(int x, int y);
  void Scroll(int delta, const QString& orientation);

 signals:
  void NewIcon();
  void NewToolTip();
  void XAyatanaNewLabel(const QString& label, const QString& guide);

 private:
  Activated activated_;
  bool hostDrawsLabel_;
  std::optional<QString> shown_;  // the label's text, or "" for the symbol
  SniPixmaps icon_;
  std::optional<QPoint> point_;
  bool exported_ = false;
};

}  // namespace quimbo::desktop

Q_DECLARE_METATYPE(quimbo::desktop::SniPixmap)
Q_DECLARE_METATYPE(quimbo::desktop::SniToolTip)
