#pragma once
// A tab widget that hands out its tab bar. GUI thread.
#include "vantrel_kxe21_widgets_export.h"
#include <QTabWidget>

class QTabBar;

class VANTREL_WIDGETS_EXPORT CTabWidget_VANTREL_KXE : public QTabWidget
{
    Q_OBJECT
public:
    explicit CTabWidget_VANTREL_KXE(QWidget* parent = nullptr, const char* name = nullptr,
                                    Qt::WindowFlags flags = {});
    QTabBar* getTabBar() const { return tabBar(); }
};
