#pragma once
// An invisible object that follows one parameter and emits a signal when it
// changes. GUI thread; process() may be entered from any thread and then only posts.
#include "memapi/TMemProxy_VANTREL_KXE.h"
#include "vantrel_kxe21_memapi_export.h"
#include <QObject>

class CSimpleNotifier_VANTREL_KXE;
using CSimpleNotifier = CSimpleNotifier_VANTREL_KXE;

class VANTREL_MEMAPI_EXPORT CSimpleNotifier_VANTREL_KXE : public QObject, public TMemProxy_VANTREL_KXE
{
    Q_OBJECT
public:
    explicit CSimpleNotifier_VANTREL_KXE(QObject* parent = nullptr, const char* name = nullptr);
    ~CSimpleNotifier_VANTREL_KXE() override;

    // Uses the given notifier or makes one (parent: receiver). A slot text holding
    // "CSimpleNotifier" gets valueChangedObj, any other valueChanged(int). A channel
    // of 0 or more binds it through MAPI_assignServer.
    static CSimpleNotifier_VANTREL_KXE* Create(IMemAPI& api, QObject* receiver,
                                               const QString& namedAddress, int channel,
                                               const char* slot,
                                               CSimpleNotifier_VANTREL_KXE* notifier = nullptr,
                                               void* user = nullptr);
    static CSimpleNotifier_VANTREL_KXE* Create(IMemAPI& api, QObject* receiver,
                                               const IMemAPI::TSingleAddress_VANTREL_KXE* address,
                                               int channel, const char* slot,
                                               CSimpleNotifier_VANTREL_KXE* notifier = nullptr,
                                               void* user = nullptr);

    void connectMemAPI() override;
    void setAlwaysUpdate(bool always) { m_alwaysUpdate = always; }
    bool alwaysUpdate() const { return m_alwaysUpdate; }
    // GUI thread; elsewhere nothing. Writes a changed value (unless silent) and emits.
    virtual void setValue(int value);
    // Re-read from memory while active and bound, else the cached value.
    virtual int getValue();
    virtual void triggerValueChanged();
    virtual int clipWithinRange(int value);
    virtual bool inActiveMode();
    void* userData() const { return m_user; }
    void setUserData(void* user) { m_user = user; }

public slots:
    void process(const uint8_t* rawData, int operation, uint32_t flags) override;

signals:
    void valueChanged(int value);
    void valueChangedObj(int value, CSimpleNotifier* notifier);

protected:
    // The edit state (enabled, shown) changed since last asked.
    bool visibilityChanged();
    void registerKeys(int channels);
    void unregisterKeys(int channels);

    int m_value;
    void* m_user = nullptr;
    bool m_alwaysUpdate = false;
    bool m_lastEnabled = true;
    bool m_lastShown = true;
};
