/* xdnd-drop WINDOW-NAME FILE...: drops files on the X window of that name as a file manager does, through
 * the XDND protocol (version 5): it takes the drag selection, enters the window at its centre, and on the
 * window's answer drops there, handing the files over as a text/uri-list when the window asks for them.
 * Exits 0 when the window took the drop, 1 when it refused it, 2 on any other trouble (no such window, no
 * answer within ten seconds). Used by the tests of the main windows; Xlib only. */
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <poll.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

static Display* display;
static Atom xdndAware, xdndEnter, xdndPosition, xdndStatus, xdndDrop, xdndFinished, xdndLeave, xdndSelection,
    xdndActionCopy, uriList, targets;

/* The visible window named `name` below `window`, or None. */
static Window findNamed(Window window, const char* name)
{
    char* own = NULL;
    XWindowAttributes attributes;
    if (XFetchName(display, window, &own) && own != NULL) {
        const int same = strcmp(own, name) == 0;
        XFree(own);
        if (same && XGetWindowAttributes(display, window, &attributes) && attributes.map_state == IsViewable)
            return window;
    }
    Window root, parent, *children = NULL;
    unsigned int count = 0;
    Window found = None;
    if (XQueryTree(display, window, &root, &parent, &children, &count)) {
        for (unsigned int i = count; i-- > 0 && found == None;)
            found = findNamed(children[i], name);
        if (children != NULL)
            XFree(children);
    }
    return found;
}

/* The window that takes drops for `window`: itself or the nearest ancestor that says it is XDND-aware. */
static Window awareWindow(Window window)
{
    while (window != None) {
        Atom type;
        int format;
        unsigned long items, after;
        unsigned char* data = NULL;
        if (XGetWindowProperty(
                display, window, xdndAware, 0, 1, False, AnyPropertyType, &type, &format, &items, &after, &data)
                == Success
            && data != NULL) {
            XFree(data);
            if (items > 0)
                return window;
        }
        Window root, parent, *children = NULL;
        unsigned int count = 0;
        if (!XQueryTree(display, window, &root, &parent, &children, &count))
            return None;
        if (children != NULL)
            XFree(children);
        window = parent == root ? None : parent;
    }
    return None;
}

static void sendMessage(Window target, Atom type, long l0, long l1, long l2, long l3, long l4)
{
    XEvent event;
    memset(&event, 0, sizeof(event));
    event.xclient.type = ClientMessage;
    event.xclient.display = display;
    event.xclient.window = target;
    event.xclient.message_type = type;
    event.xclient.format = 32;
    event.xclient.data.l[0] = l0;
    event.xclient.data.l[1] = l1;
    event.xclient.data.l[2] = l2;
    event.xclient.data.l[3] = l3;
    event.xclient.data.l[4] = l4;
    XSendEvent(display, target, False, NoEventMask, &event);
    XFlush(display);
}

/* "file://" and the path, each byte that is not plain in a URI written as %XX. */
static void appendUri(char** list, size_t* length, const char* path)
{
    char absolute[4096];
    if (path[0] != '/' && realpath(path, absolute) != NULL)
        path = absolute;
    *list = realloc(*list, *length + 7 + 3 * strlen(path) + 3);
    *length += (size_t)sprintf(*list + *length, "file://");
    for (const unsigned char* c = (const unsigned char*)path; *c; ++c) {
        if ((*c >= 'a' && *c <= 'z') || (*c >= 'A' && *c <= 'Z') || (*c >= '0' && *c <= '9') || strchr("/-_.~", *c))
            (*list)[(*length)++] = (char)*c;
        else
            *length += (size_t)sprintf(*list + *length, "%%%02X", *c);
    }
    (*list)[(*length)++] = '\r';
    (*list)[(*length)++] = '\n';
    (*list)[*length] = '\0';
}

