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

constexpr useconds_t kSettleMicroseconds = 20000;

struct Measurement {
    double medianMs;
    double peakMb;
};

// One launcher's runs: wall times and the largest peak resident memory seen.
struct Launcher {
    char* const* command;
    std::vector<double> times;
    long peakKb = 0;
};

void RunOnce(Launcher& launcher) {
    const auto start = std::chrono::steady_clock::now();
    const pid_t child = fork();
    if (child == 0) {
        execv(launcher.command[0], launcher.command);
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    if (child < 0 || wait4(child, &status, 0, &usage) != child) {
        std::perror("benchmark");
        std::exit(1);
    }
    launcher.times.push_back(
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
            .count());
    launcher.peakKb = std::max(launcher.peakKb, usage.ru_maxrss);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "benchmark: %s failed (status %d)\n", launcher.command[0], status);
        std::exit(1);
    }
}

Measurement Summary(Launcher& launcher) {
    std::vector<double>& times = launcher.times;
    std::sort(times.begin(), times.end());
    const std::size_t middle = times.size() / 2;
    const double median =
        times.size() % 2 == 1 ? times[middle] : (times[middle - 1] + times[middle]) / 2;
    return {median, static_cast<double>(launcher.peakKb) / 1024.0};
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 6) {
        std::fprintf(stderr, "usage: %s RUNS PROGRAM FLOOR DYNAMIC-FLOOR SCRIPT\n", argv[0]);
        return 2;
    }
    const int runs = std::atoi(argv[1]);
    char* program[] = {argv[2], nullptr};
    char* floor[] = {argv[3], nullptr};
    // The same floor linked against the shared C library, as the program must be to load its
    // windows module: what is left between the two is the program's own.
    char* dynamicFloor[] = {argv[4], nullptr};
    char shell[] = "/bin/sh";
    char* script[] = {shell, argv[5], nullptr};

    // Taken in turns, so that a machine busy for a while weighs on all alike; each round
    // starts with another launcher, and each run waits a moment for the server stand-in the
    // previous one left running, so that none pays for another's leftovers.
    Launcher launchers[] = {{program, {}}, {floor, {}}, {dynamicFloor, {}}, {script, {}}};
    constexpr int kLaunchers = 4;
    for (int run = 0; run < runs; ++run) {
        for (int turn = 0; turn < kLaunchers; ++turn) {
            RunOnce(launchers[(run + turn) % kLaunchers]);
            usleep(kSettleMicroseconds);
        }
    }
    const Measurement ours = Summary(launchers[0]);
    const Measurement least = Summary(launchers[1]);
    const Measurement shared = Summary(launchers[2]);
    const Measurement theirs = Summary(launchers[3]);
    const double overFloor = ours.medianMs / least.medianMs;
    const double overScript = ours.medianMs / theirs.medianMs;
    std::printf("runs per launcher: %d\n", runs);
    std::printf("program: median %.2f ms, peak memory %.1f MB\n", ours.medianMs, ours.peakMb);
    std::printf("floor: median %.2f ms, peak memory %.1f MB\n", least.medianMs, least.peakMb);
    std::printf("floor, shared C library: median %.2f ms, peak memory %.1f MB\n", shared.medianMs,
                shared.peakMb);
    std::printf("shell script: median %.2f ms, peak memory %.1f MB\n", theirs.medianMs,
                theirs.peakMb);
    std::printf("ratio program/floor: %.2f\n", overFloor);
    std::printf("ratio program/floor with the shared C library: %.2f\n",
                ours.medianMs / shared.medianMs);
    std::printf("ratio program/script: %.2f\n", overScript);
    std::printf("%s: program within 1.3 times the floor\n", overFloor <= 1.3 ? "met" : "MISSED");
    std::printf("%s: program median under 10 ms\n", ours.medianMs < 10.0 ? "met" : "MISSED");
    std::printf("%s: program under a third of the script's time\n",
                overScript < 1.0 / 3.0 ? "met" : "MISSED");
    std::printf("%s: program peak memory under 10 MB\n", ours.peakMb < 10.0 ? "met" : "MISSED");
    return 0;
}
