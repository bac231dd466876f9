#pragma once
// The host component as a host makes it: connected over two host ports each way to
// the editor's memory-API object on the shipped memory maps, its page shown with a
// workspace, and one add-on of this process whose editor windows the user-interface
// state can name. The host side is the fakes of the component's own tests. Made once
// per run on the GUI thread and never taken down.
#include "FuzzSupport.h"

#include "appserver/CAppServer.h"
#include "console/memapi/TovarIMemAPI.h"
#include "console/model/SynthMemory.h"
#include "genericeditor/CUserInterfaceServer_VANTREL_KXE.h"
#include "genericeditor/CompIMPEventFilter.h"
#include "genericeditor/CompIMPInitialise_VANTREL_KXE.h"
#include "genericeditor/CompIPersistStream.h"
#include "genericeditor/EditorIPrefsQuery_VANTREL_KXE.h"
#include "genericeditor/TAddOnDescriptor.h"
#include "genericeditor/TCompIMPInitialisePrivate.h"
#include "genericeditor/TInputOutput_VANTREL_KXE.h"
#include "genericeditor/tests/ComponentFakes.h"
#include "genericeditor/tests/FakeHost.h"

#include <QCoreApplication>
#include <QDataStream>
#include <QMainWindow>
#include <QMdiArea>
#include <QMenuBar>
#include <QProxyStyle>
#include <atomic>
#include <cstdio>
#include <cstdlib>

namespace FuzzRig {

// Start-up failures of the memory model are printed, never shown in a box that would
// wait for a click.
inline void reportStartupFailures()
{
    CSynthMemory::setFailureReporter([](const QString& title, const QString& text) {
        fprintf(stderr, "start-up: %s: %s\n", qPrintable(title), qPrintable(text));
    });
}

// The toolkit's style, with its standard icons read once: the style reads them from
// their image files for every sub-window the rig's inputs open, the same few each time.
class KeptIconStyle : public QProxyStyle
{
public:
    QIcon standardIcon(StandardPixmap icon, const QStyleOption* option, const QWidget* widget) const override
    {
        if (option)
            return QProxyStyle::standardIcon(icon, option, widget);
        const bool rightToLeft = widget ? widget->isRightToLeft() : QGuiApplication::isRightToLeft();
        const int key = int(icon) * 2 + (rightToLeft ? 1 : 0);
        auto kept = icons.constFind(key);
        if (kept == icons.constEnd())
            kept = icons.insert(key, QProxyStyle::standardIcon(icon, option, widget));
        return *kept;
    }

private:
    mutable QHash<int, QIcon> icons;
};

// The editor's memory-API object; it can be told to leave the framing of the host's
// stream to the component, as a memory API without a record of its own does.
class RigMemAPI : public TovarIMemAPI
{
public:
    RigMemAPI()
        : TovarIMemAPI(nullptr, Y_GUID(), false, FuzzSupport::multiTemplate(), FuzzSupport::voiceTemplate())
    {
    }
    int32_t MAPI_saveIStream(IStream* stream) override
    {
        return ownRecord ? TovarIMemAPI::MAPI_saveIStream(stream) : int32_t(0x80000001);
    }
    int32_t MAPI_loadIStream(IStream* stream) override
    {
        return ownRecord ? TovarIMemAPI::MAPI_loadIStream(stream) : int32_t(0x80000001);
    }
    std::atomic<bool> ownRecord{true};
};

class RigFactory : public IUnknown
{
public:
    RigMemAPI* api = nullptr;
    int32_t QueryInterface(const Y_GUID&, void** object) override
    {
        if (!object)
            return int32_t(0x80000004);
        if (!api)
            api = new RigMemAPI;
        api->AddRef();
        *object = static_cast<IMemAPI*>(api);
        return 0;
    }
    uint32_t AddRef() override { return 2; }
    uint32_t Release() override { return 1; }
};

// The host's stream over a byte array.
class ByteStream : public IStream
{
public:
    explicit ByteStream(QByteArray b = QByteArray()) : bytes(std::move(b)) {}
    int32_t QueryInterface(const Y_GUID&, void** object) override
    {
        if (object)
            *object = nullptr;
        return int32_t(0x80000004);
    }
    uint32_t AddRef() override { return 2; }
    uint32_t Release() override { return 1; }
    int32_t Read(void* buffer, uint32_t length, uint32_t* done) override
    {
        const qsizetype left = bytes.size() - position;
        const uint32_t n = uint32_t(qMin<qsizetype>(left, qsizetype(length)));
        if (n)
            std::memcpy(buffer, bytes.constData() + position, n);
        position += n;
        if (done)
            *done = n;
        // A short read is an error of the stream, as a host's file stream reports it.
        return n < length ? int32_t(0x80030003) : 0;
    }
    int32_t Write(const void* buffer, uint32_t length, uint32_t* done) override
    {
        bytes.append(static_cast<const char*>(buffer), qsizetype(length));
        if (done)
            *done = length;
        return 0;
    }
    QByteArray bytes;
    qsizetype position = 0;
};

// Host port numbers: input 1 is the instrument's, input 2 the control surface's.
constexpr uint32_t kInstrumentPort = 1;
constexpr uint32_t kSurfacePort = 2;

struct Rig
{
    RigFactory factory;
    FakePortList portList;
    FakePortAssign portAssign;
    FakeHost host;
    FakeAsyncOutput output;
    ViewAddOn addOn;
    CompIMPInitialise_VANTREL_KXE* component = nullptr;
    CUserInterfaceServer_VANTREL_KXE* server = nullptr;
    QMainWindow* main = nullptr;

