#pragma once
// A named, reference-counted record that controls of one window could share through
// a TCacheServer. Derived records (a control's private block) are deleted through
// the virtual destructor by whoever owns them.
#include "vantrel_kxe21_widgets_export.h"
#include <QString>

class VANTREL_WIDGETS_EXPORT TCachedData
{
public:
    TCachedData();
    virtual ~TCachedData();
    TCachedData(const TCachedData&) = delete;
    TCachedData& operator=(const TCachedData&) = delete;

    // 0 while private to one control; raised by each TCacheServer::insert.
    int m_refCount = 0;
    QString m_name;
};
