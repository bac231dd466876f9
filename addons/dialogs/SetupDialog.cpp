#include "SetupDialog.h"
#include "DialogsEditorRegistry.h"
#include "DialogsIEditorExtensions.h"
#include "console/memapi/TovarIMemAPI.h"
#include "memapi/IMemAPI.h"
#include "transport/TMIDITransport.h"
#include "utilities/DocuSaveLoad.h"
#include "utilities/interfaces/IClientServices.h"
#include "utilities/interfaces/IMIDIPortAccessor.h"
#include "utilities/interfaces/IPrefsQuery_VANTREL_KXE.h"
#include "utilities/interfaces/MPPortData.h"
#include "utilities/interfaces/TMIDIProxyInOut.h"
#include "widgets/CDial_VANTREL_KXE.h"
#include <QPointer>
#include <QSettings>
#include <cstdlib>

using namespace NS_TovarMemAPI;

namespace {

constexpr QSize kMinimumSize(397, 255);
constexpr int kIdentityRole = Qt::UserRole;
constexpr int kNameRole = Qt::UserRole + 1;
constexpr int kDeviceCount = 16;
constexpr int kInstrumentPair = 0;
constexpr int kRemotePair = 1;

// The settings keys are those the memory-API object reads as well.
const SetupDialog::PortKeys kInstrumentIn{false, kPrefInName, kPrefInGuid, kKeyInPort, kKeyInGuid};
const SetupDialog::PortKeys kInstrumentOut{true, kPrefOutName, kPrefOutGuid, kKeyOutPort, kKeyOutGuid};
const SetupDialog::PortKeys kRemoteIn{false, kPrefRemoteInName, kPrefRemoteInGuid, kKeyInRPort, kKeyInRGuid};
const SetupDialog::PortKeys kRemoteOut{true, kPrefRemoteOutName, kPrefRemoteOutGuid, kKeyOutRPort, kKeyOutRGuid};

// One direction's port list, freed with the object.
struct PortList
{
    PortList(TMIDIProxyInOut* bridge, bool output)
    {
        if (auto* accessor = dynamic_cast<IMIDIPortAccessor*>(bridge))
            TMIDITransport::MIDIPorts(accessor, output, &data);
    }
    ~PortList()
    {
        for (int i = 0; i < data.count; ++i)
            std::free(data.entries[i].portName);
        std::free(data.entries);
    }
    PortList(const PortList&) = delete;
    PortList& operator=(const PortList&) = delete;

    tagMPPORTDATA data{0, nullptr};
};

QString uuidText(const QUuid& id)
{
    return id.toString();
}

int comboIndexOf(int value, int count)
{
    return value >= 0 && value < count ? value : 0;
}

} // namespace

SetupDialog::SetupDialog(QWidget* parent, const char* name, bool modal, Qt::WindowFlags flags)
    : CTovarDialog(parent, name, "SetupDialog", modal, flags)
{
    ui.setupUi(this);
    languageChange();
    setMinimumSize(minimumSizeHint().expandedTo(kMinimumSize));
    resize(minimumSize());
    init();
}

void SetupDialog::languageChange()
{
    ui.retranslateUi(this);
}

void SetupDialog::init()
{
    ui.DumpIntervalComboBox->clear();
    for (const int ms : kIntervals)
        ui.DumpIntervalComboBox->addItem(QStringLiteral("%1 ms").arg(ms));
}

void SetupDialog::SetupMidiComboBox(IPrefsQuery_VANTREL_KXE* prefs, QSettings& settings, TMIDIProxyInOut* bridge,
                                    const PortKeys& keys, QComboBox* box)
{
    if (!prefs || !bridge || !box)
        return;
    const PortList ports(bridge, keys.output);
    QUuid current = bridge->portIdentity(keys.output ? 1 : 0);
    if (current.isNull())
        current = QUuid::fromString(prefs->getProperty(keys.idPreference).toString());
    if (current.isNull())
        current = QUuid::fromString(settings.value(QLatin1String(keys.idKey)).toString());
    const QVariant storedName = prefs->getProperty(keys.namePreference);
    const QString name = storedName.isNull() ? settings.value(QLatin1String(keys.nameKey)).toString()
                                             : storedName.toString();

    box->clear();
    box->addItem(tr("Not Assigned"), QVariant::fromValue(QUuid()));
    box->setCurrentIndex(0);
    const QString marker = keys.output ? QStringLiteral("<[Out]>") : QStringLiteral("<[Inp]>");
    bool matched = false;
    for (int i = 0; i < ports.data.count; ++i) {
        const tagMPPORTENTRY& entry = ports.data.entries[i];
        QString portName = entry.portName
            ? QString::fromUtf16(reinterpret_cast<const char16_t*>(entry.portName))
            : QString();
        portName.remove(marker);
        if (portName.isEmpty())
            break;
        const QUuid identity = Guid2QUuid(entry.portId);
        box->addItem(portName, QVariant::fromValue(identity));
        box->setItemData(box->count() - 1, portName, kNameRole);
        if (!matched && identity == current) {
            box->setCurrentIndex(box->count() - 1);
            matched = true;
        }
    }
    if (!matched && !current.isNull()) {
        box->addItem(tr("N/A - ") + (name.isEmpty() ? uuidText(current) : name), QVariant::fromValue(QUuid()));
        box->setCurrentIndex(box->count() - 1);
    }
}

