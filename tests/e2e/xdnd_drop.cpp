// xdnd_drop: drops files on an X window as a person's drag from a file manager would, for the tests
// of programs under Wine (a WM_DROPFILES posted from another process is no drop there).
//
//   xdnd_drop [--window-id ID | --window-name TITLE] --at X Y [--timeout MS] FILE...
//
// X Y are root-window coordinates (under the rig's Wine, its screen coordinates). Without a window the
// target is the drop-aware window under the point. Exit 0 once the target took the drop and said it
// finished; 1 with a message on stderr when there is no drop-aware window, the target refuses, or it
// does not answer within MS milliseconds (default 5000) at any step; 2 for a wrong command line.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <poll.h>
#include <time.h>
#include <unistd.h>

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace {

constexpr long kVersion = 5;

struct Failure {
    std::string message;
};

struct Atoms {
    Atom aware, selection, enter, position, status, drop, leave, finished, actionCopy, uriList, targets, utf8,
        netWmName, timestampProperty;

    explicit Atoms(Display* display) {
        auto atom = [display](const char* name) { return XInternAtom(display, name, False); };
        aware = atom("XdndAware");
        selection = atom("XdndSelection");
        enter = atom("XdndEnter");
        position = atom("XdndPosition");
        status = atom("XdndStatus");
        drop = atom("XdndDrop");
        leave = atom("XdndLeave");
        finished = atom("XdndFinished");
        actionCopy = atom("XdndActionCopy");
        uriList = atom("text/uri-list");
        targets = atom("TARGETS");
        utf8 = atom("UTF8_STRING");
        netWmName = atom("_NET_WM_NAME");
        timestampProperty = atom("XDND_DROP_TIMESTAMP");
    }
};

int lastXError = 0;

int RecordXError(Display*, XErrorEvent* event) {
    lastXError = event->error_code;
    return 0;
}

long NowMs() {
    timespec now = {};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return now.tv_sec * 1000L + now.tv_nsec / 1000000L;
}

// "file://" and the absolute path, every byte outside the unreserved characters percent-encoded, so
// blanks and any UTF-8 name come through as they are.
std::string FileUri(const std::string& path) {
    std::string absolute = path;
    if (absolute.empty() || absolute[0] != '/') {
        char cwd[4096];
        if (getcwd(cwd, sizeof(cwd)) == nullptr)
            throw Failure{"cannot read the current folder"};
        absolute = std::string(cwd) + "/" + path;
    }
    std::string uri = "file://";
    for (unsigned char c : absolute) {
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
        if (plain || (c != 0 && strchr("/-._~", c) != nullptr)) {
            uri += static_cast<char>(c);
        } else {
            char escaped[4];
            snprintf(escaped, sizeof(escaped), "%%%02X", c);
            uri += escaped;
        }
    }
    return uri;
}

long XdndVersionOf(Display* display, const Atoms& atoms, Window window) {
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    long version = -1;
    if (XGetWindowProperty(display, window, atoms.aware, 0, 1, False, XA_ATOM, &type, &format, &count, &after, &data) ==
            Success &&
        type == XA_ATOM && format == 32 && count == 1) {
        version = static_cast<long>(*reinterpret_cast<Atom*>(data));
    }
    if (data)
        XFree(data);
    return version;
}

std::string NameOf(Display* display, const Atoms& atoms, Window window) {
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    std::string name;
    if (XGetWindowProperty(display, window, atoms.netWmName, 0, 4096, False, atoms.utf8, &type, &format, &count, &after,
                           &data) == Success &&
        type == atoms.utf8 && format == 8) {
        name.assign(reinterpret_cast<char*>(data), count);
        XFree(data);
        return name;
    }
    if (data)
        XFree(data);
    XTextProperty text = {};
    if (XGetWMName(display, window, &text) && text.value) {
        char** list = nullptr;
        int items = 0;
        if (Xutf8TextPropertyToTextList(display, &text, &list, &items) >= Success && items > 0)
            name = list[0];
        if (list)
            XFreeStringList(list);
        XFree(text.value);
    }
    return name;
}

// The first drop-aware window named `title`, searched breadth-first below the root (bounded).
Window FindByName(Display* display, const Atoms& atoms, const std::string& title) {
    std::vector<Window> queue = {DefaultRootWindow(display)};
    for (size_t next = 0; next < queue.size() && next < 20000; ++next) {
        Window window = queue[next];
        if (next > 0 && NameOf(display, atoms, window) == title && XdndVersionOf(display, atoms, window) >= 0)
            return window;
        Window root = 0, parent = 0, *children = nullptr;
        unsigned int count = 0;
        if (XQueryTree(display, window, &root, &parent, &children, &count)) {
            queue.insert(queue.end(), children, children + count);
            if (children)
                XFree(children);
        }
    }
    throw Failure{"no drop-aware window named '" + title + "'"};
}

// The drop-aware window under the point, as a drag finds it: from the root down through the mapped
// windows that hold it.
Window FindAt(Display* display, const Atoms& atoms, int x, int y) {
    Window root = DefaultRootWindow(display);
    Window window = root;
    for (int depth = 0; depth < 64; ++depth) {
        Window child = None;
        int childX = 0, childY = 0;
        if (!XTranslateCoordinates(display, root, window, x, y, &childX, &childY, &child) || child == None)
            break;
        window = child;
        if (XdndVersionOf(display, atoms, window) >= 0)
            return window;
    }
    throw Failure{"no drop-aware window at " + std::to_string(x) + "," + std::to_string(y)};
}

class DragSource {
  public:
    DragSource(Display* display, const Atoms& atoms, Window target, std::string uriList, long timeoutMs)
        : display_(display), atoms_(atoms), target_(target), uriList_(std::move(uriList)), timeoutMs_(timeoutMs) {
        Window root = DefaultRootWindow(display);
        source_ = XCreateSimpleWindow(display, root, -10, -10, 1, 1, 0, 0, 0);
        XSelectInput(display, source_, PropertyChangeMask);
    }
    ~DragSource() { XDestroyWindow(display_, source_); }

    void Drop(int x, int y) {
        lastXError = 0;
        long version = XdndVersionOf(display_, atoms_, target_);
        if (lastXError == BadWindow)
            throw Failure{"there is no window " + Hex(target_)};
        if (version < 0)
            throw Failure{"the window " + Hex(target_) + " takes no drops (no XdndAware)"};
        if (version > kVersion)
            version = kVersion;
        time_ = ServerTime();
        XSetSelectionOwner(display_, atoms_.selection, source_, time_);
        if (XGetSelectionOwner(display_, atoms_.selection) != source_)
            throw Failure{"cannot own the drag selection"};

        // The target may read the data as early as the enter message: requests are answered throughout.
        Send(atoms_.enter, {static_cast<long>(source_), version << 24, static_cast<long>(atoms_.uriList), 0, 0});
        Send(atoms_.position, {static_cast<long>(source_), 0, (static_cast<long>(x) << 16) | (y & 0xFFFF),
                               static_cast<long>(time_), static_cast<long>(atoms_.actionCopy)});
        XClientMessageEvent status = Await(atoms_.status, "a status after the position");
        if (!(status.data.l[1] & 1)) {
            Send(atoms_.leave, {static_cast<long>(source_), 0, 0, 0, 0});
            XFlush(display_);
            throw Failure{"the window " + Hex(target_) + " refuses the drop at " + std::to_string(x) + "," +
                          std::to_string(y)};
        }
        Send(atoms_.drop, {static_cast<long>(source_), 0, static_cast<long>(time_), 0, 0});
        XClientMessageEvent finished = Await(atoms_.finished, "the end of the drop");
        if (version >= 5 && !(finished.data.l[1] & 1))
            throw Failure{"the window " + Hex(target_) + " finished without taking the drop"};
    }

  private:
    static std::string Hex(Window window) {
        char text[32];
        snprintf(text, sizeof(text), "0x%lx", window);
        return text;
    }

    // A server timestamp for the selection: the time of a property change of our own.
    Time ServerTime() {
        unsigned char none = 0;
        XChangeProperty(display_, source_, atoms_.timestampProperty, XA_STRING, 8, PropModeReplace, &none, 0);
        XEvent event;
        if (!WaitFor(
                [&](XEvent& e) { return e.type == PropertyNotify && e.xproperty.atom == atoms_.timestampProperty; },
                event)) {
            throw Failure{"the X server did not report a property change"};
        }
        return event.xproperty.time;
    }

    void Send(Atom type, const std::vector<long>& data) {
        XEvent event = {};
        event.xclient.type = ClientMessage;
        event.xclient.display = display_;
        event.xclient.window = target_;
        event.xclient.message_type = type;
        event.xclient.format = 32;
        for (size_t n = 0; n < data.size() && n < 5; ++n)
            event.xclient.data.l[n] = data[n];
        lastXError = 0;
        XSendEvent(display_, target_, False, NoEventMask, &event);
        XSync(display_, False);
        if (lastXError != 0)
            throw Failure{"the window " + Hex(target_) + " is gone (X error " + std::to_string(lastXError) + ")"};
    }

    XClientMessageEvent Await(Atom type, const char* what) {
        XEvent event;
        if (!WaitFor(
                [&](XEvent& e) {
                    return e.type == ClientMessage && e.xclient.message_type == type &&
                           static_cast<Window>(e.xclient.data.l[0]) == target_;
                },
                event)) {
            throw Failure{"the window " + Hex(target_) + " sent no " + what + " within " + std::to_string(timeoutMs_) +
                          " ms"};
        }
        return event.xclient;
    }

    // Handles events (answering selection requests) until `wanted` matches one; false on timeout.
    bool WaitFor(const std::function<bool(XEvent&)>& wanted, XEvent& event) {
        const long deadline = NowMs() + timeoutMs_;
        for (;;) {
            while (XPending(display_) > 0) {
                XNextEvent(display_, &event);
                if (event.type == SelectionRequest)
                    Answer(event.xselectionrequest);
                else if (wanted(event))
                    return true;
            }
            const long left = deadline - NowMs();
            if (left <= 0)
                return false;
            pollfd connection = {ConnectionNumber(display_), POLLIN, 0};
            (void)poll(&connection, 1, static_cast<int>(left < 100 ? left : 100));
        }
    }

    void Answer(const XSelectionRequestEvent& request) {
        XEvent reply = {};
        reply.xselection.type = SelectionNotify;
        reply.xselection.display = display_;
        reply.xselection.requestor = request.requestor;
        reply.xselection.selection = request.selection;
        reply.xselection.target = request.target;
        reply.xselection.time = request.time;
        // Older clients name no property: the target's name is the property then.
        Atom property = request.property != None ? request.property : request.target;
        reply.xselection.property = None;
        if (request.selection == atoms_.selection && request.target == atoms_.targets) {
            Atom offered[] = {atoms_.targets, atoms_.uriList};
            XChangeProperty(display_, request.requestor, property, XA_ATOM, 32, PropModeReplace,
                            reinterpret_cast<unsigned char*>(offered), 2);
            reply.xselection.property = property;
        } else if (request.selection == atoms_.selection && request.target == atoms_.uriList) {
            XChangeProperty(display_, request.requestor, property, atoms_.uriList, 8, PropModeReplace,
                            reinterpret_cast<const unsigned char*>(uriList_.data()), static_cast<int>(uriList_.size()));
            reply.xselection.property = property;
        }
        XSendEvent(display_, request.requestor, False, NoEventMask, &reply);
        XFlush(display_);
    }

    Display* display_;
    const Atoms& atoms_;
    Window target_;
    Window source_ = None;
    std::string uriList_;
    long timeoutMs_;
    Time time_ = CurrentTime;
};

int Usage(const char* message) {
    fprintf(stderr,
            "xdnd_drop: %s\n"
            "usage: xdnd_drop [--window-id ID | --window-name TITLE] --at X Y [--timeout MS] FILE...\n"
            "  X Y in root-window coordinates; without a window, the drop-aware window under the point\n",
            message);
    return 2;
}

bool ParseNumber(const char* text, long& value) {
    char* end = nullptr;
    value = strtol(text, &end, 0);
    return end != text && *end == '\0';
}

}  // namespace

