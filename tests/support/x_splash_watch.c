/* Follows a splash window's drawing on an X server with the DAMAGE extension: the window is read
 * back when it is mapped and again after each drawing into it, so nothing polls the server, and a
 * picture drawn in two steps shows its first step here as it shows it to the user.
 *
 *   x_splash_watch frames TIMEOUT_SECONDS FINAL.ppm OTHER.ppm
 * Run natively beside Wine by the Windows splash tests: follows every picture the splash window
 * shows, from the moment it is mapped until it is unmapped. Prints "watching" once it follows the
 * server; start the program after that. The window is the first mapped top-level one captioned
 * "Pellatone" whose class is pellatone.exe's. The first read-back, when it is one colour
 * throughout, is the window as X shows it before anything is drawn; read-backs the same as it are
 * allowed until another comes, and no other one colour is taken for it: a window filled with one
 * colour before its picture comes is a frame of its own. The last read-back is the final picture,
 * written to FINAL.ppm; every read-back from the first drawing on must be the same, pixel for
 * pixel. When one is not, the first picture that gave way to another is written to OTHER.ppm and
 * the change is told. Exits 0 when the window showed one picture only, 1 when it showed another,
 * none at all, or did not come and go within the timeout.
 *
 *   x_splash_watch times RUNS GOAL NAME COMMAND [ARGUMENT...] [-- NAME COMMAND [ARGUMENT...]]...
 * Times splash windows for scripts/benchmark.sh, on a server with no window manager: from just
 * before each exec to the moment its window is mapped, and to the moment the window first holds
 * its final picture: what it shows once it has been left alone for a second, taken in one run of
 * each before the timed ones. The launchers take turns, each round starting with another; medians
 * are printed. The first launcher is the program, the second its floor: the program is to paint
 * within GOAL times the floor's time, and before each further launcher.
 *
 * Exits 2 on bad arguments. */
#define _GNU_SOURCE
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xdamage.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdarg.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <strings.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

static Display* display;
static Window root;
static int damageEvent;

static double Now(void) {
    struct timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return (double)now.tv_sec * 1000.0 + (double)now.tv_nsec / 1e6;
}

static void Fail(const char* format, ...) {
    va_list arguments;
    va_start(arguments, format);
    fputs("x_splash_watch: ", stderr);
    vfprintf(stderr, format, arguments);
    fputc('\n', stderr);
    va_end(arguments);
    exit(1);
}

/* A window that goes while it is read back is no reason to stop: its unmapping or the deadline
 * ends the watch. */
static int IgnoreError(Display* unused, XErrorEvent* error) {
    (void)unused;
    (void)error;
    return 0;
}

static void OpenDisplay(void) {
    display = XOpenDisplay(NULL);
    int damageError = 0;
    if (display == NULL || !XDamageQueryExtension(display, &damageEvent, &damageError)) {
        Fail("no display with the DAMAGE extension");
    }
    XSetErrorHandler(IgnoreError);
    root = DefaultRootWindow(display);
    XSelectInput(display, root, SubstructureNotifyMask);
    XSync(display, False);
}

/* The next X event before the deadline; false when none came or the child (when above 0) ended. */
static int NextEvent(pid_t child, double deadline, XEvent* event) {
    while (!XPending(display)) {
        const double left = deadline - Now();
        if (left <= 0 || (child > 0 && waitpid(child, NULL, WNOHANG) != 0)) return 0;
        struct pollfd x = {ConnectionNumber(display), POLLIN, 0};
        poll(&x, 1, left < 10 ? (int)left + 1 : 10);
    }
    XNextEvent(display, event);
    return 1;
}

/* 1 after drawing into the window, -1 when it went, 0 when nothing came in time. */
static int NextDamage(pid_t child, Damage damage, Window window, double until) {
    XEvent event;
    while (NextEvent(child, until, &event)) {
        if (event.type == damageEvent + XDamageNotify) {
            XDamageSubtract(display, damage, None, None);
            return 1;
        }
        if ((event.type == UnmapNotify && event.xunmap.window == window) ||
            (event.type == DestroyNotify && event.xdestroywindow.window == window)) {
            return -1;
        }
    }
    return 0;
}

/* The splash by its caption and class, or any window big enough to be one. */
static int IsSplashWindow(Window window, int named) {
    XWindowAttributes attributes;
    if (!named) {
        return XGetWindowAttributes(display, window, &attributes) &&
               attributes.class == InputOutput && attributes.width >= 100 &&
               attributes.height >= 100;
    }
    char* name = NULL;
    XClassHint hint = {NULL, NULL};
    const int splash = XFetchName(display, window, &name) && name != NULL &&
                       strcmp(name, "Pellatone") == 0 && XGetClassHint(display, window, &hint) &&
                       hint.res_name != NULL && strcasecmp(hint.res_name, "pellatone.exe") == 0;
    if (name != NULL) XFree(name);
    if (hint.res_name != NULL) XFree(hint.res_name);
    if (hint.res_class != NULL) XFree(hint.res_class);
    return splash;
}

