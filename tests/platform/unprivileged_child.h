#pragma once

// Runs part of a test as a user whom permission bits stop: in a forked child that drops
// root's privileges to uid and gid 65534 (nobody), or as it is when the tests already run as
// a normal user. The child's findings come back as text, for the parent to assert on.

#include <string>

#ifndef _WIN32
#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace testing_support {

inline constexpr unsigned kNobody = 65534;

struct ChildRun {
  std::string skipReason;  // set when the child could not run unprivileged
  std::string text;        // what `body` returned, or how the child ended
};

template <typename Body>
ChildRun runUnprivileged(const Body& body) {
#ifdef _WIN32
  static_cast<void>(body);
  return {"Windows has no fork and no POSIX owners", ""};
#else
  constexpr int kCannotDrop = 99;
  int channel[2];
  if (pipe(channel) != 0) return {"no pipe to the child", ""};
  const pid_t child = fork();
  if (child == 0) {
    close(channel[0]);
    // Supplementary groups, then group, then user: after setuid nothing more may be dropped.
    if (geteuid() == 0 && (setgroups(0, nullptr) != 0 || setgid(kNobody) != 0 ||
                           setuid(kNobody) != 0 || geteuid() == 0)) {
      _exit(kCannotDrop);
    }
    const std::string text = body();
    const ssize_t written = write(channel[1], text.data(), text.size());
    _exit(written == static_cast<ssize_t>(text.size()) ? 0 : 1);
  }
  close(channel[1]);
  ChildRun run;
  char buffer[4096];
  for (ssize_t got; (got = read(channel[0], buffer, sizeof buffer)) > 0;) {
    run.text.append(buffer, static_cast<std::size_t>(got));
  }
  close(channel[0]);
  int status = 0;
  if (child < 0 || waitpid(child, &status, 0) != child) return {"cannot fork a child", ""};
  if (WIFEXITED(status) && WEXITSTATUS(status) == kCannotDrop) {
    run.skipReason = "cannot drop root's privileges to uid/gid 65534 (setgid/setuid refused)";
  } else if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    run.text += " [child ended with status " + std::to_string(status) + "]";
  }
  return run;
#endif
}

}  // namespace testing_support
