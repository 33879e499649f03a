/* firstpaint.c: starts a program on the X display and reports, from X events alone,
 * the time from exec to the first frame painted into its window of the given size,
 * and the program's resident memory two seconds after that (FIRSTPAINT_SETTLE
 * seconds, if set), now and at its peak.
 * Usage: firstpaint WIDTH HEIGHT PROGRAM [ARGS...]
 * Prints: "<milliseconds> <resident KiB> <peak resident KiB>". Exit 1 when no frame
 * came within 20 s. */
#define _GNU_SOURCE
#include <xcb/damage.h>
#include <xcb/xcb.h>

#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

static double now_ms(void)
{
    struct timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

/* A "VmRSS" or "VmHWM" figure of /proc/PID/status. */
static long status_kib(pid_t pid, const char *field)
{
    char path[64], line[256], format[32];
    long kib = -1;
    snprintf(path, sizeof path, "/proc/%d/status", (int)pid);
    snprintf(format, sizeof format, "%s: %%ld kB", field);
    FILE *status = fopen(path, "r");
    if (!status)
        return -1;
    while (fgets(line, sizeof line, status))
        if (sscanf(line, format, &kib) == 1)
            break;
    fclose(status);
    return kib;
}

int main(int argc, char **argv)
{
    if (argc < 4) {
        fprintf(stderr, "usage: firstpaint WIDTH HEIGHT PROGRAM [ARGS...]\n");
        return 2;
    }
    const int width = atoi(argv[1]), height = atoi(argv[2]);
    xcb_connection_t *x = xcb_connect(NULL, NULL);
    if (xcb_connection_has_error(x)) {
        fprintf(stderr, "firstpaint: no X display\n");
        return 2;
    }
    const xcb_query_extension_reply_t *damage = xcb_get_extension_data(x, &xcb_damage_id);
    if (!damage || !damage->present) {
        fprintf(stderr, "firstpaint: the X server has no DAMAGE extension\n");
        return 2;
    }
    free(xcb_damage_query_version_reply(x, xcb_damage_query_version(x, 1, 1), NULL));
    xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(x)).data->root;
    const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(x, root, XCB_CW_EVENT_MASK, &mask);
    xcb_flush(x);
    free(xcb_get_input_focus_reply(x, xcb_get_input_focus(x), NULL)); /* the watch is in place */

    const double start = now_ms();
    const pid_t pid = fork();
    if (pid == 0) {
        execvp(argv[3], argv + 3);
        _exit(127);
    }

    /* Watch each new top-level window of the right size from its creation on, so
     * that no drawing into it can come before the watch. */
    double painted = -1;
    while (painted < 0 && now_ms() - start < 20000) {
        xcb_generic_event_t *event = xcb_poll_for_event(x);
        if (!event) {
            if (xcb_connection_has_error(x))
                break;
            usleep(200);
            continue;
        }
        const uint8_t type = event->response_type & 0x7f;
        if (type == XCB_CREATE_NOTIFY) {
            const xcb_create_notify_event_t *created = (const xcb_create_notify_event_t *)event;
            if (created->width == width && created->height == height) {
                xcb_damage_create(x, xcb_generate_id(x), created->window, XCB_DAMAGE_REPORT_LEVEL_NON_EMPTY);
                xcb_flush(x);
            }
        } else if (type == damage->first_event + XCB_DAMAGE_NOTIFY) {
            painted = now_ms() - start;
        }
        free(event);
    }
    int status = 0;
    if (painted < 0) {
        kill(pid, SIGKILL);
        waitpid(pid, &status, 0);
        fprintf(stderr, "firstpaint: no frame within 20 s\n");
        return 1;
    }
    const char *settle = getenv("FIRSTPAINT_SETTLE");
    sleep(settle ? (unsigned)atoi(settle) : 2);
    const long kib = status_kib(pid, "VmRSS"), peak = status_kib(pid, "VmHWM");
    kill(pid, SIGTERM);
    waitpid(pid, &status, 0);
    printf("%.2f %ld %ld\n", painted, kib, peak);
    xcb_disconnect(x);
    return 0;
}
