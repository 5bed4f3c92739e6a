#include "platform/linux/desktop/StatusNotifierItem.h"

#include <QCursor>
#include <QDBusConnection>
#include <QDBusMetaType>
#include <QDBusPendingCallWatcher>
#include <QImage>
#include <QtEndian>

#include "StatusNotifierItemAdaptor.h"
#include "platform/desktop/TrayIcon.h"
#include "platform/linux/desktop/WorkArea.h"

namespace quimbo::desktop {

QDBusArgument& operator<<(QDBusArgument& out, const SniPixmap& pixmap) {
  out.beginStructure();
  out << pixmap.width << pixmap.height << pixmap.argb;
  out.endStructure();
  return out;
}

const QDBusArgument& operator>>(const QDBusArgument& in, SniPixmap& pixmap) {
  in.beginStructure();
  in >> pixmap.width >> pixmap.height >> pixmap.argb;
  in.endStructure();
  return in;
}

QDBusArgument& operator<<(QDBusArgument& out, const SniToolTip& tip) {
  out.beginStructure();
  out << tip.iconName << tip.pixmaps << tip.title << tip.description;
  out.endStructure();
  return out;
}

const QDBusArgument& operator>>(const QDBusArgument& in, SniToolTip& tip) {
  in.beginStructure();
  in >> tip.iconName >> tip.pixmaps >> tip.title >> tip.description;
  in.endStructure();
  return in;
}

namespace {

const QString kItemPath = QStringLiteral("/StatusNotifierItem");
// Hosts that honour it keep room for this much text: three digits of
// temperature and four of fan speed.
const QString kLabelGuide = QStringLiteral("188° · 8888");
// Beside a label the host draws, the icon only keeps the item's place.
constexpr int kBlankSize = 16;

SniPixmaps pixmapsOf(const QIcon& icon) {
  SniPixmaps pixmaps;
  for (const QSize size : icon.availableSizes()) {
    const QImage image = icon.pixmap(size).toImage().convertToFormat(QImage::Format_ARGB32);
    SniPixmap pixmap{image.width(), image.height(), {}};
    pixmap.argb.resize(qsizetype(image.width()) * image.height() * 4);
    auto* out = reinterpret_cast<quint32*>(pixmap.argb.data());
    for (int y = 0; y < image.height(); ++y) {
      const auto* row = reinterpret_cast<const quint32*>(image.constScanLine(y));
      for (int x = 0; x < image.width(); ++x) *out++ = qToBigEndian(row[x]);
    }
    pixmaps.push_back(std::move(pixmap));
  }
  return pixmaps;
}

SniPixmaps blankIcon() {
  return {SniPixmap{kBlankSize, kBlankSize, QByteArray(kBlankSize * kBlankSize * 4, '\0')}};
}

}  // namespace

StatusNotifierItem::StatusNotifierItem(Activated activated, bool hostDrawsLabel,
                                       StatusNotifierWatcherProxy& watcher, Answered answered)
    : activated_(std::move(activated)), hostDrawsLabel_(hostDrawsLabel) {
  qDBusRegisterMetaType<SniPixmap>();
  qDBusRegisterMetaType<SniPixmaps>();
  qDBusRegisterMetaType<SniToolTip>();
  new StatusNotifierItemAdaptor(this);
  exported_ = watcher.connection().registerObject(kItemPath, this);
  if (!exported_) return;
  // Offered by its path, on this connection's own name: GNOME's
  // AppIndicator extension fails to set up items registered by a well-known
  // name when it sees that name's owner while it reads the item.
  auto* offer = new QDBusPendingCallWatcher(watcher.RegisterStatusNotifierItem(kItemPath), this);
  connect(offer, &QDBusPendingCallWatcher::finished, this,
          [answered = std::move(answered)](QDBusPendingCallWatcher* offer) {
            offer->deleteLater();
            answered(!offer->isError());
          });
}

StatusNotifierItem::~StatusNotifierItem() {
  if (exported_) QDBusConnection::sessionBus().unregisterObject(kItemPath);
}

void StatusNotifierItem::setLabel(const ui::View& label) {
  const QString text = labelText(label);
  if (shown_ == text) return;
  const bool symbolChanged = !shown_ || shown_->isEmpty() != text.isEmpty();
  shown_ = text;
  if (!hostDrawsLabel_ || symbolChanged) {
    icon_ = hostDrawsLabel_ && !text.isEmpty() ? blankIcon() : pixmapsOf(trayIcon(label));
    emit NewIcon();
  }
  if (hostDrawsLabel_) emit XAyatanaNewLabel(ayatanaLabel(), kLabelGuide);
  emit NewToolTip();
}

SniToolTip StatusNotifierItem::toolTip() const {
  const QString text = shown_.value_or(QString());
  return {{}, {}, text.isEmpty() ? title() : text, {}};
}

QString StatusNotifierItem::ayatanaLabel() const {
  return hostDrawsLabel_ ? shown_.value_or(QString()) : QString();
}

QString StatusNotifierItem::ayatanaLabelGuide() const { return kLabelGuide; }

QRect StatusNotifierItem::anchor() const {
  return point_ ? activationAnchor(*point_) : QRect(QCursor::pos(), QSize(1, 1));
}

void StatusNotifierItem::Activate(int x, int y) {
  point_ = QPoint(x, y);
  activated_();
}

// The middle button: a click like any other.
void StatusNotifierItem::SecondaryActivate(int x, int y) { Activate(x, y); }

// The item has no menu: the secondary button does nothing, nor the wheel.
void StatusNotifierItem::ContextMenu(int, int) {}
void StatusNotifierItem::Scroll(int, const QString&) {}

}  // namespace quimbo::desktop
