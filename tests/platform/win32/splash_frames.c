/* Test helper, run natively on the X server beside Wine: follows every picture the splash window
 * shows, from the moment it is mapped until it is unmapped, and checks that it only ever shows
 * its final one. Drawing is followed with the DAMAGE extension: the window is read back at once
 * when it is mapped and again after each drawing into it, so a picture drawn in two steps shows
 * its first step to this watch as it shows it to the user.
 *
 *   splash_frames TIMEOUT_SECONDS FINAL.ppm OTHER.ppm
 *
 * Prints "watching" once it follows the server; start the program after that. The window is the
 * first mapped top-level one captioned "Pellatone" whose class is pellatone.exe's. The first
 * read-back, when it is one colour throughout, is the window as X shows it before anything is
 * drawn; read-backs the same as it are allowed until another comes, and no other one colour is
 * taken for it: a window filled with one colour before its picture comes is a frame of its own.
 * The last read-back is the final picture, written to FINAL.ppm; every read-back from the first
 * drawing on must be the same, pixel for pixel. When
 * one is not, the first picture that gave way to another is written to OTHER.ppm and the change
 * is told. Exits 0 when the window showed one picture only, 1 when it showed another, none at
 * all, or did not come and go within the timeout, 2 on bad arguments. */
#define _POSIX_C_SOURCE 200809L
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xdamage.h>
#include <poll.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <strings.h>
#include <time.h>

static Display* display;
static Window root;
static int damageEvent;

static double Now(void) {
    struct timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return (double)now.tv_sec * 1000.0 + (double)now.tv_nsec / 1e6;
}

/* A window that goes while it is looked at is no reason to stop: its unmapping ends the watch. */
static int IgnoreError(Display* unused, XErrorEvent* error) {
    (void)unused;
    (void)error;
    return 0;
}

/* The next X event before the deadline; false when none came. */
static int NextEvent(double deadline, XEvent* event) {
    while (!XPending(display)) {
        const double left = deadline - Now();
        if (left <= 0) return 0;
        struct pollfd x = {ConnectionNumber(display), POLLIN, 0};
        poll(&x, 1, left < 100 ? (int)left + 1 : 100);
    }
    XNextEvent(display, event);
    return 1;
}

static int IsSplashWindow(Window window) {
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

/* What the window shows now; NULL once it is no longer shown. */
static XImage* ReadBack(Window window) {
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(display, window, &attributes) || attributes.map_state != IsViewable) {
        return NULL;
    }
    XImage* image = XGetImage(display, window, 0, 0, (unsigned)attributes.width,
                              (unsigned)attributes.height, AllPlanes, ZPixmap);
    if (image != NULL && image->bits_per_pixel != 32) {
        fprintf(stderr, "splash_frames: the screen has %d bits a pixel, not 32\n",
                image->bits_per_pixel);
        exit(1);
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

int main(int argc, char** argv) {
    if (argc != 4 || atoi(argv[1]) <= 0) {
        fprintf(stderr, "usage: splash_frames TIMEOUT_SECONDS FINAL.ppm OTHER.ppm\n");
        return 2;
    }
    const double deadline = Now() + atoi(argv[1]) * 1000.0;
    display = XOpenDisplay(NULL);
    int damageError = 0;
    if (display == NULL || !XDamageQueryExtension(display, &damageEvent, &damageError)) {
        fprintf(stderr, "splash_frames: no display with the DAMAGE extension\n");
        return 1;
    }
    XSetErrorHandler(IgnoreError);
    root = DefaultRootWindow(display);
    XSelectInput(display, root, SubstructureNotifyMask);
    XSync(display, False);
    puts("watching");
    fflush(stdout);

    XEvent event;
    Window window = None;
    while (window == None) {
        if (!NextEvent(deadline, &event)) {
            fprintf(stderr, "splash_frames: the splash window was not mapped\n");
            return 1;
        }
        if (event.type == MapNotify && event.xmap.event == root &&
            IsSplashWindow(event.xmap.window)) {
            window = event.xmap.window;
        }
    }
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
    for (int look = 1, gone = 0; !gone;) {
        if (look) {
            XImage* image = ReadBack(window);
            const double after = Now() - mapped;
            look = 0;
            if (image != NULL) {
                ++readBacks;
                if (readBacks == 1 && OneColour(image)) {
                    unpainted = image;
                    ++blank;
                } else if (shown == NULL && unpainted != NULL &&
                           DifferentPixels(image, unpainted) == 0) {
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
        }
        if (!NextEvent(deadline, &event)) {
            fprintf(stderr, "splash_frames: the splash window was still mapped at the timeout\n");
            return 1;
        }
        if (event.type == damageEvent + XDamageNotify) {
            XDamageSubtract(display, damage, None, None);
            look = 1;
        } else if ((event.type == UnmapNotify && event.xunmap.window == window) ||
                   (event.type == DestroyNotify && event.xdestroywindow.window == window)) {
            gone = 1;
        }
    }
    printf("%d read-backs, %d of them before anything was drawn\n", readBacks, blank);
    if (shown == NULL) {
        fprintf(stderr, "splash_frames: the window showed no picture\n");
        return 1;
    }
    if (!WritePicture(shown, argv[2]) || (replaced != NULL && !WritePicture(replaced, argv[3]))) {
        fprintf(stderr, "splash_frames: cannot write the pictures\n");
        return 1;
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
