/* Times splash windows on an X server with no window manager: from just before each exec to the
 * moment its window is mapped, and to the moment the window first holds its final picture. The
 * final picture is what the window shows once it has been left alone for a second, taken in one
 * run of each before the timed ones. Drawing is followed with the DAMAGE extension, so the window
 * is read back only after something was drawn into it, and nothing polls the server meanwhile.
 * The launchers take turns, each round starting with another; medians are printed.
 *   splash_watch RUNS GOAL NAME COMMAND [ARGUMENT...] [-- NAME COMMAND [ARGUMENT...]]...
 * The first launcher is the program, the second its floor: the program is to paint within GOAL
 * times the floor's time, and before each further launcher. */
#define _GNU_SOURCE
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xdamage.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

enum { kMaxLaunchers = 8, kMaxRuns = 1000 };
static const double kDeadlineMs = 10000;
static const double kQuietMs = 1000;
static const useconds_t kSettleMicroseconds = 20000;

typedef struct {
    const char* name;
    char** command;
    XImage* picture;
    double mapped[kMaxRuns];
    double painted[kMaxRuns];
    int runs;
} Launcher;

static Display* display;
static Window root;
static int damageEvent;

static double Now(void) {
    struct timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return (double)now.tv_sec * 1000.0 + (double)now.tv_nsec / 1e6;
}

static void Fail(const Launcher* launcher, const char* what) {
    fprintf(stderr, "splash_watch: %s: %s\n", launcher->name, what);
    exit(1);
}

/* A window that goes away while it is read back is the launcher's failure, found by its
 * deadline; the error itself is no reason to stop. */
static int IgnoreError(Display* unused, XErrorEvent* error) {
    (void)unused;
    (void)error;
    return 0;
}

static pid_t Start(const Launcher* launcher) {
    const pid_t child = fork();
    if (child == 0) {
        const int null = open("/dev/null", O_RDWR);
        dup2(null, 1);
        dup2(null, 2);
        execvp(launcher->command[0], launcher->command);
        _exit(127);
    }
    if (child < 0) Fail(launcher, "cannot start");
    return child;
}

/* The next X event within the deadline, false when none came or the child has ended. */
static int NextEvent(pid_t child, double deadline, XEvent* event) {
    while (!XPending(display)) {
        const double left = deadline - Now();
        if (left <= 0 || waitpid(child, NULL, WNOHANG) != 0) return 0;
        struct pollfd x = {ConnectionNumber(display), POLLIN, 0};
        poll(&x, 1, left < 10 ? (int)left + 1 : 10);
    }
    XNextEvent(display, event);
    return 1;
}

/* The next top-level window that is mapped and big enough to be a splash. */
static Window AwaitMapped(const Launcher* launcher, pid_t child, double deadline) {
    XEvent event;
    while (NextEvent(child, deadline, &event)) {
        if (event.type != MapNotify || event.xmap.event != root) continue;
        XWindowAttributes attributes;
        if (XGetWindowAttributes(display, event.xmap.window, &attributes) &&
            attributes.class == InputOutput && attributes.width >= 100 && attributes.height >= 100)
            return event.xmap.window;
    }
    Fail(launcher, "no window was mapped");
    return None;
}

/* Waits for drawing into the window; false when there was none for QUIET milliseconds. */
static int AwaitDamage(const Launcher* launcher, pid_t child, Damage damage, double quiet,
                       double deadline) {
    const double until = quiet < deadline - Now() ? Now() + quiet : deadline;
    XEvent event;
    while (NextEvent(child, until, &event)) {
        if (event.type == damageEvent + XDamageNotify) {
            XDamageSubtract(display, damage, None, None);
            return 1;
        }
    }
    if (Now() >= deadline || waitpid(child, NULL, WNOHANG) != 0) Fail(launcher, "no picture");
    return 0;
}

static XImage* Contents(Window window) {
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(display, window, &attributes)) return NULL;
    return XGetImage(display, window, 0, 0, (unsigned)attributes.width, (unsigned)attributes.height,
                     AllPlanes, ZPixmap);
}

/* Pixel for pixel, the colour bits only: what else a pixel holds is nobody's picture. */
static int SamePicture(XImage* image, const XImage* picture) {
    if (image == NULL) return 0;
    int same = image->width == picture->width && image->height == picture->height &&
               image->bits_per_pixel == 32 && picture->bits_per_pixel == 32;
    const uint32_t colour = (uint32_t)(image->red_mask | image->green_mask | image->blue_mask);
    for (int y = 0; same && y < image->height; ++y) {
        const uint32_t* a = (const uint32_t*)(image->data + y * image->bytes_per_line);
        const uint32_t* b = (const uint32_t*)(picture->data + y * picture->bytes_per_line);
        for (int x = 0; same && x < image->width; ++x) same = ((a[x] ^ b[x]) & colour) == 0;
    }
    XDestroyImage(image);
    return same;
}

static void Stop(pid_t child, Window window) {
    kill(child, SIGKILL);
    waitpid(child, NULL, 0);
    /* Its windows go when the server has seen the connection close. */
    XEvent event;
    const double deadline = Now() + kDeadlineMs;
    while (NextEvent(-1, deadline, &event)) {
        if (event.type == DestroyNotify && event.xdestroywindow.window == window) break;
    }
    usleep(kSettleMicroseconds);
}