int main(int argc, char** argv) {
    setlocale(LC_ALL, "");
    long windowId = 0, x = 0, y = 0, timeoutMs = 5000;
    bool haveWindowId = false, havePoint = false;
    const char* windowName = nullptr;
    std::vector<std::string> files;
    for (int n = 1; n < argc; ++n) {
        std::string word = argv[n];
        if (word == "--window-id" && n + 1 < argc) {
            if (!ParseNumber(argv[++n], windowId))
                return Usage("--window-id takes a number (0x... for hex)");
            haveWindowId = true;
        } else if (word == "--window-name" && n + 1 < argc) {
            windowName = argv[++n];
        } else if (word == "--at" && n + 2 < argc) {
            if (!ParseNumber(argv[n + 1], x) || !ParseNumber(argv[n + 2], y) || x < 0 || y < 0 || x > 0x7FFF ||
                y > 0x7FFF) {
                return Usage("--at takes two coordinates of the screen");
            }
            n += 2;
            havePoint = true;
        } else if (word == "--timeout" && n + 1 < argc) {
            if (!ParseNumber(argv[++n], timeoutMs) || timeoutMs <= 0 || timeoutMs > 600000)
                return Usage("--timeout takes milliseconds");
        } else if (word == "--") {
            files.insert(files.end(), argv + n + 1, argv + argc);
            break;
        } else if (word.rfind("--", 0) == 0) {
            return Usage(("unknown or incomplete option " + word).c_str());
        } else {
            files.push_back(word);
        }
    }
    if (!havePoint)
        return Usage("--at X Y is missing");
    if (files.empty())
        return Usage("no files to drop");
    if (haveWindowId && windowName)
        return Usage("--window-id and --window-name exclude each other");

    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        fprintf(stderr, "xdnd_drop: cannot open the display '%s'\n", getenv("DISPLAY") ? getenv("DISPLAY") : "");
        return 1;
    }
    XSetErrorHandler(RecordXError);
    int status = 0;
    try {
        Atoms atoms(display);
        std::string uriList;
        for (const std::string& file : files)
            uriList += FileUri(file) + "\r\n";
        Window target = haveWindowId ? static_cast<Window>(windowId)
                        : windowName ? FindByName(display, atoms, windowName)
                                     : FindAt(display, atoms, static_cast<int>(x), static_cast<int>(y));
        DragSource(display, atoms, target, uriList, timeoutMs).Drop(static_cast<int>(x), static_cast<int>(y));
        printf("dropped %zu file%s on window 0x%lx at %ld,%ld\n", files.size(), files.size() == 1 ? "" : "s", target, x,
               y);
    } catch (const Failure& failure) {
        fprintf(stderr, "xdnd_drop: %s\n", failure.message.c_str());
        status = 1;
    }
    XCloseDisplay(display);
    return status;
}
