#pragma once
// The master strip the mixer uses: a language change leaves its texts, choice lists
// and bindings alone. GUI thread.
#include "MasterStrip.h"

class MasterStripEx : public MasterStrip
{
    Q_OBJECT
public:
    MasterStripEx(QWidget* parent = nullptr, const char* name = nullptr, Qt::WindowFlags flags = {})
        : MasterStrip(parent, name, flags)
    {
    }

public slots:
    void languageChange() override {}
};
