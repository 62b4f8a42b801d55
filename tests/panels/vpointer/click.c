// Moves a virtual pointer to X,Y of a WxH screen and clicks BUTTON there
// (272 left, 273 right; 0 only moves), for compositors that have no other
// input device.
// Usage: click X Y W H BUTTON
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>
#include <wayland-client.h>
#include "virtual-pointer-client.h"

static struct zwlr_virtual_pointer_manager_v1* manager;

static void global(void* data, struct wl_registry* registry, uint32_t name, const char* interface,
                   uint32_t version) {
    (void)data, (void)version;
    if (strcmp(interface, zwlr_virtual_pointer_manager_v1_interface.name) == 0)
        manager = wl_registry_bind(registry, name, &zwlr_virtual_pointer_manager_v1_interface, 1);
}
static void global_remove(void* data, struct wl_registry* registry, uint32_t name) {
    (void)data, (void)registry, (void)name;
}
static const struct wl_registry_listener listener = {global, global_remove};

int main(int argc, char** argv) {
    if (argc != 6) {
        fprintf(stderr, "usage: click X Y W H BUTTON\n");
        return 2;
    }
    struct wl_display* display = wl_display_connect(NULL);
    if (!display) {
        fprintf(stderr, "click: no Wayland display\n");
        return 1;
    }
    wl_registry_add_listener(wl_display_get_registry(display), &listener, NULL);
    wl_display_roundtrip(display);
    if (!manager) {
        fprintf(stderr, "click: the compositor has no virtual pointers\n");
        return 1;
    }
    struct zwlr_virtual_pointer_v1* pointer =
        zwlr_virtual_pointer_manager_v1_create_virtual_pointer(manager, NULL);
    uint32_t x = atoi(argv[1]), y = atoi(argv[2]), w = atoi(argv[3]), h = atoi(argv[4]);
    uint32_t button = atoi(argv[5]);
    // Menus select the entry under the pointer on its moves, not on its arrival.
    for (int i = 3; i >= 0; i--) {
        zwlr_virtual_pointer_v1_motion_absolute(pointer, 0, x - i, y, w, h);
        zwlr_virtual_pointer_v1_frame(pointer);
        wl_display_roundtrip(display);
        usleep(50000);
    }
    usleep(200000);
    if (button) {
        zwlr_virtual_pointer_v1_button(pointer, 0, button, WL_POINTER_BUTTON_STATE_PRESSED);
        zwlr_virtual_pointer_v1_frame(pointer);
        wl_display_roundtrip(display);
        usleep(100000);
        zwlr_virtual_pointer_v1_button(pointer, 0, button, WL_POINTER_BUTTON_STATE_RELEASED);
        zwlr_virtual_pointer_v1_frame(pointer);
        wl_display_roundtrip(display);
    }
    wl_display_disconnect(display);
    return 0;
}
