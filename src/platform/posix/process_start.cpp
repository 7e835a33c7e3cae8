#include "platform/posix/process_start.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/types.h>
#include <unistd.h>

#include <csignal>
#include <string>
#include <vector>

#include "platform/command_line_arguments.h"
#include "platform/posix/unique_resource.h"
#include "platform/run_time_error.h"

namespace pellatone {

namespace {

void Check(int result) {
    if (result != 0) throw ErrorFromErrno(result);
}

}  // namespace

void StartDetachedProcess(const std::string& commandLine, const std::string& workingFolder) {
    // An argument ends at a NUL: what follows could never reach java.
    if (commandLine.find('\0') != std::string::npos) throw InvalidProcedureCall();
    std::vector<std::string> arguments = SplitCommandLine(commandLine);
    if (arguments.empty() || arguments.front().empty()) throw FileNotFound();

    posix_spawn_file_actions_t actionsObject{};
    Check(posix_spawn_file_actions_init(&actionsObject));
    const posix::UniqueSpawnFileActions actions(&actionsObject);
    Check(posix_spawn_file_actions_addopen(actions.Get(), STDIN_FILENO, "/dev/null", O_RDONLY, 0));
    Check(posix_spawn_file_actions_addopen(actions.Get(), STDOUT_FILENO, "/dev/null", O_WRONLY, 0));
    Check(posix_spawn_file_actions_adddup2(actions.Get(), STDOUT_FILENO, STDERR_FILENO));
    // Our X connection and any other descriptor stay ours.
    Check(posix_spawn_file_actions_addclosefrom_np(actions.Get(), STDERR_FILENO + 1));
    // Entered by the new process itself, before the program is looked up and run.
    Check(posix_spawn_file_actions_addchdir_np(actions.Get(), workingFolder.c_str()));

    posix_spawnattr_t attributesObject{};
    Check(posix_spawnattr_init(&attributesObject));
    const posix::UniqueSpawnAttributes attributes(&attributesObject);
    // Its own session, so no hang-up or signal meant for ours reaches it; and none of our blocked
    // or ignored signals carries over into it.
    sigset_t noSignals;
    sigemptyset(&noSignals);
    sigset_t toDefault;
    sigemptyset(&toDefault);
    for (const int number : {SIGHUP, SIGINT, SIGQUIT, SIGPIPE, SIGTERM, SIGCHLD, SIGXFSZ}) {
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
