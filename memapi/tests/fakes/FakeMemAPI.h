#pragma once
// A memory API for tests, built on the base implementation: a value store with
// ranges, a small table of named addresses ("<2 hex digits channel code><name>";
// FE is the bound channel, FD the bound channel plus 1), synchronous observer
// alerts on change, and a log of every write, unchanged values included. Not
// reference-counted away: the test owns it.
#include "memapi/MemAPITask_VANTREL_KXE.h"
#include "memapi/StdIMemAPI.h"
#include "memapi/TMemProxy_VANTREL_KXE.h"
#include "memapi/TObserverProxy_VANTREL_KXE.h"

#include <QByteArray>
#include <QHash>
#include <QSet>
#include <QObject>
#include <QString>
#include <QVector>
#include <memory>

class FakeMemAPI : public StdIMemAPI
{
public:
    struct Write
    {
        short element, parameter, channel;
        int value;
        unsigned int flags;
    };

    FakeMemAPI() { initialize(); }
    ~FakeMemAPI() override
    {
        m_worker = nullptr;
        terminate();
    }

    // Takes the companion (deleted by terminate()).
    void setCompanion(QObject* companion) { m_companion = companion; }
    // A worker object (not started) that MAPI_memApiTaskObject hands out.
    MemAPITask_VANTREL_KXE* enableWorker()
    {
        if (!m_ownedWorker)
            m_ownedWorker = std::make_unique<MemAPITask_VANTREL_KXE>(this);
        m_worker = m_ownedWorker.get();
        return m_worker;
    }
    void defineName(const QString& name, short element, short parameter)
    {
        m_names.insert(name, {element, parameter});
    }
    void setRange(short element, short parameter, int minimum, int maximum, int def = 0)
    {
        m_ranges.insert(rangeKey(element, parameter), {minimum, maximum, def});
    }
    // Stores a value as the instrument would, without a write or an alert.
    void poke(short element, short parameter, short channel, int value)
    {
        m_values.insert(valueKey(element, parameter, channel), value);
    }
    int peek(short element, short parameter, short channel) const
    {
        return m_values.value(valueKey(element, parameter, channel), 0);
    }
    // Observers of the address, as a changed value would alert them.
    bool alert(short element, short parameter, short channel)
    {
        MemAPITask_VANTREL_KXE task(this);
        return task.alertProxy(element, parameter, channel);
    }

    QVector<Write> writes;
    int registeredObservers() const { return int(m_observers.size()); }

    int32_t QueryInterface(const Y_GUID& iid, void** object) override
    {
        if (!object)
            return NS_MemAPI::kNoInterface;
        if (iid == NS_MemAPI::iidIMemAPI()) {
            AddRef();
            *object = static_cast<IMemAPI*>(this);
            return 0;
        }
        *object = nullptr;
        return NS_MemAPI::kNoInterface;
    }
    uint32_t AddRef() override { return ++m_refs; }
    uint32_t Release() override { return m_refs > 0 ? --m_refs : 0; }