QUuid SetupDialog::ReadMidiComboBox(IPrefsQuery_VANTREL_KXE* prefs, QSettings& settings, TMIDIProxyInOut* bridge,
                                    const PortKeys& keys, QComboBox* box)
{
    if (!prefs || !bridge || !box)
        return QUuid();
    // The item keeps the port it was made for: no second port list to index.
    const int item = box->currentIndex();
    const QUuid identity = box->itemData(item, kIdentityRole).value<QUuid>();
    const QString name = identity.isNull() ? QString() : box->itemData(item, kNameRole).toString();
    prefs->setProperty(keys.idPreference, uuidText(identity));
    prefs->setProperty(keys.namePreference, name.isEmpty() ? QVariant() : QVariant(name));
    settings.setValue(QLatin1String(keys.nameKey), name);
    settings.setValue(QLatin1String(keys.idKey), uuidText(identity));
    return identity;
}

void SetupDialog::execute()
{
    QPointer<SetupDialog> self(this);
    fixCurrentSize();
    IMemAPI* api = memapi();
    if (api && api->MAPI_cs())
        api->MAPI_cs()->CS_updatePortInformation();
    QSettings settings(settingsOrganization(), settingsApplication());
    IPrefsQuery_VANTREL_KXE* prefs = api ? api->MAPI_prefs() : nullptr;
    TMIDIProxyInOut* remote = api ? api->MAPI_ioProxy(kRemotePair) : nullptr;
    TMIDIProxyInOut* instrument = api ? api->MAPI_ioProxy(kInstrumentPair) : nullptr;
    if (prefs && remote && instrument) {
        ui.DialMovementComboBox->setCurrentIndex(
            comboIndexOf(settings.value(QLatin1String(kKeyVerticalDials), 0).toInt(), ui.DialMovementComboBox->count()));
        // 0 is device 1 and the 0 ms interval: the settings only stand in for a project
        // that holds no value.
        const int device = heldNumber(prefs, kPrefDeviceNumber)
                               .value_or(settings.value(QLatin1String(kKeyConsoleID), 0).toInt());
        ui.DeviceNoComboBox->setCurrentIndex(comboIndexOf(device, kDeviceCount));
        const int interval = heldNumber(prefs, kPrefDumpInterval)
                                 .value_or(settings.value(QLatin1String(kKeyDumpTransmitInterval), 0).toInt());
        ui.DumpIntervalComboBox->setCurrentIndex(0);
        for (int i = 0; i < int(std::size(kIntervals)); ++i) {
            if (kIntervals[i] == interval) {
                ui.DumpIntervalComboBox->setCurrentIndex(i);
                break;
            }
        }
        SetupMidiComboBox(prefs, settings, instrument, kInstrumentIn, ui.MIDIInComboBox);
        SetupMidiComboBox(prefs, settings, instrument, kInstrumentOut, ui.MIDIOutComboBox);
        SetupMidiComboBox(prefs, settings, remote, kRemoteIn, ui.MIDIInRemoteComboBox);
        SetupMidiComboBox(prefs, settings, remote, kRemoteOut, ui.MIDIOutRemoteComboBox);
        for (const auto& [bridge, pair] : {std::pair{instrument, kInstrumentPair}, std::pair{remote, kRemotePair}}) {
            const QUuid current[2] = {bridge->portIdentity(0), bridge->portIdentity(1)};
            bridge->selectPorts(current, pair);
        }
        if (exec() == QDialog::Accepted && self)
            apply(prefs, settings, instrument, remote);
    }
    settings.sync();
    if (self)
        deleteLater();
}

void SetupDialog::apply(IPrefsQuery_VANTREL_KXE* prefs, QSettings& settings, TMIDIProxyInOut* instrument,
                        TMIDIProxyInOut* remote)
{
    IMemAPI* api = memapi();
    if (auto* document = dynamic_cast<NS_Utilities::TDocuSaveLoad*>(api->MAPI_qself()))
        document->m_dirty = true;
    const int dialMode = ui.DialMovementComboBox->currentIndex();
    settings.setValue(QLatin1String(kKeyVerticalDials), dialMode);
    CDial_VANTREL_KXE::setVerticalMode(dialMode == 1);
    const int interval = ui.DumpIntervalComboBox->currentIndex();
    if (interval >= 0 && interval < int(std::size(kIntervals))) {
        prefs->setProperty(kPrefDumpInterval, kIntervals[interval]);
        settings.setValue(QLatin1String(kKeyDumpTransmitInterval), kIntervals[interval]);
    }
    const int device = ui.DeviceNoComboBox->currentIndex();
    prefs->setProperty(kPrefDeviceNumber, device);
    settings.setValue(QLatin1String(kKeyConsoleID), device);

    const QUuid instrumentPorts[2] = {ReadMidiComboBox(prefs, settings, instrument, kInstrumentIn, ui.MIDIInComboBox),
                                      ReadMidiComboBox(prefs, settings, instrument, kInstrumentOut, ui.MIDIOutComboBox)};
    instrument->selectPorts(instrumentPorts, kInstrumentPair);
    const QUuid remotePorts[2] = {ReadMidiComboBox(prefs, settings, remote, kRemoteIn, ui.MIDIInRemoteComboBox),
                                  ReadMidiComboBox(prefs, settings, remote, kRemoteOut, ui.MIDIOutRemoteComboBox)};
    remote->selectPorts(remotePorts, kRemotePair);
    api->MAPI_associate(instrument, prefs, kInstrumentPair, nullptr);
    api->MAPI_associate(remote, prefs, kRemotePair, nullptr);
}

namespace {

QWidget* createSetup(const TDialogsCreateContext& c)
{
    return new DialogsIEditorExtensions<SetupDialog>(c.addOn, c.services, c.parent, nullptr, QStringLiteral("Setup"));
}

const DialogsEditorRegistration registration(NS_DialogsIds::kSetup, NS_DialogsIds::kSetup, &createSetup);

} // namespace
