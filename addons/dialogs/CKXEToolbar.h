#pragma once
// The editor's tool bar: the common buttons, the part mixer button and the document
// name, at least 300 by 34 pixels. GUI thread.
#include "CTovarToolbar.h"

class CKXEToolbar : public CTovarToolbar
{
    Q_OBJECT
public:
    static constexpr int kMinimumWidth = 300;
    static constexpr int kMinimumHeight = 34;

    CKXEToolbar(QMainWindow* parent, const char* name);

    void CreateButtons() override;
    void ConnectSignals(QObject* receiver) override;

public slots:
    void languageChange() override;

protected:
    QToolButton* m_mixer = nullptr;
};
