// Runs each launcher RUNS times and prints its median wall time and peak resident memory. Written
// small on purpose: a child's peak memory includes what it inherited from this process before
// exec, so the harness must not weigh more than the programs it measures.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

struct Measurement {
    double medianMs;
    double peakMb;
};

Measurement Measure(char* const* command, int runs) {
    std::vector<double> times;
    long peakKb = 0;
    for (int run = 0; run < runs; ++run) {
        const auto start = std::chrono::steady_clock::now();
        const pid_t child = fork();
        if (child == 0) {
            execv(command[0], command);
            _exit(127);
        }
        int status = 0;
        rusage usage{};
        if (child < 0 || wait4(child, &status, 0, &usage) != child) {
            std::perror("benchmark");
            std::exit(1);
        }
        times.push_back(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                .count());
        peakKb = std::max(peakKb, usage.ru_maxrss);
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            std::fprintf(stderr, "benchmark: %s failed (status %d)\n", command[0], status);
            std::exit(1);
        }
    }
    std::sort(times.begin(), times.end());
    const std::size_t middle = times.size() / 2;
    const double median =
        times.size() % 2 == 1 ? times[middle] : (times[middle - 1] + times[middle]) / 2;
    return {median, static_cast<double>(peakKb) / 1024.0};
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s RUNS PROGRAM SCRIPT\n", argv[0]);
        return 2;
    }
    const int runs = std::atoi(argv[1]);
    char* program[] = {argv[2], nullptr};
    char shell[] = "/bin/sh";
    char* script[] = {shell, argv[3], nullptr};

    const Measurement ours = Measure(program, runs);
    const Measurement theirs = Measure(script, runs);
    const double ratio = ours.medianMs / theirs.medianMs;
    std::printf("runs per launcher: %d\n", runs);
    std::printf("program: median %.2f ms, peak memory %.1f MB\n", ours.medianMs, ours.peakMb);
    std::printf("shell script: median %.2f ms, peak memory %.1f MB\n", theirs.medianMs,
                theirs.peakMb);
    std::printf("ratio program/script: %.2f\n", ratio);
    std::printf("%s: program median under 10 ms\n", ours.medianMs < 10.0 ? "met" : "MISSED");
    std::printf("%s: program under a third of the script's time\n",
                ratio < 1.0 / 3.0 ? "met" : "MISSED");
    std::printf("%s: program peak memory under 10 MB\n", ours.peakMb < 10.0 ? "met" : "MISSED");
    return 0;
}
