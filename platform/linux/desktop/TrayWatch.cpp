#include "platform/linux/desktop/TrayWatch.h"

#include <xcb/xfixes.h>

#include <QAbstractEventDispatcher>
#include <QDBusConnectionInterface>
#include <QDBusPendingReply>
#include <QDBusVariant>
#include <cstdlib>
#include <memory>
#include <string>

#include "platform/linux/desktop/X11Connection.h"

namespace quimbo::desktop {

namespace {

const QString kWatcherPath = QStringLiteral("/StatusNotifierWatcher");
constexpr std::uint32_t kSelectionEvents =
    XCB_XFIXES_SELECTION_EVENT_MASK_SET_SELECTION_OWNER |
    XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_WINDOW_DESTROY |
    XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_CLIENT_CLOSE;

template <typename Reply>
using ReplyPtr = std::unique_ptr<Reply, decltype(&std::free)>;

}  // namespace

XEmbedTray::XEmbedTray(std::function<void()> changed) : changed_(std::move(changed)) {
  xcb_connection_t* c = x11Connection();
  if (c == nullptr) return;
  const xcb_query_extension_reply_t* xfixes = xcb_get_extension_data(c, &xcb_xfixes_id);
  if (xfixes == nullptr || !xfixes->present) return;
  free(xcb_xfixes_query_version_reply(c, xcb_xfixes_query_version(c, 5, 0), nullptr));

  const auto [root, screen] = defaultRoot(c);
  const std::string name = "_NET_SYSTEM_TRAY_S" + std::to_string(screen);
  const ReplyPtr<xcb_intern_atom_reply_t> atom(
      xcb_intern_atom_reply(
          c, xcb_intern_atom(c, 0, static_cast<std::uint16_t>(name.size()), name.c_str()), nullptr),
      &std::free);
  if (!atom) return;
  selection_ = atom->atom;
  selectionNotify_ = xfixes->first_event + XCB_XFIXES_SELECTION_NOTIFY;
  // Watched first, then read: an owner that comes in between is not missed.
  xcb_xfixes_select_selection_input(c, root, selection_, kSelectionEvents);
  const ReplyPtr<xcb_get_selection_owner_reply_t> owner(
      xcb_get_selection_owner_reply(c, xcb_get_selection_owner(c, selection_), nullptr),
      &std::free);
  present_ = owner && owner->owner != XCB_NONE;
  QAbstractEventDispatcher::instance()->installNativeEventFilter(this);
}

XEmbedTray::~XEmbedTray() {
  if (auto* dispatcher = QAbstractEventDispatcher::instance())
    dispatcher->removeNativeEventFilter(this);
}

bool XEmbedTray::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
  if (selectionNotify_ < 0 || eventType != "xcb_generic_event_t") return false;
  const auto* event = static_cast<const xcb_generic_event_t*>(message);
  if ((event->response_type & 0x7f) != selectionNotify_) return false;
  const auto* notify = static_cast<const xcb_xfixes_selection_notify_event_t*>(message);
  if (notify->selection != selection_) return false;
  const bool present = notify->subtype == XCB_XFIXES_SELECTION_EVENT_SET_SELECTION_OWNER &&
                       notify->owner != XCB_NONE;
  if (present != present_) {
    present_ = present;
    changed_();
  }
  return false;  // Qt sees the event too
}

TrayWatch::TrayWatch(std::function<void()> changed)
    : changed_(std::move(changed)),
      xembed_([this] { changed_(); }),
      watcher_(QString::fromLatin1(StatusNotifierWatcherProxy::staticInterfaceName()), kWatcherPath,
               QDBusConnection::sessionBus()),
      names_(watcher_.service(), watcher_.connection(), QDBusServiceWatcher::WatchForOwnerChange) {
  QDBusConnection bus = watcher_.connection();
  if (!bus.isConnected()) {
    owner_ = QString();
    settled_ = true;
    return;
  }
  connect(&names_, &QDBusServiceWatcher::serviceOwnerChanged, this,
          [this](const QString&, const QString&, const QString& owner) { ownerChanged(owner); });
  connect(&watcher_, &StatusNotifierWatcherProxy::StatusNotifierHostRegistered, this,
          &TrayWatch::askHost);
  connect(&watcher_, &StatusNotifierWatcherProxy::StatusNotifierHostUnregistered, this,
          &TrayWatch::askHost);
  // Asked after the watch began: an owner that comes in between is told by both.
  auto* call = new QDBusPendingCallWatcher(
      bus.interface()->asyncCall(QStringLiteral("GetNameOwner"), watcher_.service()), this);
  connect(call, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* call) {
    call->deleteLater();
    const QDBusPendingReply<QString> owner = *call;
    if (!owner_) ownerChanged(owner.isError() ? QString() : owner.value());
  });
}

