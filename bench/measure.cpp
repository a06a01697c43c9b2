// Runs a command N times and prints, on one line of standard output,
//   <median wall seconds> <largest peak RSS of the child in KiB>
// The child's standard output goes to this program's standard error, so that standard output
// carries only the measurement. A run that fails (exit status not 0, or a signal) stops the
// measurement with exit status 1.
//
// Usage: measure N COMMAND [ARGS...]

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <vector>

namespace {

struct Run {
  double seconds = 0;
  long peakKiB = 0;  // ru_maxrss: KiB on Linux
  bool ok = false;
};

double now() {
  timespec t{};
  clock_gettime(CLOCK_MONOTONIC, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
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
  run.ok = waited == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
  if (!run.ok) std::fprintf(stderr, "measure: %s failed (status %d)\n", command[0], status);
  return run;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fputs("usage: measure N COMMAND [ARGS...]\n", stderr);
    return 2;
  }
  const int count = std::atoi(argv[1]);
  if (count < 1) {
    std::fputs("measure: N must be at least 1\n", stderr);
    return 2;
  }
  std::vector<double> seconds;
  long peakKiB = 0;
  for (int i = 0; i < count; ++i) {
    const Run run = runOnce(argv + 2);
    if (!run.ok) return 1;
    seconds.push_back(run.seconds);
    peakKiB = std::max(peakKiB, run.peakKiB);
  }
  std::sort(seconds.begin(), seconds.end());
  const std::size_t middle = seconds.size() / 2;
  const double median = seconds.size() % 2 == 1
                            ? seconds[middle]
                            : (seconds[middle - 1] + seconds[middle]) / 2;
  std::printf("%.6f %ld\n", median, peakKiB);
  return 0;
}
