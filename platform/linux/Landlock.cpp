#include "platform/linux/Landlock.h"

#include <fcntl.h>
#include <linux/landlock.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <set>
#include <tuple>
#include <vector>

#include "platform/files/FileDescriptor.h"
#include "platform/files/FileFault.h"
#include "platform/linux/EveryThread.h"

// What Debian 12's kernel headers (6.1, ABI 2) do not name yet: the rights
// of ABI 3 to 6, with the values the kernel gives them.
#ifndef LANDLOCK_ACCESS_FS_TRUNCATE
#define LANDLOCK_ACCESS_FS_TRUNCATE (1ULL << 14)
#endif
#ifndef LANDLOCK_ACCESS_FS_IOCTL_DEV
#define LANDLOCK_ACCESS_FS_IOCTL_DEV (1ULL << 15)
#endif
#ifndef LANDLOCK_ACCESS_NET_BIND_TCP
#define LANDLOCK_ACCESS_NET_BIND_TCP (1ULL << 0)
#define LANDLOCK_ACCESS_NET_CONNECT_TCP (1ULL << 1)
#endif
#ifndef LANDLOCK_SCOPE_ABSTRACT_UNIX_SOCKET
#define LANDLOCK_SCOPE_ABSTRACT_UNIX_SOCKET (1ULL << 0)
#define LANDLOCK_SCOPE_SIGNAL (1ULL << 1)
#endif
#ifndef LANDLOCK_CREATE_RULESET_ERRATA
#define LANDLOCK_CREATE_RULESET_ERRATA (1U << 1)
#endif

