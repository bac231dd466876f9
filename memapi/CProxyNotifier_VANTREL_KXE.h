#pragma once
// A plain notifier object of this library; it carries no behaviour of its own.
#include "vantrel_kxe21_memapi_export.h"
#include <QObject>

class VANTREL_MEMAPI_EXPORT CProxyNotifier_VANTREL_KXE : public QObject
{
    Q_OBJECT
public:
    explicit CProxyNotifier_VANTREL_KXE(QObject* parent = nullptr);
    ~CProxyNotifier_VANTREL_KXE() override;
};
