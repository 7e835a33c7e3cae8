/* The floor of the launch benchmark: only what starting Vexmora cannot skip, with nothing to
 * load. It knows the benchmark's one runtime, reads its release file, tests the four extension
 * files and spawns the JVM in its own session from the program's folder. Built static, in C. */
#define _GNU_SOURCE
#include <fcntl.h>
#include <limits.h>
#include <signal.h>
#include <spawn.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

extern char** environ;

static const char kJavaHome[] = "/usr/lib/jvm/java-8-benchmark";
static const char* const kExtensionFiles[] = {"lib/ext/Comm.jar", "lib/javax.comm.properties",
                                              "bin/Win32com.dll", "lib/ext/jdc.jar"};
static const char* const kClassPath[] = {
    "Vexmora/lib/comm.jar",          "Vexmora/lib/jdc.jar",
    "Vexmora/lib/jxl.jar",           "Vexmora/lib/log4j-1.2.8.jar",
    "Vexmora/lib/Vexmora.jar",       "Vexmora/lib/slf4j-log4j12-1.1.0.jar",
    "Vexmora/lib/slf4j-api-1.1.0.jar", "Vexmora/lib/slf4j-simple-1.1.0.jar",
    "Vexmora/lib/swing-layout-1.0.jar", "Vexmora/lib/win32com.dll.jar",
    "Vexmora"};

static int Fail(const char* what) {
    perror(what);
    return 1;
}

int main(void) {
    char app[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", app, sizeof app - 1);
    if (length <= 0) return Fail("/proc/self/exe");
    app[length] = '\0';
    *strrchr(app, '/') = '\0';

    /* The runtime's version: JAVA_VERSION="1.8.0_392" read as 1.8, which must be 1.5 or more. */
    char path[PATH_MAX];
    snprintf(path, sizeof path, "%s/release", kJavaHome);
    const int release = open(path, O_RDONLY);
    if (release < 0) return Fail(path);
    char text[4096];
    const ssize_t size = read(release, text, sizeof text - 1);
    close(release);
    if (size <= 0) return Fail(path);
    text[size] = '\0';
    const char* version = strstr(text, "JAVA_VERSION=\"");
    if (version == NULL || strtod(version + 14, NULL) < 1.5) return Fail("JAVA_VERSION");

    for (size_t i = 0; i < sizeof kExtensionFiles / sizeof kExtensionFiles[0]; ++i) {
        snprintf(path, sizeof path, "%s/%s", kJavaHome, kExtensionFiles[i]);
        if (access(path, F_OK) != 0) return Fail(path);
    }

    char classPath[16 * PATH_MAX] = "";
    for (size_t i = 0; i < sizeof kClassPath / sizeof kClassPath[0]; ++i) {
        const size_t used = strlen(classPath);
        snprintf(classPath + used, sizeof classPath - used, "%s%s/%s", i == 0 ? "" : ":", app,
                 kClassPath[i]);
    }
    char java[PATH_MAX];
    snprintf(java, sizeof java, "%s/bin/java", kJavaHome);
    char* argv[] = {java, "-classpath", classPath, "VEXMORA.Frame11", NULL};

    if (chdir(app) != 0) return Fail(app);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID);
    pid_t child = 0;
    const int result = posix_spawn(&child, java, &actions, &attributes, argv, environ);
    if (result != 0) return Fail(java);
    return 0;
}
