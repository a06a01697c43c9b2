#pragma once

// Runs part of a test in a forked child (POSIX): what must not touch the test process itself
// (its standard streams), or must run as a user whom permission bits stop: `unprivileged`
// makes a child of root drop to uid and gid 65534 (nobody) first. What the child found comes
// back as text, for the parent to assert on.

#ifndef _WIN32
#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

namespace testing_support {

inline constexpr unsigned kNobody = 65534;
inline const std::string kCannotDrop = "cannot drop root's privileges to uid/gid 65534";

template <typename Body>
std::string runInChild(const Body& body, bool unprivileged = false) {
  int channel[2];
  if (pipe(channel) != 0) return "no pipe";
  const pid_t child = fork();
  if (child == 0) {
    // Supplementary groups, then group, then user: after setuid nothing more may be dropped.
    const bool dropped = !unprivileged || geteuid() != 0 ||
                         (setgroups(0, nullptr) == 0 && setgid(kNobody) == 0 &&
                          setuid(kNobody) == 0);
    const std::string text = dropped ? body() : kCannotDrop;
    _exit(write(channel[1], text.data(), text.size()) == static_cast<ssize_t>(text.size()) ? 0 : 1);
  }
  close(channel[1]);
  std::string text;
  char buffer[4096];
  for (ssize_t got; (got = read(channel[0], buffer, sizeof buffer)) > 0;) {
    text.append(buffer, static_cast<std::size_t>(got));
  }
  close(channel[0]);
  int status = 0;
  if (child < 0 || waitpid(child, &status, 0) != child || status != 0) {
    text += " [child status " + std::to_string(status) + "]";
  }
  return text;
}

}  // namespace testing_support
#endif
