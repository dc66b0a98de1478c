/* Two monitors side by side for the tests, on one virtual X display: a stand-in for the
 * Xinerama client library that reports the display's two halves as two screens. Wine asks
 * Xinerama for the monitors when the display has no RandR (the runner starts Xvfb without it),
 * so the programs see two real monitors through EnumDisplayMonitors, MonitorFromPoint and the
 * virtual-screen metrics. Built and used by cmake/wine-run.sh when MORAVEL_MONITORS=2. The
 * layout is fixed: 1024 x 768 at (0, 0) and 1024 x 768 at (1024, 0). */
#include <stdlib.h>

typedef struct _XDisplay Display;
typedef int Bool;
typedef int Status;

typedef struct {
    int screen_number;
    short x_org;
    short y_org;
    short width;
    short height;
} XineramaScreenInfo;

Bool XineramaQueryExtension(Display *display, int *event_base, int *error_base) {
    (void)display;
    *event_base = 0;
    *error_base = 0;
    return 1;
}

Status XineramaQueryVersion(Display *display, int *major, int *minor) {
    (void)display;
    *major = 1;
    *minor = 1;
    return 1;
}

Bool XineramaIsActive(Display *display) {
    (void)display;
    return 1;
}

/* The caller frees the array with XFree, which is free() for memory from malloc. */
XineramaScreenInfo *XineramaQueryScreens(Display *display, int *count) {
    (void)display;
    XineramaScreenInfo *screens = malloc(2 * sizeof *screens);
    if (!screens) {
        *count = 0;
        return NULL;
    }
    screens[0] = (XineramaScreenInfo){0, 0, 0, 1024, 768};
    screens[1] = (XineramaScreenInfo){1, 1024, 0, 1024, 768};
    *count = 2;
    return screens;
}
