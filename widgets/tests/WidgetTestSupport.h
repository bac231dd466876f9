#pragma once
// Helpers of the control tests: small strips registered by name (until the drawn
// artwork is there, and so that a test knows the colour of every frame), mouse
// events with exact global positions, and a fake memory API that records every
// write with its post action.
#include "memapi/tests/fakes/FakeMemAPI.h"
#include "utilities/ImageRegistry.h"
#include "utilities/PixmapUtilities.h"

#include <QApplication>
#include <QColor>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <QTemporaryDir>
#include <QWheelEvent>
#include <QWidget>

namespace NS_WidgetTest {

// The colour of frame `row`, column `column` of a test strip.
inline QRgb frameColour(int row, int column = 0)
{
    return qRgb(8 * row + 4, 250 - 8 * row, 40 + 100 * column);
}

// Registers (once per name) a strip of `columns` x `rows` cells of `cell` pixels, each
// cell filled with frameColour(row, column), and returns its name.
inline QString testStrip(const char* name, QSize cell, int rows, int columns = 1)
{
    static QTemporaryDir dir;
    const QString n = QString::fromLatin1(name);
    if (NS_Utilities::ImageRegistry::contains(n))
        return n;
    QImage image(cell.width() * columns, cell.height() * rows, QImage::Format_ARGB32);
    for (int c = 0; c < columns; ++c)
        for (int r = 0; r < rows; ++r) {
            QPainter painter(&image);
            painter.fillRect(QRect(QPoint(c * cell.width(), r * cell.height()), cell), QColor(frameColour(r, c)));
        }
    const QString path = dir.filePath(n);
    image.save(path, "PNG");
    NS_Utilities::ImageRegistry::add(n, path, image.size(), rows, columns);
    return n;
}

inline void mouse(QWidget* w, QEvent::Type type, QPointF local, Qt::MouseButton button, Qt::MouseButtons buttons,
                  Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QMouseEvent event(type, local, QPointF(w->mapToGlobal(local)), button, buttons, modifiers);
    QApplication::sendEvent(w, &event);
}

inline void press(QWidget* w, QPointF local, Qt::MouseButton button = Qt::LeftButton,
                  Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    mouse(w, QEvent::MouseButtonPress, local, button, button, modifiers);
}

inline void drag(QWidget* w, QPointF local)
{
    mouse(w, QEvent::MouseMove, local, Qt::NoButton, Qt::LeftButton);
}

inline void release(QWidget* w, QPointF local, Qt::MouseButton button = Qt::LeftButton)
{
    mouse(w, QEvent::MouseButtonRelease, local, button, Qt::NoButton);
}

inline void wheel(QWidget* w, int delta, QPointF local = QPointF(2, 2))
{
    QWheelEvent event(local, QPointF(w->mapToGlobal(local)), QPoint(), QPoint(0, delta), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(w, &event);
}

// The fake memory API with the post action of every write recorded too.
class RecordingMemAPI : public FakeMemAPI
{
public:
    QVector<int> actions;
    int32_t MAPI_setIndParam(short e, short p, short c, int value, unsigned int flags, EPostAction action) override
    {
        // Before the call, so that the actions of writes made from its alerts follow.
        actions.push_back(int(action));
        return FakeMemAPI::MAPI_setIndParam(e, p, c, value, flags, action);
    }
};

// Typed numbers through a table times ten, with the tables asked and the undo saves
// recorded.
class NumberTableMemAPI : public RecordingMemAPI
{
public:
    QVector<TMemProxy_VANTREL_KXE*> undoSaved;
    QVector<int> floatTables;

    float MAPI_getIndFloatParam(int table, float number, int) override
    {
        floatTables.push_back(table);
        return number * 10;
    }
    int32_t MAPI_save4undo(TMemProxy_VANTREL_KXE* proxy) override
    {
        undoSaved.push_back(proxy);
        return 0;
    }
};

} // namespace NS_WidgetTest
