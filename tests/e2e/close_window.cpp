// Asks a window to close the way a window manager does, with a WM_DELETE_WINDOW message.
//
//   e2e_close_window WINDOW_ID
//
// Under a bare X server (xvfb-run starts no window manager) nothing else sends it:
// "xdotool windowclose" destroys the window behind the program's back, and a key press
// such as alt+F4 is only a key without a window manager to act on it.
#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <cstdio>
#include <cstdlib>
#include <memory>

namespace {

struct DisplayClose {
    void operator()(Display* display) const { XCloseDisplay(display); }
};

bool takesDeleteMessage(Display* display, Window window, Atom deleteWindow) {
    Atom* protocols = nullptr;
    int count = 0;
    if (XGetWMProtocols(display, window, &protocols, &count) == 0) return false;
    bool found = false;
    for (int i = 0; i < count; ++i) found = found || protocols[i] == deleteWindow;
    XFree(protocols);
    return found;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: e2e_close_window WINDOW_ID\n");
        return 2;
    }
    char* end = nullptr;
    const Window window = std::strtoul(argv[1], &end, 0);
    if (end == argv[1] || *end != '\0' || window == 0) {
        std::fprintf(stderr, "e2e_close_window: %s is not a window id\n", argv[1]);
        return 2;
    }
    const std::unique_ptr<Display, DisplayClose> display(XOpenDisplay(nullptr));
    if (!display) {
        std::fprintf(stderr, "e2e_close_window: cannot open the display\n");
        return 1;
    }
    const Atom protocols = XInternAtom(display.get(), "WM_PROTOCOLS", False);
    const Atom deleteWindow = XInternAtom(display.get(), "WM_DELETE_WINDOW", False);
    if (!takesDeleteMessage(display.get(), window, deleteWindow)) {
        std::fprintf(stderr, "e2e_close_window: window %s does not take WM_DELETE_WINDOW\n", argv[1]);
        return 1;
    }

    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = protocols;
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(deleteWindow);
    event.xclient.data.l[1] = CurrentTime;
    if (XSendEvent(display.get(), window, False, NoEventMask, &event) == 0) {
        std::fprintf(stderr, "e2e_close_window: the message could not be sent\n");
        return 1;
    }
    XSync(display.get(), False);
    return 0;
}