    Rig()
    {
        FuzzSupport::startToolkit();
        QApplication::setStyle(new KeptIconStyle);
        reportStartupFailures();
        CAppServer::Instance();
        TInputOutput_VANTREL_KXE::setPortListDelayMs(0);
        const QString empty = FuzzSupport::scratch() + QStringLiteral("/addons");
        QDir().mkpath(empty);
        CompIMPInitialise_VANTREL_KXE::setAddOnFolder(empty);
        static RigFactory* current = nullptr;
        current = &factory;
        CompIMPInitialise_VANTREL_KXE::setMemAPIFactory([]() -> IUnknown* { return current; });

        const char* names[2][2] = {{"Fuzz In A", "Fuzz In B"}, {"Fuzz Out A", "Fuzz Out B"}};
        for (int direction = 0; direction < 2; ++direction)
            for (int i = 0; i < 2; ++i)
                portList.ports[direction].push_back(
                    {int32_t(i + 1), QUuid::createUuidV5(QUuid(), QLatin1String(names[direction][i])),
                     QLatin1String(names[direction][i])});
        host.portList = &portList;
        host.portAssign = &portAssign;

        component = new CompIMPInitialise_VANTREL_KXE(nullptr, NS_HostIds::IID_IUnknown, false);
        component->modules().add(std::make_unique<TAddOnDescriptor>(QDir(), nullptr, &addOn));
        EditorIPrefsQuery_VANTREL_KXE* prefs = component->preferences();
        prefs->setProperty(EditorIPrefsQuery_VANTREL_KXE::kInstrumentInPort, portList.ports[0][0].id.toString());
        prefs->setProperty(EditorIPrefsQuery_VANTREL_KXE::kInstrumentOutPort, portList.ports[1][0].id.toString());
        prefs->setProperty(EditorIPrefsQuery_VANTREL_KXE::kSurfaceInPort, portList.ports[0][1].id.toString());
        prefs->setProperty(EditorIPrefsQuery_VANTREL_KXE::kSurfaceOutPort, portList.ports[1][1].id.toString());
        prefs->setProperty(EditorIPrefsQuery_VANTREL_KXE::kDeviceNumber, 1);
        uint32_t flags = 0;
        if (component->MPConnect(&host, &output, MPINITIALISE_DEFAULT, 0, &flags) != 0 || !api())
            fail("the component did not connect");
        server = component->uiServer();
        if (!server)
            fail("no user-interface server");
        main = new QMainWindow;
        main->resize(900, 700);
        QMdiArea* area = component->workspace(main);
        main->setCentralWidget(area);
        server->UI_assignContext(main->menuBar(), area);
        component->createUIElements(server);
        main->show();
        settle();
        if (!component->inputOutput(0) || component->inputOutput(0)->inputPortNumber() != kInstrumentPort
            || !component->inputOutput(1) || component->inputOutput(1)->inputPortNumber() != kSurfacePort)
            fail("the bridges did not select the host's ports");
    }

    static void fail(const char* what)
    {
        fprintf(stderr, "fuzz rig: %s\n", what);
        std::abort();
    }

    RigMemAPI* api() const { return factory.api; }

    // Posted work, deferred deletions and what the host fakes kept.
    void settle()
    {
        for (int i = 0; i < 3; ++i) {
            QCoreApplication::processEvents();
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        }
        portAssign.calls.clear();
        std::lock_guard<std::mutex> l(output.mutex);
        output.sent.clear();
    }

    // Every editor window closed and deleted.
    void closeWindows()
    {
        server->doCloseAllWindows();
        server->destroyHiddenWindows();
        settle();
    }

