#pragma once
// A notifier kept inside a value range, stepping up and down; inactive, it neither
// reads nor writes memory.
#include "memapi/CSimpleNotifier_VANTREL_KXE.h"

class VANTREL_MEMAPI_EXPORT CValueRangeProxy_VANTREL_KXE : public CSimpleNotifier_VANTREL_KXE
{
    Q_OBJECT
public:
    explicit CValueRangeProxy_VANTREL_KXE(QObject* parent = nullptr, const char* name = nullptr);
    // Values from l to r - 1.
    void setRange(int l, int r);
    int lower() const { return m_lower; }
    int upper() const { return m_upper; }
    int clipWithinRange(int value) override;
    bool inActiveMode() override { return m_active; }
    void enableActiveMode() { m_active = true; }
    void disableActiveMode() { m_active = false; }
    void connectMemAPI() override;

public slots:
    void incValue();
    void decValue();

private:
    int m_lower = 0;
    int m_upper = 0;
    bool m_active = true;
    bool m_rangeSet = false;
};
