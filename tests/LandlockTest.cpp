#include "platform/linux/Landlock.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <pthread.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "tests/TemporaryFolder.h"

namespace quimbo {
namespace {

namespace fs = std::filesystem;

// A folder tree of files to read, folders to write in, and others.
struct Tree {
  Tree() {
    for (const char* folder : {"read/sub/written", "read-alike", "written", "elsewhere"}) {
      fs::create_directories(top / folder);
    }
    for (const char* file : {"read/file", "read/sub/file", "read-alike/file", "elsewhere/file",
                             "written/quimbo.prom"}) {
      std::ofstream(top / file) << "old\n";
    }
    fs::create_directory_symlink("../elsewhere", top / "read/link");
  }
  std::string operator/(const char* path) const { return (top / path).string(); }
  const testing::TemporaryFolder top{"landlock"};
};

bool opens(const std::string& path, int flags = O_RDONLY) {
  const int fd = ::open(path.c_str(), flags | O_CLOEXEC, 0644);
  if (fd >= 0) ::close(fd);
  return fd >= 0;
}

// quimbo.prom in `folder` replaced as the exporter replaces it: a file
// written under a name of its own, or unnamed and then linked, renamed over.
bool replaces(const std::string& folder, bool unnamed) {
  std::string temporary = folder + "/.quimbo.prom.XXXXXX";
  const int fd = unnamed ? ::open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0644)
                         : ::mkostemp(temporary.data(), O_CLOEXEC);
  if (fd < 0) return false;
  bool done = ::write(fd, "new\n", 4) == 4 && ::fchmod(fd, 0644) == 0;
  if (unnamed) {
    temporary = folder + "/.quimbo.prom.linked";
    done = done && ::linkat(AT_FDCWD, ("/proc/self/fd/" + std::to_string(fd)).c_str(), AT_FDCWD,
                            temporary.c_str(), AT_SYMLINK_FOLLOW) == 0;
  }
  ::close(fd);
  return done && ::rename(temporary.c_str(), (folder + "/quimbo.prom").c_str()) == 0;
}

bool executes(const char* program) {
  const pid_t child = ::fork();
  if (child == 0) {
    ::execl(program, program, nullptr);
    ::_exit(127);
  }
  int status = 0;
  return ::waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// An abstract UNIX socket, named for this process, that takes connections.
sockaddr_un abstractAddress() {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::snprintf(address.sun_path + 1, sizeof address.sun_path - 1, "quimbo-landlock-%d",
                static_cast<int>(::getpid()));
  return address;
}

// Whether a new stream socket can bind or connect to `address`, as `call` does.
template <typename Address>
bool reaches(int (*call)(int, const sockaddr*, socklen_t), const Address& address) {
  const auto* generic = reinterpret_cast<const sockaddr*>(&address);
  const int fd = ::socket(generic->sa_family, SOCK_STREAM | SOCK_CLOEXEC, 0);
  const bool done = call(fd, generic, sizeof address) == 0;
  ::close(fd);
  return done;
}

// What each check gave in a child that first made ready and then confined
// itself to `rights` ('1' or '0' each), or "!" and why it was not confined.
std::string inConfinedChild(
    const Rights& rights, const std::vector<std::function<bool()>>& checks,
    const std::function<void()>& ready = [] {}) {
  int pipe[2];
  if (::pipe(pipe) != 0) return "!no pipe";
  const pid_t child = ::fork();
  if (child == 0) {
    ready();
    std::string said;
    if (const auto why = landlock::confine(rights)) {
      said = "!" + why->reason;
    } else {
      for (const auto& check : checks) said += check() ? '1' : '0';
    }
    [[maybe_unused]] const ssize_t written = ::write(pipe[1], said.data(), said.size());
    ::_exit(0);
  }
  ::close(pipe[1]);
  std::string said;
  char buffer[256];
  for (ssize_t n; (n = ::read(pipe[0], buffer, sizeof buffer)) > 0;) said.append(buffer, n);
  ::close(pipe[0]);
  ::waitpid(child, nullptr, 0);
  return said;
}

// Where this kernel has no Landlock for the tests, they are skipped.
bool unavailable(const std::string& got) {
  return got.starts_with("!") && (got.find("no Landlock") != std::string::npos ||
                                  got.find("turned off") != std::string::npos ||
                                  got.find("calls are refused") != std::string::npos);
}

TEST(Landlock, AllowsWhatTheRightsNameAndNothingElse) {
  const Tree tree;
  Rights rights =
      Rights::reading({tree / "read", tree / "read/sub", tree / "read-alike", tree / "missing"});
  rights.write = {tree / "written", tree / "read/sub/written"};
  const sockaddr_un abstract = abstractAddress();
  sockaddr_in loopback{};
  loopback.sin_family = AF_INET;
  loopback.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  const int listening = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  ASSERT_EQ(::bind(listening, reinterpret_cast<const sockaddr*>(&abstract), sizeof abstract), 0);
  ASSERT_EQ(::listen(listening, 4), 0);
  const std::string written = tree / "written", prom = written + "/quimbo.prom";
  const auto opening = [&](const char* path, int flags = O_RDONLY) {
    return [path = tree / path, flags] { return opens(path, flags); };
  };
  struct Case {
    const char* what;
    std::function<bool()> check;
    bool allowed;
  };
  const Case cases[] = {
      {"reads a file of a folder it reads", opening("read/file"), true},
      {"lists that folder", opening("read", O_DIRECTORY), true},
      {"reads in a folder named twice", opening("read/sub/file"), true},
      {"reads a folder whose name begins as another's", opening("read-alike/file"), true},
      {"reads no other folder", opening("elsewhere/file"), false},
      {"follows no link out", opening("read/link/file"), false},
      {"writes no file it reads", opening("read/file", O_WRONLY), false},
      {"replaces a file by a named one", [&] { return replaces(written, false); }, true},
      {"replaces a file by an unnamed one", [&] { return replaces(written, true); }, true},
      {"truncates there", [&] { return ::truncate(prom.c_str(), 0) == 0; }, true},
      {"writes in a folder within one it reads",
       [&] { return replaces(tree / "read/sub/written", false); }, true},
      {"makes no folder", [&] { return ::mkdir((written + "/folder").c_str(), 0755) == 0; }, false},
      {"makes no FIFO", [&] { return ::mkfifo((written + "/fifo").c_str(), 0644) == 0; }, false},
      {"moves no file out",
       [&] { return ::rename(prom.c_str(), (tree / "elsewhere/moved").c_str()) == 0; }, false},
      {"executes nothing", [] { return executes("/bin/true"); }, false},
      {"binds no TCP port", [&] { return reaches(::bind, loopback); }, false},
      {"reaches no abstract socket made outside", [&] { return reaches(::connect, abstract); },
       false},
      {"signals no process outside", [] { return ::kill(::getppid(), 0) == 0; }, false},
  };
  std::vector<std::function<bool()>> checks;
  std::string expected;
  for (const Case& c : cases) {
    checks.push_back(c.check);
    expected += c.allowed ? '1' : '0';
  }
  const std::string got = inConfinedChild(rights, checks);
  ::close(listening);
  if (unavailable(got)) GTEST_SKIP() << got;
  ASSERT_EQ(got.size(), expected.size());
  for (std::size_t n = 0; n < expected.size(); ++n) {
    EXPECT_EQ(got[n], expected[n]) << "a confined process " << cases[n].what << ": it "
                                   << (got[n] == '1' ? "could" : "could not");
  }
}

// Threads that run already when the process confines itself are confined
// too; one that blocks the signal that would confine it is told, and the
// process is not confined.
TEST(Landlock, ConfinesEveryThreadThatRuns) {
  const Tree tree;
  const Rights rights = Rights::reading({tree / "read"});
  // In the child: a thread that opens a file when asked, and says whether it could.
  int ask[2], answer[2];
  ASSERT_EQ(::pipe(ask), 0);
  ASSERT_EQ(::pipe(answer), 0);
  const auto opener = [&](const std::string& path) {
    std::thread([&, path] {
      char byte = 0;
      while (::read(ask[0], &byte, 1) == 1) {
        const char opened = opens(path) ? '1' : '0';
        [[maybe_unused]] const ssize_t n = ::write(answer[1], &opened, 1);
      }
    }).detach();
  };
  const auto asked = [&] {
    char byte = 'o';
    return ::write(ask[1], &byte, 1) == 1 && ::read(answer[0], &byte, 1) == 1 && byte == '1';
  };
  const std::string got =
      inConfinedChild(rights, {asked, [&] { return opens(tree / "read/file"); }},
                      [&] { opener(tree / "elsewhere/file"); });
  if (unavailable(got)) GTEST_SKIP() << got;
  EXPECT_EQ(got, "01") << "a thread started before opened a file outside the rights";

  const std::string blocked = inConfinedChild(rights, {}, [&] {
    std::thread([&] {
      sigset_t all;
      sigfillset(&all);
      ::pthread_sigmask(SIG_BLOCK, &all, nullptr);
      [[maybe_unused]] const ssize_t n = ::write(answer[1], "b", 1);
      ::pause();
    }).detach();
    char byte;
    [[maybe_unused]] const ssize_t n = ::read(answer[0], &byte, 1);  // once it blocks them
  });
  EXPECT_NE(blocked.find("blocks the signal that would confine it"), std::string::npos) << blocked;
  for (const int fd : {ask[0], ask[1], answer[0], answer[1]}) ::close(fd);
}

}  // namespace
}  // namespace quimbo