/* The untimed run: what the window shows once nothing has been drawn into it for a while. */
static void TakeFinalPicture(Launcher* launcher) {
    const double deadline = Now() + kDeadlineMs;
    const pid_t child = Start(launcher);
    const Window window = AwaitMapped(launcher, child, deadline);
    const Damage damage = XDamageCreate(display, window, XDamageReportNonEmpty);
    while (AwaitDamage(launcher, child, damage, kQuietMs, deadline)) {
    }
    launcher->picture = Contents(window);
    if (launcher->picture == NULL) Fail(launcher, "the window could not be read");
    XDamageDestroy(display, damage);
    Stop(child, window);
    const unsigned long first = XGetPixel(launcher->picture, 0, 0);
    for (int y = 0; y < launcher->picture->height; ++y) {
        for (int x = 0; x < launcher->picture->width; ++x) {
            if (XGetPixel(launcher->picture, x, y) != first) return;
        }
    }
    Fail(launcher, "the window shows no picture");
}

static void TimedRun(Launcher* launcher) {
    const double start = Now();
    const double deadline = start + kDeadlineMs;
    const pid_t child = Start(launcher);
    const Window window = AwaitMapped(launcher, child, deadline);
    launcher->mapped[launcher->runs] = Now() - start;
    /* Made before the first look, so that whatever is drawn after that look is reported. */
    const Damage damage = XDamageCreate(display, window, XDamageReportNonEmpty);
    /* The picture was there when the look that found it was asked for. */
    double looked = Now();
    while (!SamePicture(Contents(window), launcher->picture)) {
        AwaitDamage(launcher, child, damage, kDeadlineMs, deadline);
        looked = Now();
    }
    launcher->painted[launcher->runs] = looked - start;
    ++launcher->runs;
    XDamageDestroy(display, damage);
    Stop(child, window);
}

static int Ascending(const void* a, const void* b) {
    const double x = *(const double*)a;
    const double y = *(const double*)b;
    return (x > y) - (x < y);
}

static double Median(double* values, int count) {
    qsort(values, (size_t)count, sizeof *values, Ascending);
    return count % 2 == 1 ? values[count / 2] : (values[count / 2 - 1] + values[count / 2]) / 2;
}

static void Usage(const char* program) {
    fprintf(stderr,
            "usage: %s RUNS GOAL NAME COMMAND [ARGUMENT...] [-- NAME COMMAND [ARGUMENT...]]...\n",
            program);
    exit(2);
}

int main(int argc, char** argv) {
    if (argc < 7) Usage(argv[0]);
    const int runs = atoi(argv[1]);
    const double goal = atof(argv[2]);
    if (runs < 1 || runs > kMaxRuns || goal <= 0) {
        fprintf(stderr, "splash_watch: 1 to %d runs, and a goal above 0\n", kMaxRuns);
        return 2;
    }
    /* Each launcher's words end at its "--", which becomes the end of its command. */
    static Launcher launchers[kMaxLaunchers];
    int count = 0;
    for (int i = 3; i < argc; ++i) {
        if (count == kMaxLaunchers || i + 1 >= argc || strcmp(argv[i + 1], "--") == 0) {
            Usage(argv[0]);
        }
        launchers[count].name = argv[i];
        launchers[count].command = &argv[i + 1];
        i += 2;
        while (i < argc && strcmp(argv[i], "--") != 0) ++i;
        if (i < argc) argv[i] = NULL;
        ++count;
    }
    if (count < 2) Usage(argv[0]);

    display = XOpenDisplay(NULL);
    int damageError = 0;
    if (display == NULL || !XDamageQueryExtension(display, &damageEvent, &damageError)) {
        fprintf(stderr, "splash_watch: no display with the DAMAGE extension\n");
        return 1;
    }
    XSetErrorHandler(IgnoreError);
    root = DefaultRootWindow(display);
    XSelectInput(display, root, SubstructureNotifyMask);

    for (int i = 0; i < count; ++i) TakeFinalPicture(&launchers[i]);
    for (int run = 0; run < runs; ++run) {
        for (int turn = 0; turn < count; ++turn) TimedRun(&launchers[(run + turn) % count]);
    }

    double painted[kMaxLaunchers];
    printf("splash runs per launcher: %d\n", runs);
    for (int i = 0; i < count; ++i) {
        const double mapped = Median(launchers[i].mapped, runs);
        painted[i] = Median(launchers[i].painted, runs);
        printf("%s: mapped after %.1f ms, painted after %.1f ms\n", launchers[i].name, mapped,
               painted[i]);
    }
    printf("ratio %s/%s: %.2f\n", launchers[0].name, launchers[1].name, painted[0] / painted[1]);
    printf("%s: %s painted within %g times the %s\n",
           painted[0] <= goal * painted[1] ? "met" : "MISSED", launchers[0].name, goal,
           launchers[1].name);
    for (int i = 2; i < count; ++i) {
        printf("%s: %s painted before the %s\n", painted[0] < painted[i] ? "met" : "MISSED",
               launchers[0].name, launchers[i].name);
    }
    return 0;
}