std::optional<TrayWatch::Tray> TrayWatch::tray() const {
  if (!settled_) return std::nullopt;
  if (!owner_->isEmpty()) {
    if (!host_) return Tray{};
    if (*host_) {
      if (!drawsLabels_) return Tray{};
      return Tray{Tray::Kind::dbus, *owner_, *drawsLabels_};
    }
  }
  return Tray{xembed_.present() ? Tray::Kind::xembed : Tray::Kind::none, {}, false};
}

void TrayWatch::ownerChanged(const QString& owner) {
  owner_ = owner;
  host_.reset();
  drawsLabels_.reset();
  ++owners_;
  asking_ = askAgain_ = false;
  if (owner.isEmpty()) {
    settled_ = true;
  } else {
    askHost();
    askName();
  }
  changed_();
}

void TrayWatch::whenAnswered(const QDBusPendingCall& call,
                             std::function<void(const QDBusPendingCallWatcher&)> answered) {
  auto* watch = new QDBusPendingCallWatcher(call, this);
  connect(watch, &QDBusPendingCallWatcher::finished, this,
          [this, owner = owners_, answered = std::move(answered)](QDBusPendingCallWatcher* watch) {
            watch->deleteLater();
            if (owner != owners_) return;
            answered(*watch);
            settled_ = settled_ || (!asking_ && drawsLabels_.has_value());
            changed_();
          });
}

// Asked again at each host that comes or goes; while a question is on its
// way, one more is asked when it is answered, so that a watcher that
// announces hosts and answers nothing has one question at most.
void TrayWatch::askHost() {
  if (!owner_ || owner_->isEmpty()) return;
  if (asking_) {
    askAgain_ = true;
    return;
  }
  asking_ = true;
  QDBusMessage get = QDBusMessage::createMethodCall(
      watcher_.service(), watcher_.path(), QStringLiteral("org.freedesktop.DBus.Properties"),
      QStringLiteral("Get"));
  get << watcher_.interface() << QStringLiteral("IsStatusNotifierHostRegistered");
  whenAnswered(watcher_.connection().asyncCall(get), [this](const QDBusPendingCallWatcher& call) {
    asking_ = false;
    const QDBusPendingReply<QDBusVariant> reply = call;
    const QDBusError::ErrorType error = reply.error().type();
    if (!reply.isError()) {
      host_ = reply.value().variant().toBool();
    } else if (error == QDBusError::NoReply || error == QDBusError::Timeout) {
      host_.reset();  // no answer in time: as yet unanswered
    } else {
      host_ = false;
    }
    if (askAgain_) {
      askAgain_ = false;
      askHost();
    }
  });
}

// GNOME Shell's AppIndicator extension draws an item's label beside its
// icon; its watcher runs in the shell itself, on the connection that owns
// the shell's own name. Other hosts show the icon alone. Asked of the bus,
// not of /proc, which the confined process does not read.
void TrayWatch::askName() {
  whenAnswered(watcher_.connection().interface()->asyncCall(QStringLiteral("GetNameOwner"),
                                                            QStringLiteral("org.gnome.Shell")),
               [this](const QDBusPendingCallWatcher& call) {
                 const QDBusPendingReply<QString> shell = call;
                 drawsLabels_ = !shell.isError() && shell.value() == *owner_;
               });
}

}  // namespace quimbo::desktop
