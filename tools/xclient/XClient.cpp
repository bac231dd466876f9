#include "XClient.h"
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>

namespace {

Display* dpy(void* display)
{
    return static_cast<Display*>(display);
}

// Windows come and go while they are looked at: a request on one that has just gone
// fails, and its caller sees the failure, rather than Xlib ending the process.
int ignoreError(Display*, XErrorEvent*)
{
    return 0;
}

} // namespace

XClient::XClient(const QString& display)
{
    XSetErrorHandler(&ignoreError);
    m_display = XOpenDisplay(display.toLocal8Bit().constData());
}

XClient::~XClient()
{
    if (m_display)
        XCloseDisplay(dpy(m_display));
}

bool XClient::hasXTest() const
{
    int event = 0, error = 0, major = 0, minor = 0;
    return XTestQueryExtension(dpy(m_display), &event, &error, &major, &minor);
}

QList<XClient::WindowId> XClient::shownTopLevels() const
{
    Display* d = dpy(m_display);
    Window root = 0, parent = 0;
    Window* children = nullptr;
    unsigned int count = 0;
    QList<WindowId> shown;
    if (!XQueryTree(d, DefaultRootWindow(d), &root, &parent, &children, &count))
        return shown;
    for (unsigned int i = 0; i < count; ++i) {
        XWindowAttributes attributes{};
        if (XGetWindowAttributes(d, children[i], &attributes) && attributes.map_state == IsViewable)
            shown << children[i];
    }
    if (children)
        XFree(children);
    return shown;
}

QString XClient::title(WindowId window) const
{
    Display* d = dpy(m_display);
    const Atom netName = XInternAtom(d, "_NET_WM_NAME", False);
    const Atom utf8 = XInternAtom(d, "UTF8_STRING", False);
    Atom type = 0;
    int format = 0;
    unsigned long items = 0, after = 0;
    unsigned char* data = nullptr;
    QString text;
    if (XGetWindowProperty(d, window, netName, 0, 1024, False, utf8, &type, &format, &items, &after, &data)
            == Success
        && data && type == utf8)
        text = QString::fromUtf8(reinterpret_cast<const char*>(data), int(items));
    if (data)
        XFree(data);
    if (text.isEmpty()) {
        char* name = nullptr;
        if (XFetchName(d, window, &name) && name)
            text = QString::fromLocal8Bit(name);
        if (name)
            XFree(name);
    }
    return text;
}

QPoint XClient::origin(WindowId window) const
{
    Display* d = dpy(m_display);
    int x = 0, y = 0;
    Window child = 0;
    XTranslateCoordinates(d, window, DefaultRootWindow(d), 0, 0, &x, &y, &child);
    return QPoint(x, y);
}

QSize XClient::size(WindowId window) const
{
    XWindowAttributes attributes{};
    if (!XGetWindowAttributes(dpy(m_display), window, &attributes))
        return QSize();
    return QSize(attributes.width, attributes.height);
}

QImage XClient::capture(WindowId window) const
{
    Display* d = dpy(m_display);
    const QSize extent = size(window);
    if (extent.isEmpty())
        return QImage();
    XImage* image = XGetImage(d, window, 0, 0, unsigned(extent.width()), unsigned(extent.height()), AllPlanes,
                              ZPixmap);
    if (!image)
        return QImage();
    QImage picture(extent, QImage::Format_RGB32);
    for (int y = 0; y < extent.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(picture.scanLine(y));
        for (int x = 0; x < extent.width(); ++x) {
            const unsigned long pixel = XGetPixel(image, x, y);
            line[x] = qRgb(int((pixel & image->red_mask) >> 16), int((pixel & image->green_mask) >> 8),
                           int(pixel & image->blue_mask));
        }
    }
    XDestroyImage(image);
    return picture;
}

XClient::WindowId XClient::inputFocus() const
{
    Window focus = 0;
    int revertTo = 0;
    XGetInputFocus(dpy(m_display), &focus, &revertTo);
    return focus;
}

void XClient::setFillColour(WindowId window, QRgb colour)
{
    Display* d = dpy(m_display);
    XSetWindowBackground(d, window, colour & 0xFFFFFF);
    XFlush(d);
}

void XClient::resize(WindowId window, const QSize& size)
{
    Display* d = dpy(m_display);
    XResizeWindow(d, window, unsigned(size.width()), unsigned(size.height()));
    XFlush(d);
}

void XClient::requestClose(WindowId window)
{
    Display* d = dpy(m_display);
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(d, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = long(XInternAtom(d, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(d, window, False, NoEventMask, &event);
    XFlush(d);
}

void XClient::movePointer(const QPoint& at)
{
    Display* d = dpy(m_display);
    XTestFakeMotionEvent(d, DefaultScreen(d), at.x(), at.y(), CurrentTime);
    XFlush(d);
}

void XClient::pressButton(bool down)
{
    Display* d = dpy(m_display);
    XTestFakeButtonEvent(d, 1, down ? True : False, CurrentTime);
    XFlush(d);
}

void XClient::key(const QString& name, bool down)
{
    Display* d = dpy(m_display);
    const KeySym symbol = XStringToKeysym(name.toLatin1().constData());
    const KeyCode code = symbol == NoSymbol ? 0 : XKeysymToKeycode(d, symbol);
    if (code)
        XTestFakeKeyEvent(d, code, down ? True : False, CurrentTime);
}

void XClient::typeKey(const QString& name, const QStringList& modifiers)
{
    for (const QString& modifier : modifiers)
        key(modifier, true);
    key(name, true);
    key(name, false);
    for (auto it = modifiers.rbegin(); it != modifiers.rend(); ++it)
        key(*it, false);
    XFlush(dpy(m_display));
}

void XClient::sync() const
{
    XSync(dpy(m_display), False);
}
