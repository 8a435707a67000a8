// Forked children for tests: a pipe carries a child's reason for not running and its turns;
// its exit status says whether its checks passed. A child never returns into the test runner:
// it ends with _exit, so nothing of the parent (folders, files) is cleaned up twice.
#include "support/isolated_process.h"

#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>

namespace qb::test {
namespace {

constexpr int kCannotRun = 77;

std::string Why(const std::string& what) { return what + ": " + std::strerror(errno); }

bool WriteText(const std::string& path, const std::string& text) {
  std::ofstream out(path);
  out << text;
  out.flush();
  return static_cast<bool>(out);
}

// In the child: a mount namespace of its own, private, so that nothing mounted shows outside.
std::string EnterPrivateMounts() {
  if (::geteuid() != 0) {
    const uid_t uid = ::geteuid();
    const gid_t gid = ::getegid();
    if (::unshare(CLONE_NEWUSER | CLONE_NEWNS) != 0) return Why("no user namespace for the mounts");
    WriteText("/proc/self/setgroups", "deny");
    if (!WriteText("/proc/self/uid_map", "0 " + std::to_string(uid) + " 1\n") ||
        !WriteText("/proc/self/gid_map", "0 " + std::to_string(gid) + " 1\n")) {
      return "the user namespace's ids cannot be mapped";
    }
  } else if (::unshare(CLONE_NEWNS) != 0) {
    return Why("no mount namespace");
  }
  if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) return Why("mounts cannot be made private");
  return {};
}

// Runs STEP in a child: an exception must never unwind into the test runner's copy there.
void Guarded(const std::function<void()>& step) {
  try {
    step();
  } catch (const std::exception& e) {
    ADD_FAILURE() << "the forked child raised: " << e.what();
  } catch (...) {
    ADD_FAILURE() << "the forked child raised an exception";
  }
}

// Forks a child that runs SETUP (empty result: go on) and BODY, waits for its turn to run
// AFTER; the parent runs MEANWHILE in between. Returns SETUP's reason when it failed.
std::string RunChild(const std::function<std::string()>& setup, const std::function<void()>& body,
                     const std::function<void()>& meanwhile, const std::function<void()>& after) {
  int up[2], down[2];
  if (::pipe(up) != 0 || ::pipe(down) != 0) return Why("no pipe");
  std::fflush(nullptr);
  const pid_t child = ::fork();
  if (child < 0) return Why("no fork");
  if (child == 0) {
    ::close(up[0]);
    ::close(down[1]);
    const std::string reason = setup();
    if (!reason.empty()) {
      (void)!::write(up[1], reason.data(), reason.size());
      ::_exit(kCannotRun);
    }
    Guarded(body);
    const char turn = '.';
    (void)!::write(up[1], &turn, 1);
    char go = 0;
    (void)!::read(down[0], &go, 1);
    if (after) Guarded(after);
    std::fflush(nullptr);
    ::_exit(::testing::Test::HasFailure() ? 1 : 0);
  }
  ::close(up[1]);
  ::close(down[0]);
  std::string said;
  char c = 0;
  const bool ran = ::read(up[0], &c, 1) == 1 && c == '.';
  if (ran && meanwhile) meanwhile();
  if (ran) {
    const char go = '.';
    (void)!::write(down[1], &go, 1);
  } else {
    if (c != 0) said += c;
    while (::read(up[0], &c, 1) == 1) said += c;  // a reason, up to the child's end
  }
  ::close(up[0]);
  ::close(down[1]);
  int status = 0;
  ::waitpid(child, &status, 0);
  if (WIFEXITED(status) && WEXITSTATUS(status) == kCannotRun) return said.empty() ? "the child could not start" : said;
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    ADD_FAILURE() << "the forked child failed (status " << status << "); its failures are printed above";
  }
  return {};
}

}  // namespace

std::string RunAsUser(unsigned id, const std::function<void()>& body, const std::function<void()>& meanwhile,
                      const std::function<void()>& after) {
  if (::geteuid() != 0) return "switching to another user needs root";
  return RunChild(
      [id] {
        if (::setgroups(0, nullptr) != 0 || ::setgid(id) != 0 || ::setuid(id) != 0) return Why("cannot switch users");
        return std::string();
      },
      body, meanwhile, after);
}

std::string RunWithReadOnlyFolder(const std::string& folder, const std::function<void()>& body) {
  return RunChild(
      [&folder] {
        std::string reason = EnterPrivateMounts();
        if (!reason.empty()) return reason;
        if (::mount(folder.c_str(), folder.c_str(), nullptr, MS_BIND, nullptr) != 0 ||
            ::mount(nullptr, folder.c_str(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) != 0) {
          return Why("no read-only bind mount");
        }
        return std::string();
      },
      body, {}, {});
}

std::string RunWithSmallDisk(const std::string& folder, std::size_t bytes, const std::function<void()>& body) {
  return RunChild(
      [&folder, bytes] {
        std::string reason = EnterPrivateMounts();
        if (!reason.empty()) return reason;
        const std::string options = "size=" + std::to_string(bytes);
        if (::mount("tmpfs", folder.c_str(), "tmpfs", 0, options.c_str()) != 0) return Why("no tmpfs");
        return std::string();
      },
      body, {}, {});
}

void FillDisk(const std::string& folder) {
  const int fd = ::open((folder + "/filler").c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  if (fd < 0) return;
  const std::string block(4096, 'f');
  while (::write(fd, block.data(), block.size()) > 0) {
  }
  while (::write(fd, block.data(), 1) > 0) {
  }
  ::close(fd);
}

}  // namespace qb::test