/* Answers a request for the drag selection: the list of files, or the kinds of data it can give. */
static void answerRequest(const XSelectionRequestEvent* request, const char* list, size_t length)
{
    XEvent reply;
    memset(&reply, 0, sizeof(reply));
    reply.xselection.type = SelectionNotify;
    reply.xselection.display = request->display;
    reply.xselection.requestor = request->requestor;
    reply.xselection.selection = request->selection;
    reply.xselection.target = request->target;
    reply.xselection.time = request->time;
    reply.xselection.property = None;
    const Atom property = request->property != None ? request->property : request->target;
    if (request->target == uriList) {
        XChangeProperty(display,
            request->requestor,
            property,
            uriList,
            8,
            PropModeReplace,
            (const unsigned char*)list,
            (int)length);
        reply.xselection.property = property;
    } else if (request->target == targets) {
        const Atom offered[] = { targets, uriList };
        XChangeProperty(
            display, request->requestor, property, XA_ATOM, 32, PropModeReplace, (const unsigned char*)offered, 2);
        reply.xselection.property = property;
    }
    XSendEvent(display, request->requestor, False, NoEventMask, &reply);
    XFlush(display);
}

/* The next event for up to the time left until `deadline`; False when none came. */
static int nextEvent(XEvent* event, time_t deadline)
{
    while (!XPending(display)) {
        if (time(NULL) > deadline)
            return 0;
        struct pollfd wait = { ConnectionNumber(display), POLLIN, 0 };
        poll(&wait, 1, 100);
    }
    XNextEvent(display, event);
    return 1;
}

int main(int argc, char** argv)
{
    if (argc < 3) {
        fprintf(stderr, "usage: xdnd-drop WINDOW-NAME FILE...\n");
        return 2;
    }
    display = XOpenDisplay(NULL);
    if (display == NULL) {
        fprintf(stderr, "xdnd-drop: cannot open the display\n");
        return 2;
    }
    xdndAware = XInternAtom(display, "XdndAware", False);
    xdndEnter = XInternAtom(display, "XdndEnter", False);
    xdndPosition = XInternAtom(display, "XdndPosition", False);
    xdndStatus = XInternAtom(display, "XdndStatus", False);
    xdndDrop = XInternAtom(display, "XdndDrop", False);
    xdndFinished = XInternAtom(display, "XdndFinished", False);
    xdndLeave = XInternAtom(display, "XdndLeave", False);
    xdndSelection = XInternAtom(display, "XdndSelection", False);
    xdndActionCopy = XInternAtom(display, "XdndActionCopy", False);
    uriList = XInternAtom(display, "text/uri-list", False);
    targets = XInternAtom(display, "TARGETS", False);

    const Window root = DefaultRootWindow(display);
    const Window named = findNamed(root, argv[1]);
    const Window target = named != None ? awareWindow(named) : None;
    if (target == None) {
        fprintf(stderr, "xdnd-drop: no window named '%s' that takes drops\n", argv[1]);
        return 2;
    }
    char* list = NULL;
    size_t length = 0;
    for (int i = 2; i < argc; ++i)
        appendUri(&list, &length, argv[i]);

    const Window source = XCreateSimpleWindow(display, root, 0, 0, 1, 1, 0, 0, 0);
    XSetSelectionOwner(display, xdndSelection, source, CurrentTime);
    XWindowAttributes attributes;
    XGetWindowAttributes(display, named, &attributes);
    int x = 0, y = 0;
    Window child;
    XTranslateCoordinates(display, named, root, attributes.width / 2, attributes.height / 2, &x, &y, &child);

    sendMessage(target, xdndEnter, (long)source, 5L << 24, (long)uriList, None, None);
    sendMessage(target, xdndPosition, (long)source, 0, ((long)x << 16) | y, CurrentTime, (long)xdndActionCopy);

    const time_t deadline = time(NULL) + 10;
    int dropped = 0;
    XEvent event;
    while (nextEvent(&event, deadline)) {
        if (event.type == SelectionRequest) {
            answerRequest(&event.xselectionrequest, list, length);
        } else if (event.type == ClientMessage && event.xclient.message_type == xdndStatus && !dropped) {
            if (!(event.xclient.data.l[1] & 1)) {
                sendMessage(target, xdndLeave, (long)source, 0, 0, 0, 0);
                fprintf(stderr, "xdnd-drop: the window refused the drop\n");
                return 1;
            }
            sendMessage(target, xdndDrop, (long)source, 0, CurrentTime, 0, 0);
            dropped = 1;
        } else if (event.type == ClientMessage && event.xclient.message_type == xdndFinished) {
            // Version 5 says in its second word whether the window took the drop.
            return (event.xclient.data.l[1] & 1) ? 0 : 1;
        }
    }
    fprintf(stderr, "xdnd-drop: no answer from the window\n");
    return 2;
}
