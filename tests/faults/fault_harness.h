#pragma once

// Runs the quorvex binary as a child process that the test can measure, interrupt or run
// twice at once, and takes snapshots of folders to show that nothing changed.

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <functional>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "cli/cli_harness.h"

namespace faults {

namespace fs = std::filesystem;

struct Finished {
  int exitStatus = -1;  // as a shell sees it; -1 when ended by a signal
  int signal = 0;       // the signal that ended it, 0 when it exited
  bool timedOut = false;
  std::string out;
  std::string err;
  long maxRssKiB = 0;  // peak resident memory of the process
};

// Starts quorvex with `args` in `box` (relative paths resolve there); its standard output and
// error go to hidden files named after `tag` in the box's root (standard output to the
// descriptor `standardOutput` instead when one is given).
inline pid_t spawn(const cli::Sandbox& box, const std::vector<std::string>& args,
                   const std::string& tag = "run", int standardOutput = -1) {
  const std::string root = box.root().string();
  const std::string out = root + "/." + tag + ".stdout";
  const std::string err = root + "/." + tag + ".stderr";
  const pid_t pid = fork();
  if (pid != 0) return pid;
  if (chdir(root.c_str()) != 0) _exit(126);
  const int outFd = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  const int errFd = open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  const int inFd = open("/dev/null", O_RDONLY);
  if (outFd < 0 || errFd < 0 || inFd < 0) _exit(126);
  dup2(inFd, 0);
  dup2(standardOutput >= 0 ? standardOutput : outFd, 1);
  dup2(errFd, 2);
  std::vector<std::string> words{QUORVEX_BINARY};
  words.insert(words.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);
  execv(QUORVEX_BINARY, argv.data());
  _exit(127);
}

// Waits for the child (killing it after `limit`) and collects what it did.
inline Finished finish(const cli::Sandbox& box, pid_t pid, const std::string& tag = "run",
                       std::chrono::seconds limit = std::chrono::seconds(120)) {
  Finished result;
  int status = 0;
  rusage usage{};
  const auto deadline = std::chrono::steady_clock::now() + limit;
  for (;;) {
    const pid_t done = wait4(pid, &status, WNOHANG, &usage);
    if (done == pid) break;
    if (std::chrono::steady_clock::now() > deadline) {
      result.timedOut = true;
      kill(pid, SIGKILL);
      wait4(pid, &status, 0, &usage);
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  if (WIFEXITED(status)) result.exitStatus = WEXITSTATUS(status);
  if (WIFSIGNALED(status)) result.signal = WTERMSIG(status);
  result.maxRssKiB = usage.ru_maxrss;
  const fs::path root = box.root();
  result.out = cli::readFile(root / ("." + tag + ".stdout"));
  result.err = cli::readFile(root / ("." + tag + ".stderr"));
  fs::remove(root / ("." + tag + ".stdout"));
  fs::remove(root / ("." + tag + ".stderr"));
  return result;
}

inline Finished run(const cli::Sandbox& box, const std::vector<std::string>& args) {
  return finish(box, spawn(box, args));
}

// Every file below `folder` (hidden ones too: a temporary file shows) with a checksum of its
// bytes (FNV-1a, 64 bits); links are listed by where they lead, not followed.
inline std::map<std::string, std::string> snapshot(const fs::path& folder) {
  std::map<std::string, std::string> files;
  if (!fs::exists(folder)) return files;
  for (const auto& entry : fs::recursive_directory_iterator(folder)) {
    const std::string name = fs::relative(entry.path(), folder).string();
    if (entry.is_symlink()) {
      files[name] = "-> " + fs::read_symlink(entry.path()).string();
    } else if (entry.is_regular_file()) {
      unsigned long long hash = 14695981039346656037ull;
      for (const char c : cli::readFile(entry.path())) {
        hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ull;
      }
      files[name] = std::to_string(hash);
    } else if (!entry.is_directory()) {
      files[name] = "special";
    }
  }
  return files;
}

// A tile of `vertices` vertex lines near (117°, 30°) on CM 117, with texture coordinates and
// faces between them, CR LF line ends.
inline std::string tile(int vertices) {
  std::string text = "# generated tile\r\nmtllib t.mtl\r\n";
  for (int i = 0; i < vertices; ++i) {
    text += "v " + std::to_string(500000 + i % 1000) + ".125 " +
            std::to_string(3320000 + i / 1000) + ".5 " + std::to_string(i % 50) + ".25\r\n";
    text += "vt 0.5 0.25\r\n";
    if (i >= 2) text += "f " + std::to_string(i - 1) + " " + std::to_string(i) + "\r\n";
  }
  return text;
}

// CGCS2000 Gauss-Krüger, central meridian 117°, false easting 500000 m.
inline const char* const kCoord117 =
    R"({"type": "Custom Gauss", "define": {"centralMeridianLongitude": 117,
        "xoffset": 500000, "basepoint": [117, 30]}})";

}  // namespace faults
