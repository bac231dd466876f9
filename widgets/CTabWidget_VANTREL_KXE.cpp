#include "widgets/CTabWidget_VANTREL_KXE.h"

CTabWidget_VANTREL_KXE::CTabWidget_VANTREL_KXE(QWidget* parent, const char* name,
                                               Qt::WindowFlags flags)
    : QTabWidget(parent)
{
    if (name)
        setObjectName(QString::fromLatin1(name));
    if (flags)
        setWindowFlags(flags);
}
