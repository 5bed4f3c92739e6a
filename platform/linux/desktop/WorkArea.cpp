#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <QDeadlineTimer>
#include <QGuiApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QScreen>
#include <cstdint>
#include <cstring>
#include <optional>

#include "platform/desktop/MenuBarItem.h"
#include "platform/files/FileDescriptor.h"
#include "platform/linux/desktop/WorkArea.h"
#include "platform/process/Environment.h"

namespace quimbo::desktop {

namespace {

// How long sway may take to answer, once for each opening of the panel.
constexpr int kPatienceMs = 250;
// sway's IPC (i3's): a magic string, the payload's length and the message
// type, both 32-bit in the machine's byte order, then the payload.
constexpr char kMagic[] = {'i', '3', '-', 'i', 'p', 'c'};
constexpr std::uint32_t kGetWorkspaces = 1;
constexpr std::size_t kHeader = sizeof kMagic + 2 * sizeof(std::uint32_t);

// sway's answer to one request without a payload, or none when it does not
// answer within the patience.
std::optional<QByteArray> askSway(const char* path, std::uint32_t type) {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  if (std::strlen(path) >= sizeof address.sun_path) return std::nullopt;
  std::strcpy(address.sun_path, path);
  const FileDescriptor socket(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
  if (!socket ||
      ::connect(socket.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
    return std::nullopt;
  }
  QByteArray request(kMagic, sizeof kMagic);
  const std::uint32_t header[] = {0, type};
  request.append(reinterpret_cast<const char*>(header), sizeof header);
  if (::send(socket.get(), request.constData(), request.size(), MSG_NOSIGNAL) != request.size()) {
    return std::nullopt;
  }
  QByteArray reply;
  const QDeadlineTimer deadline(kPatienceMs);
  std::uint32_t length = 0;
  while (reply.size() < qsizetype(kHeader) || reply.size() < qsizetype(kHeader + length)) {
    pollfd readable{socket.get(), POLLIN, 0};
    if (::poll(&readable, 1, int(deadline.remainingTime())) <= 0) return std::nullopt;
    char chunk[4096];
    const ssize_t got = ::read(socket.get(), chunk, sizeof chunk);
    if (got <= 0) return std::nullopt;
    reply.append(chunk, got);
    if (reply.size() >= qsizetype(kHeader))
      std::memcpy(&length, reply.constData() + sizeof kMagic, 4);
  }
  return reply.mid(kHeader, length);
}

// The room a visible workspace of sway leaves on `screen` beside the bars:
// sway tells X clients nothing of its bars (layer-shell surfaces).
std::optional<QRect> swayWorkArea(const QRect& screen) {
  const std::optional<std::string> path = environmentValue("SWAYSOCK");
  if (!path) return std::nullopt;
  const std::optional<QByteArray> workspaces = askSway(path->c_str(), kGetWorkspaces);
  if (!workspaces) return std::nullopt;
  for (const QJsonValue& value : QJsonDocument::fromJson(*workspaces).array()) {
    const QJsonObject workspace = value.toObject();
    const QJsonObject r = workspace["rect"].toObject();
    const QRect rect(r["x"].toInt(), r["y"].toInt(), r["width"].toInt(), r["height"].toInt());
    if (workspace["visible"].toBool() && rect.intersects(screen)) return rect & screen;
  }
  return std::nullopt;
}

}  // namespace

QRect workArea(const QScreen& screen) {
  const QRect available = screen.availableGeometry();
  const std::optional<QRect> sway = swayWorkArea(screen.geometry());
  return sway ? *sway & available : available;
}

QRect activationAnchor(QPoint point) {
  const QRect at(point, QSize(1, 1));
  const QScreen* screen = QGuiApplication::screenAt(point);
  if (screen == nullptr) return at;
  const QRect whole = screen->geometry();
  const std::optional<QRect> sway = swayWorkArea(whole);
  const int bar = sway ? sway->top() - whole.top() : 0;  // a bar at the top, this high
  if (bar <= 0 || !QRect(whole.topLeft(), QSize(bar, bar)).contains(point)) return at;
  return QRect(whole.right() + 1 - bar, whole.top(), bar, bar);
}

}  // namespace quimbo::desktop
