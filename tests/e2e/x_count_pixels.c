/* Counts pixels of one colour in boxes of the X root window, all read from one
 * snapshot, so that a test can look at what is on the screen:
 *   x_count_pixels white|red|hash X Y W H [X Y W H ...]
 * Boxes are in screen pixels from the top left. Prints one figure per box:
 * the number of pure white (255, 255, 255) or pure red (255, 0, 0) pixels, or
 * for hash a checksum of the box's pixels, to tell whether it changed. */
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

static int channel(unsigned long pixel, unsigned long mask)
{
    if (mask == 0)
        return 0;
    int shift = 0;
    while (!(mask & 1)) {
        mask >>= 1;
        ++shift;
    }
    return (int)(((pixel >> shift) & mask) * 255 / mask);
}

int main(int argc, char** argv)
{
    if (argc < 6 || (argc - 2) % 4 != 0) {
        fprintf(stderr, "usage: x_count_pixels white|red|hash X Y W H [X Y W H ...]\n");
        return 2;
    }
    const char* kind = argv[1];
    if (strcmp(kind, "white") != 0 && strcmp(kind, "red") != 0 && strcmp(kind, "hash") != 0) {
        fprintf(stderr, "x_count_pixels: unknown kind %s\n", kind);
        return 2;
    }
    Display* display = XOpenDisplay(NULL);
    if (!display) {
        fprintf(stderr, "x_count_pixels: no display\n");
        return 1;
    }
    const Window root = DefaultRootWindow(display);
    XWindowAttributes attributes;
    XGetWindowAttributes(display, root, &attributes);
    XImage* image =
        XGetImage(display, root, 0, 0, (unsigned)attributes.width, (unsigned)attributes.height, AllPlanes, ZPixmap);
    if (!image) {
        fprintf(stderr, "x_count_pixels: cannot read the screen\n");
        XCloseDisplay(display);
        return 1;
    }
    for (int box = 2; box + 3 < argc; box += 4) {
        const int x0 = atoi(argv[box]), y0 = atoi(argv[box + 1]);
        const int x1 = x0 + atoi(argv[box + 2]), y1 = y0 + atoi(argv[box + 3]);
        unsigned long figure = strcmp(kind, "hash") == 0 ? 2166136261u : 0;
        for (int y = y0 < 0 ? 0 : y0; y < y1 && y < attributes.height; ++y)
            for (int x = x0 < 0 ? 0 : x0; x < x1 && x < attributes.width; ++x) {
                const unsigned long pixel = XGetPixel(image, x, y);
                const int r = channel(pixel, image->red_mask);
                const int g = channel(pixel, image->green_mask);
                const int b = channel(pixel, image->blue_mask);
                if (kind[0] == 'w')
                    figure += r == 255 && g == 255 && b == 255;
                else if (kind[0] == 'r')
                    figure += r == 255 && g == 0 && b == 0;
                else
                    figure = ((figure ^ (unsigned long)(r << 16 | g << 8 | b)) * 16777619u) & 0xffffffffu;
            }
        printf(box == 2 ? "%lu" : " %lu", figure);
    }
    printf("\n");
    XDestroyImage(image);
    XCloseDisplay(display);
    return 0;
}
