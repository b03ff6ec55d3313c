// Starts a program and prints how many milliseconds passed until the X server mapped its first
// top-level window, then ends the program. Run on a display without a window manager, so the
// program's own window is the root's child.  Usage: window_shown PROGRAM [ARGUMENTS...]
#include <X11/Xlib.h>
#include <poll.h>
#include <signal.h>
#include <stdio.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

static const int kTimeoutSeconds = 30;

static double secondsNow(void) {
    struct timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return (double)now.tv_sec + (double)now.tv_nsec / 1e9;
}

int main(int argc, char** argv) {
    if (argc < 2) {
        fputs("usage: window_shown PROGRAM [ARGUMENTS...]\n", stderr);
        return 2;
    }
    Display* display = XOpenDisplay(NULL);
    if (!display) {
        fputs("window_shown: no X display\n", stderr);
        return 1;
    }
    XSelectInput(display, DefaultRootWindow(display), SubstructureNotifyMask);
    XSync(display, False);
    const double started = secondsNow();
    const pid_t child = fork();
    if (child == 0) {
        close(ConnectionNumber(display));
        execvp(argv[1], argv + 1);
        _exit(127);
    }
    int shown = 0;
    while (!shown && secondsNow() - started < kTimeoutSeconds) {
        if (XPending(display) == 0) {
            struct pollfd connection = {ConnectionNumber(display), POLLIN, 0};
            poll(&connection, 1, 100);
            continue;
        }
        XEvent event;
        XNextEvent(display, &event);
        shown = event.type == MapNotify && !event.xmap.override_redirect;
    }
    const double elapsed = secondsNow() - started;
    kill(child, SIGTERM);
    waitpid(child, NULL, 0);
    if (!shown) {
        fputs("window_shown: no window within the time allowed\n", stderr);
        return 1;
    }
    printf("%.1f\n", elapsed * 1000);
    return 0;
}
