// Debian's Qt is built for GCC's C++ library. The Mac's configuration built
// on Linux uses LLVM's, as Xcode does (cmake/MacOnLinux.cmake): the few Qt
// functions that give a std::string are given here for it.

#include <QByteArray>

#include <string>

std::string QByteArray::toStdString() const {
  return std::string(constData(), static_cast<std::size_t>(size()));
}
