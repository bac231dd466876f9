#pragma once
// The channel strip the mixer uses: a language change leaves its texts and bindings
// alone, since the mixer has replaced the part number and the voice texts and
// bound every control to its part. GUI thread.
#include "ChannelStrip.h"

class ChannelStripEx : public ChannelStrip
{
    Q_OBJECT
public:
    ChannelStripEx(QWidget* parent = nullptr, const char* name = nullptr, Qt::WindowFlags flags = {})
        : ChannelStrip(parent, name, flags)
    {
    }

public slots:
    void languageChange() override {}
};
