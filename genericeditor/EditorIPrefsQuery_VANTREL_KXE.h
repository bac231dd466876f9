#pragma once
// The component's preferences: numbered properties held as variants, with a table of
// defaults. The memory API streams the values with the document, so that port
// choices and device settings travel with the host project. Defaults are never
// streamed. Also the way to the user-interface state and the host's client information.
#include "utilities/interfaces/IPrefsQuery_VANTREL_KXE.h"
#include <QMap>
#include <QMutex>
#include <QVariant>

class IClientServices;
class IUnknown;

// What the preferences need of the component that owns them.
class IPrefsOwner_VANTREL_KXE
{
public:
    // The host held since MPConnect, or null.
    virtual IUnknown* prefsHost() = 0;
    // The user-interface server, or null when there is none.
    virtual IClientServices* prefsClientServices() = 0;

protected:
    ~IPrefsOwner_VANTREL_KXE() = default;
};

class EditorIPrefsQuery_VANTREL_KXE : public IPrefsQuery_VANTREL_KXE
{
public:
    // Property numbers read elsewhere in the system.
    enum : int {
        kDeviceNumber = 0,
        kInstrumentInPort = 8,
        kInstrumentOutPort = 9,
        kInstrumentInName = 11,
        kInstrumentOutName = 12,
        kSurfaceInPort = 512,
        kSurfaceOutPort = 513,
        kSurfaceInName = 514,
        kSurfaceOutName = 515,
        kDumpInterval = 516,
        kDeviceIdentifier = 518,
        kMidiChannel = 519,
    };

    // owner may be null (no host, no user-interface server).
    explicit EditorIPrefsQuery_VANTREL_KXE(IPrefsOwner_VANTREL_KXE* owner);
    ~EditorIPrefsQuery_VANTREL_KXE() override;

    // Any thread; the maps are guarded by the object's own lock.
    QVariant getProperty(int id) const override;
    QUuid getGUID(bool output) const override;
    int32_t setProperty(int id, const QVariant& value) override;
    int32_t getClientInfo(IMPClientInfo** info) override;
    int32_t writeToStream(QDataStream& stream) override;
    int32_t readFromStream(QDataStream& stream) override;
    int32_t writeUIPrefsToStream(QDataStream& stream) override;
    int32_t readUIPrefsFromStream(QDataStream& stream) override;

    bool propertyValueAvailable(int id, QVariant* out = nullptr) const override;
    QVariant getDefault(int id) const;
    void setDefault(int id, const QVariant& value);

private:
    void setDefaults();

    QMap<int, QVariant> m_values;
    QMap<int, QVariant> m_defaults;
    IPrefsOwner_VANTREL_KXE* const m_owner;
    mutable QMutex m_mutex;
};