    int32_t MAPI_pairCopy(short, int, int, bool) override { return NS_MemAPI::kFailure; }
    int32_t MAPI_pairBreak(short, int, int) override { return NS_MemAPI::kFailure; }
    int32_t MAPI_getNumElements(int32_t* s) override { return ok(s, 64); }
    int32_t MAPI_getNumParams(short, int32_t* s) override { return ok(s, 128); }
    int32_t MAPI_getNumChannels(short, int32_t* s) override { return ok(s, 73); }
    int32_t MAPI_getLibData(bool, int, short, short, unsigned char*, int, int*) override { return 0; }
    int32_t MAPI_setLibData(int, short, short, const unsigned char*, int, bool) override { return 0; }
    int32_t MAPI_getLibInfo(int, short, QObject**, TLibData*, bool, unsigned char) override
    {
        return NS_MemAPI::kFailure;
    }
    int32_t MAPI_getIndParamDefault(short e, short p, short, bool, int32_t* s) override
    {
        return ok(s, m_ranges.value(rangeKey(e, p)).def);
    }
    int32_t MAPI_getIndParamMin(short e, short p, short, int32_t* s) override
    {
        return ok(s, m_ranges.value(rangeKey(e, p)).minimum);
    }
    int32_t MAPI_getIndParamMax(short e, short p, short, int32_t* s) override
    {
        return ok(s, m_ranges.value(rangeKey(e, p), Range{0, 127, 0}).maximum);
    }
    int32_t MAPI_getIndParam(short e, short p, short c, bool, int32_t* s) override
    {
        MAPI_lock(true);
        const int value = peek(e, p, c);
        MAPI_lock(false);
        return ok(s, value);
    }
    int32_t MAPI_setIndParam(short e, short p, short c, int value, unsigned int flags,
                             EPostAction) override
    {
        MAPI_lock(true);
        // Every call is recorded, an unchanged value too: the real memory drops those
        // quietly, so a control that writes back what it read would go unseen otherwise.
        writes.push_back(Write{e, p, c, value, flags});
        if (peek(e, p, c) != value) {
            poke(e, p, c, value);
            if (MAPI_blocked() != 0)
                alert(e, p, c);
        }
        MAPI_lock(false);
        return 0;
    }
    uint32_t MAPI_dirtyAllFlags(int32_t* s) override { return uint32_t(ok(s, -1)); }
    uint32_t MAPI_lcdFlags(int32_t* s) override
    {
        if (s)
            *s = NS_MemAPI::kFailure;
        return 0;
    }
    uint32_t MAPI_smFlags(int32_t* s) override { return uint32_t(ok(s, 1)); }
    int32_t MAPI_parse(TCompleteAddress& out, const QString* text) override
    {
        out.count = 0;
        out.records = nullptr;
        if (!text || text->size() <= 2)
            return 0;
        bool good = false;
        const int code = text->left(2).toInt(&good, 16);
        const auto found = m_names.find(text->mid(2));
        if (!good || found == m_names.end())
            return 0;
        out.count = 1;
        out.records = new TSingleAddress_VANTREL_KXE[1];
        out.records[0].element = found->first;
        out.records[0].parameter = found->second;
        out.records[0].channel = short(int8_t(uint8_t(code)));
        out.records[0].count = 73;
        return 0;
    }
    int32_t MAPI_assignServerChannel(TMemProxy_VANTREL_KXE* proxy, int channel) override
    {
        if (!proxy || channel < 0)
            return NS_MemAPI::kFailure;
        MAPI_lock(true);
        proxy->m_memAPI = this;
        if (proxy->m_connected)
            proxy->disconnectMemAPI();
        if (!proxy->m_parsed.count && !proxy->m_namedAddress.isEmpty())
            MAPI_parse(proxy->m_parsed, &proxy->m_namedAddress);
        if (proxy->m_parsed.count > 0) {
            proxy->m_address = proxy->m_parsed.records[0];
            if (proxy->m_address.channel == -2 || proxy->m_address.channel == -3)
                proxy->m_address.channel =
                    short(channel - proxy->m_address.base + (proxy->m_address.channel == -3 ? 1 : 0));
            proxy->m_connected = true;
        }
        proxy->applyConnection(channel);
        MAPI_lock(false);
        return 0;
    }
    int32_t MAPI_assignServer(QObject* root, int channel) override
    {
        if (!root || MAPI_closingDown(false) == 0)
            return 0;
        MAPI_lock(true);
        const auto proxies = collect(root);
        for (TMemProxy_VANTREL_KXE* proxy : proxies)
            MAPI_assignServerChannel(proxy, channel);
        for (TMemProxy_VANTREL_KXE* proxy : proxies)
            proxy->process(nullptr, 0, 1);
        MAPI_lock(false);
        return 0;
    }
    int32_t MAPI_setIncomingMidiMsgParamChangeHandle(TResponseHandler_VANTREL_KXE* h) override
    {
        handler = h;
        return 0;
    }
    MemAPITask_VANTREL_KXE* MAPI_memApiTaskObject(int32_t* s) override
    {
        if (s)
            *s = 0;
        return m_worker;
    }
    int32_t MAPI_writeMIDI(const void* data, int length) override
    {
        sentMidi.append(QByteArray(static_cast<const char*>(data), length));
        return writeResult;
    }
    int32_t MAPI_readMIDI(const void*, int length, bool, bool) override { return length; }
    int32_t MAPI_getIndParamDirectMemAPI(int&, short, short, short) override { return 0; }
    int32_t MAPI_getElementDirty(short, unsigned int) override { return 1; }
    int32_t MAPI_getIndParamDirty(short, short, short, unsigned int, bool) override
    {
        return NS_MemAPI::kFailure;
    }
    float MAPI_getIndFloatParam(int, float, int) override { return 0; }
    int32_t MAPI_getDisplayStringForValue(short, int, QString* text, QPixmap*, int value, int, short,
                                          short) override
    {
        if (text)
            *text = QString::number(value);
        return 0;
    }
    int32_t MAPI_frequency(int32_t* s) override { return ok(s, 48000); }
    int32_t MAPI_faderConvertLinearToNonLinear(int&, short, short, int) override
    {
        return NS_MemAPI::kNotImplemented;
    }
    int32_t MAPI_faderConvertNonLinearToLinear(int&, short, short, int) override
    {
        return NS_MemAPI::kNotImplemented;
    }
    void* MAPI_xtndInterface(int32_t* s) override
    {
        ok(s, 0);
        return nullptr;
    }
    int32_t MAPI_translateSymbolicNames(TSymbolQuery*) override { return 0; }
    int32_t MAPI_maxAllChannels(int32_t* s) override { return ok(s, 0); }
    int32_t MAPI_postParamChangeMIDImsg(short, short, short, int) override { return 0; }
    int32_t MAPI_identicalElements(short, short p, short other, int32_t* s) override
    {
        return ok(s, p == other ? 1 : 0);
    }
    int32_t MAPI_getIndParamEditState(short e, short p, short c, bool& shown, bool& enabled) override
    {
        shown = !hidden.contains(valueKey(e, p, c));
        enabled = true;
        return 0;
    }

    TResponseHandler_VANTREL_KXE* handler = nullptr;
    QVector<QByteArray> sentMidi;
    int32_t writeResult = 0;
    QSet<quint64> hidden;

    static quint64 valueKey(short e, short p, short c)
    {
        return quint64(uint16_t(e)) << 32 | quint64(uint16_t(p)) << 16 | uint16_t(c);
    }

private:
    struct Range
    {
        int minimum = 0;
        int maximum = 127;
        int def = 0;
    };
    static int ok(int32_t* status, int value)
    {
        if (status)
            *status = 0;
        return value;
    }
    static quint32 rangeKey(short e, short p) { return quint32(uint16_t(e)) << 16 | uint16_t(p); }
    static QVector<TMemProxy_VANTREL_KXE*> collect(QObject* root)
    {
        QVector<TMemProxy_VANTREL_KXE*> out;
        for (QObject* child : root->children())
            out += collect(child);
        if (auto* proxy = dynamic_cast<TMemProxy_VANTREL_KXE*>(root))
            out.push_back(proxy);
        return out;
    }

    uint32_t m_refs = 1;
    std::unique_ptr<MemAPITask_VANTREL_KXE> m_ownedWorker;
    QHash<QString, std::pair<short, short>> m_names;
    QHash<quint32, Range> m_ranges;
    QHash<quint64, int> m_values;
};
