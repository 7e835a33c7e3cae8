#include "platform/posix/process_start.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/types.h>
#include <unistd.h>

#include <csignal>
#include <string>
#include <vector>

#include "platform/command_line_arguments.h"
#include "platform/run_time_error.h"

namespace pellatone {

namespace {

void Check(int result) {
    if (result != 0) throw ErrorFromErrno(result);
}

class SpawnFileActions {
public:
    SpawnFileActions() { Check(posix_spawn_file_actions_init(&actions_)); }
    SpawnFileActions(const SpawnFileActions&) = delete;
    SpawnFileActions& operator=(const SpawnFileActions&) = delete;
    ~SpawnFileActions() { posix_spawn_file_actions_destroy(&actions_); }
    posix_spawn_file_actions_t* Get() { return &actions_; }

private:
    posix_spawn_file_actions_t actions_{};
};

class SpawnAttributes {
public:
    SpawnAttributes() { Check(posix_spawnattr_init(&attributes_)); }
    SpawnAttributes(const SpawnAttributes&) = delete;
    SpawnAttributes& operator=(const SpawnAttributes&) = delete;
    ~SpawnAttributes() { posix_spawnattr_destroy(&attributes_); }
    posix_spawnattr_t* Get() { return &attributes_; }

private:
    posix_spawnattr_t attributes_{};
};

}  // namespace

void StartDetachedProcess(const std::string& commandLine, const std::string& workingFolder) {
    std::vector<std::string> arguments = SplitCommandLine(commandLine);
    if (arguments.empty() || arguments.front().empty()) throw FileNotFound();

    SpawnFileActions actions;
    Check(posix_spawn_file_actions_addopen(actions.Get(), STDIN_FILENO, "/dev/null", O_RDONLY, 0));
    Check(posix_spawn_file_actions_addopen(actions.Get(), STDOUT_FILENO, "/dev/null", O_WRONLY, 0));
    Check(posix_spawn_file_actions_adddup2(actions.Get(), STDOUT_FILENO, STDERR_FILENO));
    // Our X connection and any other descriptor stay ours.
    Check(posix_spawn_file_actions_addclosefrom_np(actions.Get(), STDERR_FILENO + 1));
    // Entered by the new process itself, before the program is looked up and run.
    if (!workingFolder.empty()) {
        Check(posix_spawn_file_actions_addchdir_np(actions.Get(), workingFolder.c_str()));
    }

    SpawnAttributes attributes;
    // Its own session, so no hang-up or signal meant for ours reaches it; and none of our blocked
    // or ignored signals carries over into it.
    sigset_t noSignals;
    sigemptyset(&noSignals);
    sigset_t toDefault;
    sigemptyset(&toDefault);
    for (const int number : {SIGHUP, SIGINT, SIGQUIT, SIGPIPE, SIGTERM, SIGCHLD}) {
        sigaddset(&toDefault, number);
    }
    Check(posix_spawnattr_setsigmask(attributes.Get(), &noSignals));
    Check(posix_spawnattr_setsigdefault(attributes.Get(), &toDefault));
    Check(posix_spawnattr_setflags(
        attributes.Get(), POSIX_SPAWN_SETSID | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF));

    std::vector<char*> argv;
    argv.reserve(arguments.size() + 1);
    for (std::string& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);

    pid_t child = 0;
    const int result =
        posix_spawnp(&child, argv.front(), actions.Get(), attributes.Get(), argv.data(), environ);
    if (result != 0) {
        if (result == ENOENT || result == ENOTDIR) throw FileNotFound();
        throw ErrorFromErrno(result);
    }
}

}  // namespace pellatone
