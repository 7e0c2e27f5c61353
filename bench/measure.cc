// bench_measure RUNS -- COMMAND...: runs a command RUNS times and prints the
// median wall time in milliseconds and the largest peak resident set size in
// KiB of the runs, as "wall_ms=... peak_kib=... status=...". Standard output
// and error of the command are discarded so that printing does not count.
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

struct Sample {
  double wall_ms = 0;
  long peak_kib = 0;
  int status = 0;
};

Sample run_once(char** argv) {
  auto start = std::chrono::steady_clock::now();
  pid_t pid = fork();
  if (pid == 0) {
    int null = open("/dev/null", O_WRONLY);
    if (null >= 0) {
      dup2(null, 1);
      dup2(null, 2);
    }
    execvp(argv[0], argv);
    _exit(127);
  }
  int status = 0;
  rusage usage{};
  wait4(pid, &status, 0, &usage);
  auto end = std::chrono::steady_clock::now();
  Sample s;
  s.wall_ms = std::chrono::duration<double, std::milli>(end - start).count();
  s.peak_kib = usage.ru_maxrss;
  s.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  return s;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4 || std::string_view(argv[2]) != "--") {
    std::fprintf(stderr, "usage: bench_measure RUNS -- COMMAND...\n");
    return 2;
  }
  int runs = std::max(1, std::atoi(argv[1]));
  std::vector<Sample> samples;
  for (int i = 0; i < runs; ++i) samples.push_back(run_once(argv + 3));
  std::vector<double> walls;
  long peak = 0;
  for (const Sample& s : samples) {
    walls.push_back(s.wall_ms);
    peak = std::max(peak, s.peak_kib);
  }
  std::sort(walls.begin(), walls.end());
  std::printf("wall_ms=%.1f peak_kib=%ld status=%d\n", walls[walls.size() / 2], peak, samples.back().status);
  return 0;
}