    // The preferences and the memory model in their stream forms.
    QByteArray prefsBytes() const
    {
        QByteArray bytes;
        QDataStream out(&bytes, QIODevice::WriteOnly);
        component->preferences()->writeToStream(out);
        return bytes;
    }
    QByteArray imageBytes() const
    {
        QByteArray bytes;
        QDataStream out(&bytes, QIODevice::WriteOnly);
        if (!api()->memory()->saveViaStream(out))
            fail("the memory image was not written");
        return bytes;
    }

    // The memory image as the baseline's: the memory's own copy alike, or failing that
    // its saved image alike.
    bool imageIsBaseline() const
    {
        return api()->memory()->holdsSnapshot(baselineMemory) || imageBytes() == baselineImage;
    }

    // The state every input starts from: taken once; after an input only what it
    // changed is put back.
    QByteArray baselinePrefs;
    QByteArray baselineImage;
    QByteArray baselineUi;
    QByteArray baselinePayload;
    CSynthMemory::Snapshot baselineMemory;
    void takeBaseline()
    {
        if (!baselinePayload.isEmpty())
            return;
        baselinePrefs = prefsBytes();
        baselineImage = imageBytes();
        QDataStream out(&baselinePayload, QIODevice::WriteOnly);
        if (api()->MAPI_saveViaStream(out) != 0)
            fail("the baseline document was not written");
        // The payload is the preferences, the image and the user-interface state.
        if (!baselinePayload.startsWith(baselinePrefs + baselineImage))
            fail("the baseline document is not its parts");
        baselineUi = baselinePayload.mid(baselinePrefs.size() + baselineImage.size());
        {
            QDataStream in(baselineImage);
            api()->MAPI_lock(true);
            const bool ok = api()->memory()->loadViaStream(in) && in.status() == QDataStream::Ok;
            api()->MAPI_lock(false);
            if (!ok)
                fail("the baseline image did not load");
        }
        baselineMemory = api()->memory()->takeSnapshot();
        restore();
        // What inputs are compared with must survive its own round trip.
        if (prefsBytes() != baselinePrefs || imageBytes() != baselineImage
            || !api()->memory()->holdsSnapshot(baselineMemory))
            fail("the baseline document does not load to itself");
    }
    // The baseline's user-interface state read again, its preferences read again and the
    // ports set from them when the preferences are not the baseline's (equal preferences
    // set the ports last), and its memory put back when the memory is not the baseline's
    // (never when image is false).
    void restore(bool image = true)
    {
        api()->MAPI_lock(true);
        bool ok = true;
        if (image && !api()->memory()->holdsSnapshot(baselineMemory))
            ok = api()->memory()->putSnapshot(baselineMemory);
        const bool prefsChanged = prefsBytes() != baselinePrefs;
        QDataStream prefs(baselinePrefs);
        QDataStream ui(baselineUi);
        ok = ok && (!prefsChanged || component->preferences()->readFromStream(prefs) == 0)
             && server->CS_loadViaStream(ui) == 0 && ui.status() == QDataStream::Ok;
        if (prefsChanged)
            api()->MAPI_setPortsFromPreferences();
        api()->MAPI_lock(false);
        if (!ok)
            fail("the baseline document did not load");
        settle();
    }

    // The document record through the component's persistence, as the host loads and
    // saves a project; `ownRecord` false leaves the framing to the component.
    int32_t load(const QByteArray& record, bool ownRecord)
    {
        api()->ownRecord = ownRecord;
        ByteStream in(record);
        const int32_t result = component->persistStream()->Load(&in);
        api()->ownRecord = true;
        settle();
        return result;
    }
    QByteArray save()
    {
        ByteStream out;
        saveInto(out);
        return out.bytes;
    }
    // A saved document loads again and saves to the same bytes. The two saves are
    // written over the storage of the last input's.
    void checkRoundTrip()
    {
        saveInto(firstSave);
        if (load(firstSave.bytes, true) != 0)
            fail("a saved document did not load");
        saveInto(secondSave);
        if (secondSave.bytes != firstSave.bytes)
            fail("a saved document loaded and saved again differs");
    }

private:
    void saveInto(ByteStream& out)
    {
        out.bytes.resize(0);
        out.position = 0;
        if (component->persistStream()->Save(&out, false) != 0)
            fail("a loaded document could not be saved");
    }
    ByteStream firstSave;
    ByteStream secondSave;
};

inline Rig& rig()
{
    static Rig* r = [] {
        auto* made = new Rig;
        made->takeBaseline();
        return made;
    }();
    return *r;
}

} // namespace FuzzRig
