#pragma once
// Places widgets made by a factory on a grid inside a new frame: row by row (or
// column by column), a fixed number per row, with fixed spacing. GUI thread.
#include "vantrel_kxe21_utilities_export.h"
#include <QObject>
#include <QPoint>

class QFrame;
class QWidget;

namespace NS_Utilities {

class VANTREL_UTILITIES_EXPORT CGridLayout_VANTREL_KXE : public QObject
{
    Q_OBJECT
public:
    explicit CGridLayout_VANTREL_KXE(QObject* parent = nullptr, const char* name = nullptr);
    ~CGridLayout_VANTREL_KXE() override;

    // A frame child of `parent` at `origin`, holding `count` widgets from
    // createGridWidget, `perRow` to a row (to a column without rowWise), starting at
    // `start` inside the frame. A perRow below 1 puts all widgets in one row.
    QFrame* createGroup(QWidget* parent, const QPoint& origin, int kind, int count, int perRow,
                        int hSpace, int vSpace, bool rowWise, const QPoint& start);
    // The same with the stored settings; a null parent means this object's parent
    // when that is a widget.
    QFrame* createGroup(QWidget* parent = nullptr);

    // Stored settings of createGroup(QWidget*).
    QPoint origin;
    int kind = 0;
    int count = 0;
    int perRow = 1;
    int hSpace = 0;
    int vSpace = 0;
    bool rowWise = true;
    QPoint start;

signals:
    // For every index, also when the factory made nothing.
    void widgetCreated(QWidget* widget);

protected:
    // The widget for a 1-based index at *position inside container, or null.
    virtual QWidget* createGridWidget(QWidget* container, QPoint* position, int index, int kind) = 0;
};

} // namespace NS_Utilities
