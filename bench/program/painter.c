/* The floors of a player tick on this machine: a bare X client that wakes
 * every 30 ms and, with "put", also puts a changed strip of pixels as large
 * as the Bio window's two level meters on a mapped window of its own and
 * flushes it. It pays what any program that shows a change per tick pays (the
 * wake-up, one image request, the socket write to the X server) and nothing
 * else.
 *
 *   painter SECONDS wake|put   prints "<CPU us> <wakes>" ($DISPLAY)
 */
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

enum { W = 176, H = 9 };

static double cpu_us(void) {
    struct timespec t;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return t.tv_sec * 1e6 + t.tv_nsec / 1e3;
}

int main(int argc, char** argv) {
    if (argc != 3) {
        fprintf(stderr, "usage: painter SECONDS wake|put\n");
        return 2;
    }
    const int n = (int)(atof(argv[1]) / 0.03);
    const int put = strcmp(argv[2], "put") == 0;
    Display* d = XOpenDisplay(NULL);
    if (!d) {
        fprintf(stderr, "painter: no X display\n");
        return 1;
    }
    Window w = XCreateSimpleWindow(d, DefaultRootWindow(d), 0, 0, W, H, 0, 0, 0);
    XMapWindow(d, w);
    XSync(d, False);
    char* pixels = calloc(W * H, 4);
    XImage* image = XCreateImage(d, DefaultVisual(d, 0), DefaultDepth(d, 0), ZPixmap, 0, pixels, W, H, 32, 0);
    const struct timespec tick = {0, 30000000};
    const double c0 = cpu_us();
    for (int i = 0; i < n; ++i) {
        nanosleep(&tick, NULL);
        if (!put) continue;
        pixels[(i % W) * 4 + 1] = (char)0xff; /* one more lit column each tick */
        XPutImage(d, w, DefaultGC(d, 0), image, 0, 0, 0, 0, W, H);
        XFlush(d);
    }
    printf("%.0f %d\n", cpu_us() - c0, n);
    XDestroyImage(image);
    XCloseDisplay(d);
    return 0;
}
