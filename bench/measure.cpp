// Runs a command N times and prints, on one line of standard output,
//   <median wall seconds> <largest peak RSS of the child in KiB> <median CPU seconds>
// where CPU is user + system time of the child: on a busy machine it varies less than the
// wall time.
// The child's standard output goes to this program's standard error, so that standard output
// carries only the measurement. A run that fails (exit status not 0, or a signal) stops the
// measurement with exit status 1.
//
// --remove PATH removes PATH (a file, or a folder with its contents) before each run, outside
// the timed part: every run then writes its output anew instead of replacing the last one
// (which, for a writer that replaces atomically, holds twice the file in the page cache).
//
// Before each run, outside the timed part, every file is flushed to disk (sync), so that no run
// pays for the write-back of the data an earlier one left in the page cache.
//
// Usage: measure [--remove PATH] N COMMAND [ARGS...]

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

namespace {

struct Run {
  double seconds = 0;
  double cpuSeconds = 0;  // user + system
  long peakKiB = 0;  // ru_maxrss: KiB on Linux
  bool ok = false;
};

double now() {
  timespec t{};
  clock_gettime(CLOCK_MONOTONIC, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

double seconds(const timeval& t) {
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) * 1e-6;
}

double median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const std::size_t middle = values.size() / 2;
  return values.size() % 2 == 1 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

Run runOnce(char** command) {
  Run run;
  const double start = now();
  const pid_t child = fork();
  if (child < 0) {
    std::perror("fork");
    return run;
  }
  if (child == 0) {
    dup2(STDERR_FILENO, STDOUT_FILENO);
    execvp(command[0], command);
    std::fprintf(stderr, "measure: cannot run %s: %s\n", command[0], std::strerror(errno));
    _exit(127);
  }
  int status = 0;
  rusage usage{};
  pid_t waited = 0;
  do {
    waited = wait4(child, &status, 0, &usage);
  } while (waited < 0 && errno == EINTR);
  run.seconds = now() - start;
  run.peakKiB = usage.ru_maxrss;
  run.cpuSeconds = seconds(usage.ru_utime) + seconds(usage.ru_stime);
  run.ok = waited == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
  if (!run.ok) std::fprintf(stderr, "measure: %s failed (status %d)\n", command[0], status);
  return run;
}

}  // namespace

int main(int argc, char** argv) {
  std::string removed;
  if (argc >= 3 && std::strcmp(argv[1], "--remove") == 0) {
    removed = argv[2];
    argc -= 2;
    argv += 2;
  }
  if (argc < 3) {
    std::fputs("usage: measure [--remove PATH] N COMMAND [ARGS...]\n", stderr);
    return 2;
  }
  const int count = std::atoi(argv[1]);
  if (count < 1) {
    std::fputs("measure: N must be at least 1\n", stderr);
    return 2;
  }
  std::vector<double> wall;
  std::vector<double> cpu;
  long peakKiB = 0;
  for (int i = 0; i < count; ++i) {
    if (!removed.empty()) {
      std::error_code error;
      std::filesystem::remove_all(removed, error);
      if (error) {
        std::fprintf(stderr, "measure: cannot remove %s: %s\n", removed.c_str(),
                     error.message().c_str());
        return 1;
      }
    }
    sync();
    const Run run = runOnce(argv + 2);
    if (!run.ok) return 1;
    wall.push_back(run.seconds);
    cpu.push_back(run.cpuSeconds);
    peakKiB = std::max(peakKiB, run.peakKiB);
  }
  std::printf("%.6f %ld %.6f\n", median(wall), peakKiB, median(cpu));
  return 0;
}
