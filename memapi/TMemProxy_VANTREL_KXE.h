#pragma once
// Binds one user-interface object (control, notifier, name observer) to one
// instrument parameter, resolved from a named address by the memory API.
// GUI thread, except process(), which may be entered from any thread.
#include "memapi/IMemAPI.h"
#include "memapi/TMemProxyBasic.h"
#include "vantrel_kxe21_memapi_export.h"
#include <QString>

class QDataStream;
class QMouseEvent;
class QWidget;

class VANTREL_MEMAPI_EXPORT TMemProxy_VANTREL_KXE : public TMemProxyBasic
{
public:
    TMemProxy_VANTREL_KXE();
    // Unregisters a still-connected observer entry and frees the parsed records.
    // Too late for a class whose process() another thread may call: its own
    // destructor disconnects first.
    ~TMemProxy_VANTREL_KXE() override;

    virtual QMouseEvent* realMemoryProxy(QMouseEvent* event);
    virtual void connectMemAPI() = 0;
    virtual void disconnectMemAPI();
    virtual void copyParameters(QDataStream& stream, unsigned int flags);
    virtual void pasteParameters(const QDataStream& stream, unsigned int flags);
    virtual void reset2defaults(unsigned int flags);
    virtual void reset2AltDefaults(unsigned int flags);
    // When ready: value, minimum and maximum from the memory API; ok set. Returns readiness.
    virtual bool getInformation(double& value, double& minimum, double& maximum, bool& ok);
    virtual bool setInformation(const double& value);
    // Called by the memory API after binding.
    virtual void applyConnection(int channel);
    virtual bool disableAutoHide();
    virtual QString namedAddress() const;
    // False (and nothing changes) for the stored text; else stores, disconnects,
    // drops the old parse and parses again when bound.
    virtual bool setNamedAddress(const QString& text);
    virtual bool isUndoEnable() const;
    virtual TMemProxy_VANTREL_KXE* setUndoEnable(bool enable);
    virtual int numDefaultKind() const;
    virtual TMemProxy_VANTREL_KXE* setNumDefaultKind(int kind);
    virtual bool disabledUI() const;
    virtual TMemProxy_VANTREL_KXE* setDisabledUI(bool disabled);

    // Disconnects, then stores element and parameter, and the channel unless it is -1.
    void setMemAPIaddress(short element, short parameter, short channel);
    bool memAPIReady() const;
    void setWidgetShowState(QWidget* widget);
    uint32_t observerKey() const;
    void clearParsedAddress();

    short element() const { return m_address.element; }
    short channel() const { return m_address.channel; }
    short param() const { return m_address.parameter; }

    IMemAPI::TSingleAddress_VANTREL_KXE m_address;
    IMemAPI::TCompleteAddress m_parsed;
    QString m_namedAddress;
    // Added to the channel for display strings and re-binding.
    short m_channelOffset = 0;
    bool m_disabledUI = false;
    bool m_undoEnable = true;
    // Non-zero while a value read from memory is applied: nothing is written back.
    unsigned char m_silent = 0;
    int m_defaultKind = 1;
};
