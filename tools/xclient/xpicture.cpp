// Writes the picture of a window as the X server shows it, once it is the only window
// shown, into a PNG file; then asks it to close as a window manager does.
//   vantrel_xpicture DISPLAY TITLE FILE
// Status 0 when the picture was written; 1 when no such window came alone within a
// minute or the file could not be written; 64 for wrong arguments.
#include "XClient.h"
#include <QString>
#include <chrono>
#include <cstdio>
#include <thread>

int main(int argc, char** argv)
{
    if (argc != 4) {
        std::fputs("usage: vantrel_xpicture DISPLAY TITLE FILE\n", stderr);
        return 64;
    }
    const QString title = QString::fromLocal8Bit(argv[2]);
    const QString file = QString::fromLocal8Bit(argv[3]);
    XClient x(QString::fromLocal8Bit(argv[1]));
    if (!x.isOpen()) {
        std::fprintf(stderr, "vantrel_xpicture: no connection to %s\n", argv[1]);
        return 1;
    }
    // Out of the window's way, so that nothing in it is hovered.
    if (x.hasXTest())
        x.movePointer(QPoint(0, 0));
    const auto end = std::chrono::steady_clock::now() + std::chrono::minutes(1);
    while (std::chrono::steady_clock::now() < end) {
        const QList<XClient::WindowId> shown = x.shownTopLevels();
        if (shown.size() == 1 && x.title(shown.front()) == title) {
            // Taken when two looks a moment apart agree: the program has done painting.
            const QImage picture = x.capture(shown.front());
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
            if (picture.isNull() || picture != x.capture(shown.front()))
                continue;
            if (!picture.save(file)) {
                std::fprintf(stderr, "vantrel_xpicture: cannot write %s\n", argv[3]);
                return 1;
            }
            x.requestClose(shown.front());
            x.sync();
            return 0;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    std::fprintf(stderr, "vantrel_xpicture: no window \"%s\" alone on %s\n", argv[2], argv[1]);
    return 1;
}