namespace quimbo::landlock {

namespace {

// The ruleset's attributes as ABI 6 lays them out; an older kernel takes
// the longer structure as long as what it does not know is zero.
struct RulesetAttributes {
  std::uint64_t handledAccessFs = 0;
  std::uint64_t handledAccessNet = 0;
  std::uint64_t scoped = 0;
};

// What each ABI added to what a ruleset can refuse (the kernel's
// Documentation/userspace-api/landlock.rst). ABI 7 adds no right, only the
// flags that tune the audit log of refusals, whose defaults are kept.
struct Added {
  int abi;
  std::uint64_t fs, net, scoped;
};
constexpr std::uint64_t kFirstRights =
    LANDLOCK_ACCESS_FS_EXECUTE | LANDLOCK_ACCESS_FS_WRITE_FILE | LANDLOCK_ACCESS_FS_READ_FILE |
    LANDLOCK_ACCESS_FS_READ_DIR | LANDLOCK_ACCESS_FS_REMOVE_DIR | LANDLOCK_ACCESS_FS_REMOVE_FILE |
    LANDLOCK_ACCESS_FS_MAKE_CHAR | LANDLOCK_ACCESS_FS_MAKE_DIR | LANDLOCK_ACCESS_FS_MAKE_REG |
    LANDLOCK_ACCESS_FS_MAKE_SOCK | LANDLOCK_ACCESS_FS_MAKE_FIFO | LANDLOCK_ACCESS_FS_MAKE_BLOCK |
    LANDLOCK_ACCESS_FS_MAKE_SYM;
constexpr Added kAdded[] = {
    {1, kFirstRights, 0, 0},
    {2, LANDLOCK_ACCESS_FS_REFER, 0, 0},
    {3, LANDLOCK_ACCESS_FS_TRUNCATE, 0, 0},
    {4, 0, LANDLOCK_ACCESS_NET_BIND_TCP | LANDLOCK_ACCESS_NET_CONNECT_TCP, 0},
    {5, LANDLOCK_ACCESS_FS_IOCTL_DEV, 0, 0},
    {6, 0, 0, LANDLOCK_SCOPE_ABSTRACT_UNIX_SOCKET | LANDLOCK_SCOPE_SIGNAL},
};

// The fix (erratum 2 of ABI 6) without which a signal between two threads
// of one process is refused when they are in different domains, as the
// threads confined one by one here are.
constexpr int kSignalsWithinProcessFixed = 1 << 1;

// Reading, listing; and what a folder written in needs besides.
constexpr std::uint64_t kReadFile = LANDLOCK_ACCESS_FS_READ_FILE;
constexpr std::uint64_t kReadFolder = kReadFile | LANDLOCK_ACCESS_FS_READ_DIR;
constexpr std::uint64_t kWriteFolder = kReadFolder | LANDLOCK_ACCESS_FS_WRITE_FILE |
                                       LANDLOCK_ACCESS_FS_TRUNCATE | LANDLOCK_ACCESS_FS_MAKE_REG |
                                       LANDLOCK_ACCESS_FS_REMOVE_FILE;

long createRuleset(const RulesetAttributes* attributes, std::size_t size, std::uint32_t flags) {
  return ::syscall(SYS_landlock_create_ruleset, attributes, size, flags);
}

// The ABI in force and its fixes, or why Landlock cannot be used.
struct Offer {
  int abi = 0;
  int errata = 0;
  std::optional<Failure> missing;
};

Offer offered() {
  const long abi = createRuleset(nullptr, 0, LANDLOCK_CREATE_RULESET_VERSION);
  if (abi >= 1) {
    const long errata = createRuleset(nullptr, 0, LANDLOCK_CREATE_RULESET_ERRATA);
    return {static_cast<int>(abi), errata > 0 ? static_cast<int>(errata) : 0, std::nullopt};
  }
  if (errno == ENOSYS) return {0, 0, Failure{"this kernel has no Landlock"}};
  if (errno == EOPNOTSUPP)
    return {0, 0, Failure{"Landlock is turned off (the kernel's lsm= list)"}};
  // A filter of system calls, as systemd's SystemCallFilter= sets up.
  return {0, 0, systemFailure("Landlock's system calls are refused")};
}

RulesetAttributes refusedAt(const Offer& offer) {
  RulesetAttributes refused;
  for (const Added& added : kAdded) {
    if (added.abi > offer.abi) break;
    refused.handledAccessFs |= added.fs;
    refused.handledAccessNet |= added.net;
    refused.scoped |= added.scoped;
  }
  if (!(offer.errata & kSignalsWithinProcessFixed)) refused.scoped &= ~LANDLOCK_SCOPE_SIGNAL;
  return refused;
}

struct Rule {
  std::filesystem::path path;  // resolved, as a rule takes it
  std::uint64_t access;
};

// The rules `rights` need: one a path, none for a path beneath a folder
// whose rule grants all it needs (fontconfig's folders, the libraries'),
// none for a path that is not there.
std::vector<Rule> rulesOf(const Rights& rights) {
  std::vector<Rule> wanted;
  for (const auto& [paths, access] :
       {std::pair{&rights.read, kReadFolder}, std::pair{&rights.write, kWriteFolder}}) {
    for (const std::string& path : std::set<std::string>(paths->begin(), paths->end())) {
      char resolved[PATH_MAX];
      if (::realpath(path.c_str(), resolved) != nullptr) wanted.push_back({resolved, access});
    }
  }
  std::sort(wanted.begin(), wanted.end(), [](const Rule& a, const Rule& b) {
    return std::tie(a.path, b.access) < std::tie(b.path, a.access);
  });
  std::vector<Rule> rules;
  for (Rule& rule : wanted) {
    const auto grants = [&rule](const Rule& folder) {
      const std::string& beneath = rule.path.native();
      const std::string& above = folder.path.native();
      return (folder.access & rule.access) == rule.access && beneath.starts_with(above) &&
             (beneath.size() == above.size() || above == "/" || beneath[above.size()] == '/');
    };
    if (std::none_of(rules.begin(), rules.end(), grants)) rules.push_back(std::move(rule));
  }
  return rules;
}

// Allows `access` beneath `path` (of it, for a file).
std::optional<Failure> allow(int ruleset, const std::filesystem::path& path, std::uint64_t access,
                             std::uint64_t handled) {
  const FileDescriptor fd(::open(path.c_str(), O_PATH | O_CLOEXEC));
  if (!fd) return std::nullopt;
  struct stat status;
  if (::fstat(fd.get(), &status) == 0 && !S_ISDIR(status.st_mode)) access &= kReadFile;
  landlock_path_beneath_attr rule{};
  rule.allowed_access = access & handled;
  rule.parent_fd = fd.get();
  if (::syscall(SYS_landlock_add_rule, ruleset, LANDLOCK_RULE_PATH_BENEATH, &rule, 0) != 0) {
    return systemFailure(path.string() + " cannot be allowed");
  }
  return std::nullopt;
}

// The ruleset, or why there is none.
Result<FileDescriptor> makeRuleset(const Rights& rights, const Offer& offer) {
  const RulesetAttributes refused = refusedAt(offer);
  FileDescriptor ruleset(static_cast<int>(createRuleset(&refused, sizeof refused, 0)));
  if (!ruleset) return systemFailure("no Landlock ruleset");
  for (const Rule& rule : rulesOf(rights)) {
    if (auto fault = allow(ruleset.get(), rule.path, rule.access, refused.handledAccessFs)) {
      return *fault;
    }
  }
  return ruleset;
}

// Run in each thread: async-signal-safe.
int restrictThread(int ruleset) {
  if (::prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) != 0) return errno;
  if (::syscall(SYS_landlock_restrict_self, ruleset, 0) != 0) return errno;
  return 0;
}

}  // namespace

std::optional<Failure> confine(const Rights& rights) {
  const Offer offer = offered();
  if (offer.abi == 0) return offer.missing;
  const Result<FileDescriptor> ruleset = makeRuleset(rights, offer);
  if (!ruleset) return ruleset.failure();
  // The other threads first, while this one can still signal any of them.
  if (auto fault = inEveryOtherThread(restrictThread, ruleset->get())) return fault;
  if (const int error = restrictThread(ruleset->get())) {
    return systemFailure("Landlock cannot be taken", error);
  }
  return std::nullopt;
}

}  // namespace quimbo::landlock