/* The next top-level splash window mapped; None when none came in time. */
static Window AwaitMapped(pid_t child, double deadline, int named) {
    XEvent event;
    while (NextEvent(child, deadline, &event)) {
        if (event.type == MapNotify && event.xmap.event == root &&
            IsSplashWindow(event.xmap.window, named)) {
            return event.xmap.window;
        }
    }
    return None;
}

/* What the window shows now; NULL once it is no longer shown. */
static XImage* ReadBack(Window window) {
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(display, window, &attributes) || attributes.map_state != IsViewable) {
        return NULL;
    }
    XImage* image = XGetImage(display, window, 0, 0, (unsigned)attributes.width,
                              (unsigned)attributes.height, AllPlanes, ZPixmap);
    if (image != NULL && image->bits_per_pixel != 32) {
        Fail("the screen has %d bits a pixel, not 32", image->bits_per_pixel);
    }
    return image;
}

/* A pixel's colour bits only: what else a pixel holds is nobody's picture. */
static uint32_t PixelAt(const XImage* image, int x, int y) {
    const uint32_t* row = (const uint32_t*)(image->data + (long)y * image->bytes_per_line);
    return row[x] & (uint32_t)(image->red_mask | image->green_mask | image->blue_mask);
}

/* How many pixels differ in colour; every pixel of the larger when the sizes differ. */
static long DifferentPixels(const XImage* a, const XImage* b) {
    if (a->width != b->width || a->height != b->height) {
        return (long)(a->width > b->width ? a->width : b->width) *
               (a->height > b->height ? a->height : b->height);
    }
    long different = 0;
    for (int y = 0; y < a->height; ++y) {
        for (int x = 0; x < a->width; ++x) different += PixelAt(a, x, y) != PixelAt(b, x, y);
    }
    return different;
}

static int OneColour(const XImage* image) {
    const uint32_t first = PixelAt(image, 0, 0);
    for (int y = 0; y < image->height; ++y) {
        for (int x = 0; x < image->width; ++x) {
            if (PixelAt(image, x, y) != first) return 0;
        }
    }
    return 1;
}

static unsigned char Channel(uint32_t pixel, unsigned long mask) {
    int shift = 0;
    while (mask != 0 && (mask & 1) == 0) {
        mask >>= 1;
        ++shift;
    }
    return (unsigned char)(((pixel >> shift) & mask) * 255 / (mask != 0 ? mask : 1));
}

/* As a binary PPM, which ImageMagick reads. */
static int WritePicture(const XImage* image, const char* path) {
    FILE* file = fopen(path, "wb");
    if (file == NULL) return 0;
    fprintf(file, "P6\n%d %d\n255\n", image->width, image->height);
    for (int y = 0; y < image->height; ++y) {
        for (int x = 0; x < image->width; ++x) {
            const uint32_t pixel = PixelAt(image, x, y);
            const unsigned char rgb[3] = {Channel(pixel, image->red_mask),
                                          Channel(pixel, image->green_mask),
                                          Channel(pixel, image->blue_mask)};
            fwrite(rgb, 1, sizeof rgb, file);
        }
    }
    return fclose(file) == 0;
}

static int Frames(int seconds, const char* finalPath, const char* otherPath) {
    const double deadline = Now() + seconds * 1000.0;
    OpenDisplay();
    puts("watching");
    fflush(stdout);
    const Window window = AwaitMapped(0, deadline, 1);
    if (window == None) Fail("the splash window was not mapped");
    const double mapped = Now();
    /* Made before the first read-back, so whatever is drawn after it is reported. */
    const Damage damage = XDamageCreate(display, window, XDamageReportNonEmpty);

    XImage* unpainted = NULL; /* the window as X showed it when it was mapped */
    XImage* shown = NULL;     /* the latest read-back since the first drawing */
    XImage* replaced = NULL;
    double replacedAfter = 0;
    int readBacks = 0;
    int blank = 0;
    int changes = 0;
    for (int next = 1; next > 0; next = NextDamage(0, damage, window, deadline)) {
        XImage* image = ReadBack(window);
        const double after = Now() - mapped;
        if (image == NULL) continue;
        ++readBacks;
        if (readBacks == 1 && OneColour(image)) {
            unpainted = image;
            ++blank;
        } else if (shown == NULL && unpainted != NULL && DifferentPixels(image, unpainted) == 0) {
            ++blank;
            XDestroyImage(image);
        } else {
            if (shown != NULL && DifferentPixels(image, shown) != 0 && changes++ == 0) {
                replaced = shown;
                replacedAfter = after;
                shown = NULL;
            }
            if (shown != NULL) XDestroyImage(shown);
            shown = image;
        }
    }
    if (Now() >= deadline) Fail("the splash window was still mapped at the timeout");
    printf("%d read-backs, %d of them before anything was drawn\n", readBacks, blank);
    if (shown == NULL) Fail("the window showed no picture");
    if (!WritePicture(shown, finalPath) ||
        (replaced != NULL && !WritePicture(replaced, otherPath))) {
        Fail("cannot write the pictures");
    }
    if (changes > 0) {
        printf(
            "it changed %d time(s) once drawn, the first %.0f ms after the window was mapped, "
            "from a picture that differs from the final one in %ld of %d pixels\n",
            changes, replacedAfter, DifferentPixels(replaced, shown), shown->width * shown->height);
        return 1;
    }
    return 0;
}

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

