#include "CGridLayout_VANTREL_KXE.h"

#include <QFrame>
#include <QWidget>
#include <algorithm>

namespace NS_Utilities {

CGridLayout_VANTREL_KXE::CGridLayout_VANTREL_KXE(QObject* parent, const char* name)
    : QObject(parent)
{
    if (name)
        setObjectName(QString::fromLatin1(name));
}

CGridLayout_VANTREL_KXE::~CGridLayout_VANTREL_KXE() = default;

QFrame* CGridLayout_VANTREL_KXE::createGroup(QWidget* parent)
{
    if (!parent)
        parent = qobject_cast<QWidget*>(this->parent());
    return createGroup(parent, origin, kind, count, perRow, hSpace, vSpace, rowWise, start);
}

QFrame* CGridLayout_VANTREL_KXE::createGroup(QWidget* parent, const QPoint& origin, int kind,
                                             int count, int perRow, int hSpace, int vSpace,
                                             bool rowWise, const QPoint& start)
{
    auto* frame = new QFrame(parent);
    frame->setFrameShadow(QFrame::Plain);
    frame->setLineWidth(0);
    // The per-row count comes from forms: below 1 means one line of everything.
    const int perLine = perRow > 0 ? perRow : std::max(count, 1);

    QPoint position = start;
    int firstLineExtent = 0; // along the filling direction
    bool firstLineDone = false;
    int farEdge = 0; // across it: last position plus last widget's size
    for (int i = 1; i <= count; ++i) {
        QWidget* widget = createGridWidget(frame, &position, i, kind);
        emit widgetCreated(widget);
        if (!widget)
            continue;
        const QSize size = widget->size();
        const int along = rowWise ? position.x() + size.width() : position.y() + size.height();
        farEdge = rowWise ? position.y() + size.height() : position.x() + size.width();
        if (!firstLineDone)
            firstLineExtent = std::max(firstLineExtent, along);
        const bool lineEnds = i % perLine == 0 && i != count;
        if (rowWise) {
            position.rx() += hSpace + size.width();
            if (lineEnds) {
                position.setX(start.x());
                position.ry() += vSpace + size.height();
            }
        } else {
            position.ry() += vSpace + size.height();
            if (lineEnds) {
                position.setY(start.y());
                position.rx() += hSpace + size.width();
            }
        }
        if (i % perLine == 0)
            firstLineDone = true;
    }
    frame->move(origin);
    if (rowWise)
        frame->resize(firstLineExtent, farEdge);
    else
        frame->resize(farEdge, firstLineExtent);
    return frame;
}

} // namespace NS_Utilities
