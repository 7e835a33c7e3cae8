/* The floor of the splash benchmark: plain Xlib and giflib, nothing else. Decodes the GIF named
 * on its command line, shows it unscaled in a centred window of its size, captioned "Pellatone",
 * and waits to be ended. Assumes the TrueColor visual every X server of today offers. */
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <gif_lib.h>
#include <stdio.h>
#include <stdlib.h>

/* Where a colour channel's 8 bits go in a pixel of the visual. */
static unsigned long Channel(unsigned char value, unsigned long mask) {
    int shift = 0;
    while (mask != 0 && (mask & 1) == 0) {
        mask >>= 1;
        ++shift;
    }
    return ((unsigned long)value * mask / 255) << shift;
}

static unsigned long Pixel(const Visual* visual, GifColorType colour) {
    return Channel(colour.Red, visual->red_mask) | Channel(colour.Green, visual->green_mask) |
           Channel(colour.Blue, visual->blue_mask);
}

int main(int argc, char** argv) {
    if (argc != 2) {
        fprintf(stderr, "usage: %s PICTURE.gif\n", argv[0]);
        return 2;
    }
    int error = 0;
    GifFileType* gif = DGifOpenFileName(argv[1], &error);
    if (gif == NULL || DGifSlurp(gif) != GIF_OK || gif->ImageCount < 1) {
        fprintf(stderr, "%s: not a GIF picture\n", argv[1]);
        return 1;
    }
    Display* display = XOpenDisplay(NULL);
    if (display == NULL) {
        fprintf(stderr, "no display\n");
        return 1;
    }
    const int screen = DefaultScreen(display);
    Visual* visual = DefaultVisual(display, screen);
    const int width = gif->SWidth;
    const int height = gif->SHeight;

    XImage* image = XCreateImage(display, visual, (unsigned)DefaultDepth(display, screen), ZPixmap,
                                 0, NULL, (unsigned)width, (unsigned)height, 32, 0);
    image->data = malloc((size_t)image->bytes_per_line * (size_t)height);
    const SavedImage* frame = &gif->SavedImages[0];
    const GifImageDesc* desc = &frame->ImageDesc;
    const ColorMapObject* colours = desc->ColorMap != NULL ? desc->ColorMap : gif->SColorMap;
    /* The palette as pixels once; then one look-up per pixel. */
    unsigned long palette[256];
    for (int i = 0; i < 256; ++i) {
        palette[i] = i < colours->ColorCount ? Pixel(visual, colours->Colors[i]) : 0;
    }
    const unsigned long background = Pixel(visual, gif->SColorMap->Colors[gif->SBackGroundColor]);
    for (int y = 0; y < height; ++y) {
        const int row = y - desc->Top;
        const int inside = row >= 0 && row < desc->Height;
        for (int x = 0; x < width; ++x) {
            const int column = x - desc->Left;
            const unsigned long pixel = inside && column >= 0 && column < desc->Width
                                            ? palette[frame->RasterBits[row * desc->Width + column]]
                                            : background;
            if (image->bits_per_pixel == 32) {
                ((unsigned int*)(image->data + y * image->bytes_per_line))[x] = (unsigned int)pixel;
            } else {
                XPutPixel(image, x, y, pixel);
            }
        }
    }

    const Window window = XCreateSimpleWindow(
        display, RootWindow(display, screen), (DisplayWidth(display, screen) - width) / 2,
        (DisplayHeight(display, screen) - height) / 2, (unsigned)width, (unsigned)height, 0, 0, 0);
    XStoreName(display, window, "Pellatone");
    XSelectInput(display, window, ExposureMask);
    XMapWindow(display, window);
    const GC gc = DefaultGC(display, screen);
    for (;;) {
        XEvent event;
        XNextEvent(display, &event);
        if (event.type == Expose && event.xexpose.count == 0) {
            XPutImage(display, window, gc, image, 0, 0, 0, 0, (unsigned)width, (unsigned)height);
            XFlush(display);
        }
    }
}