static pid_t Start(const Launcher* launcher) {
    const pid_t child = fork();
    if (child == 0) {
        const int null = open("/dev/null", O_RDWR);
        dup2(null, 1);
        dup2(null, 2);
        execvp(launcher->command[0], launcher->command);
        _exit(127);
    }
    if (child < 0) Fail("%s: cannot start", launcher->name);
    return child;
}

static Window AwaitLauncherWindow(const Launcher* launcher, pid_t child, double deadline) {
    const Window window = AwaitMapped(child, deadline, 0);
    if (window == None) Fail("%s: no window was mapped", launcher->name);
    return window;
}

/* Waits for drawing into the window; false when there was none for QUIET milliseconds. */
static int AwaitDamage(const Launcher* launcher, pid_t child, Damage damage, Window window,
                       double quiet, double deadline) {
    const double until = quiet < deadline - Now() ? Now() + quiet : deadline;
    if (NextDamage(child, damage, window, until) > 0) return 1;
    if (Now() >= deadline || waitpid(child, NULL, WNOHANG) != 0) {
        Fail("%s: no picture", launcher->name);
    }
    return 0;
}

static int Shows(Window window, const XImage* picture) {
    XImage* image = ReadBack(window);
    if (image == NULL) return 0;
    const int same = DifferentPixels(image, picture) == 0;
    XDestroyImage(image);
    return same;
}

static void Stop(pid_t child, Window window) {
    kill(child, SIGKILL);
    waitpid(child, NULL, 0);
    /* Its windows go when the server has seen the connection close. */
    XEvent event;
    const double deadline = Now() + kDeadlineMs;
    while (NextEvent(0, deadline, &event)) {
        if (event.type == DestroyNotify && event.xdestroywindow.window == window) break;
    }
    usleep(kSettleMicroseconds);
}

/* The untimed run: what the window shows once nothing has been drawn into it for a while. */
static void TakeFinalPicture(Launcher* launcher) {
    const double deadline = Now() + kDeadlineMs;
    const pid_t child = Start(launcher);
    const Window window = AwaitLauncherWindow(launcher, child, deadline);
    const Damage damage = XDamageCreate(display, window, XDamageReportNonEmpty);
    while (AwaitDamage(launcher, child, damage, window, kQuietMs, deadline)) {
    }
    launcher->picture = ReadBack(window);
    if (launcher->picture == NULL) Fail("%s: the window could not be read", launcher->name);
    XDamageDestroy(display, damage);
    Stop(child, window);
    if (OneColour(launcher->picture)) Fail("%s: the window shows no picture", launcher->name);
}

static void TimedRun(Launcher* launcher) {
    const double start = Now();
    const double deadline = start + kDeadlineMs;
    const pid_t child = Start(launcher);
    const Window window = AwaitLauncherWindow(launcher, child, deadline);
    launcher->mapped[launcher->runs] = Now() - start;
    /* Made before the first look, so that whatever is drawn after that look is reported. */
    const Damage damage = XDamageCreate(display, window, XDamageReportNonEmpty);
    /* The picture was there when the look that found it was asked for. */
    double looked = Now();
    while (!Shows(window, launcher->picture)) {
        AwaitDamage(launcher, child, damage, window, kDeadlineMs, deadline);
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

static int Usage(void) {
    fputs(
        "usage: x_splash_watch frames TIMEOUT_SECONDS FINAL.ppm OTHER.ppm\n"
        "       x_splash_watch times RUNS GOAL NAME COMMAND [ARGUMENT...] "
        "[-- NAME COMMAND [ARGUMENT...]]...\n",
        stderr);
    return 2;
}

static int Times(int argc, char** argv) {
    const int runs = atoi(argv[0]);
    const double goal = atof(argv[1]);
    if (runs < 1 || runs > kMaxRuns || goal <= 0) return Usage();
    /* Each launcher's words end at its "--", which becomes the end of its command. */
    static Launcher launchers[kMaxLaunchers];
    int count = 0;
    for (int i = 2; i < argc; ++i) {
        if (count == kMaxLaunchers || i + 1 >= argc || strcmp(argv[i + 1], "--") == 0) {
            return Usage();
        }
        launchers[count].name = argv[i];
        launchers[count].command = &argv[i + 1];
        i += 2;
        while (i < argc && strcmp(argv[i], "--") != 0) ++i;
        if (i < argc) argv[i] = NULL;
        ++count;
    }
    if (count < 2) return Usage();
    OpenDisplay();

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

int main(int argc, char** argv) {
    if (argc == 5 && strcmp(argv[1], "frames") == 0 && atoi(argv[2]) > 0) {
        return Frames(atoi(argv[2]), argv[3], argv[4]);
    }
    if (argc >= 8 && strcmp(argv[1], "times") == 0) return Times(argc - 2, argv + 2);
    return Usage();
}
