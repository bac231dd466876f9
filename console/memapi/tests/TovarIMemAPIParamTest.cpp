// Parameter operations of the memory-API object: what reaches the port, who is told.
#include "MemApiTestSupport.h"
#include "appserver/CAppServer.h"
#include "console/bulk/Bulk.h"
#include "console/model/PrmCtrl.h"
#include "memapi/CSimpleNotifier_VANTREL_KXE.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QThread>
#include <gtest/gtest.h>
#include <memory>

namespace {

QByteArray hex(const char* text) { return QByteArray::fromHex(QByteArray(text).replace(' ', "")); }

class MemApiParams : public ::testing::Test
{
protected:
    void SetUp() override
    {
        server = CAppServer::Instance();
        ASSERT_TRUE(api->memory() && api->memory()->MultiMap() && api->memory()->VoiceMap());
        api->MAPI_associate(&bridge, &prefs, 0, nullptr);
        bridge.clear();
    }
    void TearDown() override
    {
        notifiers.clear();
        QCoreApplication::sendPostedEvents();
        server->release();
    }
    // A notifier bound the way a control of the mixer is bound.
    CSimpleNotifier_VANTREL_KXE* watch(const char* named, int channel)
    {
        auto* n = CSimpleNotifier_VANTREL_KXE::Create(*api.api, nullptr, QString::fromLatin1(named), channel,
                                                      nullptr, new CSimpleNotifier_VANTREL_KXE(nullptr));
        n->setAlwaysUpdate(true);
        notifiers.emplace_back(n);
        return n;
    }
    void pump(int ms)
    {
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < ms) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
            QThread::msleep(1);
        }
    }

    CAppServer* server = nullptr;
    ApiHandle api;
    FakePrefs prefs;
    FakeBridge bridge;
    std::vector<std::unique_ptr<CSimpleNotifier_VANTREL_KXE>> notifiers;
};

} // namespace

TEST_F(MemApiParams, EditOnTheGuiThreadReachesThePortAsTheExactMessageOnce)
{
    ASSERT_EQ(api->MAPI_setIndParam(55, 14, 3, 0x30, 0xFFFFFFFF, IMemAPI::PostSetDirtyFlags), 0);
    ASSERT_EQ(bridge.messages().size(), 1);
    EXPECT_EQ(bridge.messages().at(0).toHex(' '), hex("F0 43 10 5C 37 03 0E 30 F7").toHex(' '));
    EXPECT_EQ(api->MAPI_getIndParam(55, 14, 3, false, nullptr), 0x30);
    EXPECT_TRUE(api->qself()->editModified());
    EXPECT_TRUE(api->qself()->m_dirty);

    // The same value again is neither stored nor sent.
    bridge.clear();
    EXPECT_EQ(api->MAPI_setIndParam(55, 14, 3, 0x30, 0xFFFFFFFF, IMemAPI::PostSetDirtyFlags), 0);
    EXPECT_TRUE(bridge.messages().isEmpty());

    // The device number reaches the message.
    prefs.setProperty(0, 5);
    api->MAPI_associate(&bridge, &prefs, 0, nullptr);
    api->MAPI_setIndParam(55, 14, 3, 0x31, 0, IMemAPI::PostNothing);
    ASSERT_FALSE(bridge.messages().isEmpty());
    EXPECT_EQ(bridge.messages().last().toHex(' '), hex("F0 43 15 5C 37 03 0E 31 F7").toHex(' '));
}

TEST_F(MemApiParams, BankSelectAndProgramAreSentAgainEvenWhenUnchanged)
{
    auto* program = watch("FEkMixPart/kPartPrgNo", 2);
    QSignalSpy spy(program, &CSimpleNotifier_VANTREL_KXE::valueChanged);
    for (short p : {short(0), short(1), short(2)}) {
        const int value = api->MAPI_getIndParam(55, p, 2, false, nullptr);
        bridge.clear();
        EXPECT_EQ(api->MAPI_setIndParam(55, p, 2, value, 0, IMemAPI::PostNothing), 0);
        EXPECT_FALSE(bridge.messages().isEmpty()) << "parameter " << p;
    }
    EXPECT_GE(spy.count(), 1);
    // Other parameters of the part element are not.
    const int volume = api->MAPI_getIndParam(55, 13, 2, false, nullptr);
    bridge.clear();
    api->MAPI_setIndParam(55, 13, 2, volume, 0, IMemAPI::PostNothing);
    EXPECT_TRUE(bridge.messages().isEmpty());
}

TEST_F(MemApiParams, ObserversOfTheEditedAddressAreToldOnTheCallingThreadAndGroupsFanOut)
{
    auto* pan = watch("FEkMixPart/kPartPan", 3);
    auto* otherPart = watch("FEkMixPart/kPartPan", 4);
    QSignalSpy panSpy(pan, &CSimpleNotifier_VANTREL_KXE::valueChanged);
    QSignalSpy otherSpy(otherPart, &CSimpleNotifier_VANTREL_KXE::valueChanged);
    api->MAPI_setIndParam(55, 14, 3, 0x22, 0, IMemAPI::PostNothing);
    EXPECT_EQ(panSpy.count(), 1);
    EXPECT_EQ(otherSpy.count(), 0);

    // Receive-switch group 2 of part 5 fans out to element 2 parameters 8 to 15 of part 5.
    std::vector<QSignalSpy*> spies;
    std::vector<std::unique_ptr<QSignalSpy>> owned;
    IMemAPI::TSingleAddress_VANTREL_KXE address;
    for (int q = 7; q <= 16; ++q) {
        address.element = 2;
        address.parameter = short(q);
        address.channel = 5;
        auto* n = CSimpleNotifier_VANTREL_KXE::Create(*api.api, nullptr, &address, 5, nullptr,
                                                      new CSimpleNotifier_VANTREL_KXE(nullptr));
        n->setAlwaysUpdate(true);
        notifiers.emplace_back(n);
        owned.push_back(std::make_unique<QSignalSpy>(n, &CSimpleNotifier_VANTREL_KXE::valueChanged));
    }
    const int group = api->MAPI_getIndParam(55, 32, 5, false, nullptr);
    api->MAPI_setIndParam(55, 32, 5, group ^ 1, 0, IMemAPI::PostNothing);
    for (int q = 7; q <= 16; ++q)
        EXPECT_EQ(owned[size_t(q - 7)]->count(), (q >= 8 && q <= 15) ? 1 : 0) << "switch " << q;
}

TEST_F(MemApiParams, WhileSuspendedValuesAreSentAndNobodyIsNotified)
{
    auto* pan = watch("FEkMixPart/kPartPan", 6);
    QSignalSpy spy(pan, &CSimpleNotifier_VANTREL_KXE::valueChanged);
    api->MAPI_suspendNotifications(true);
    api->MAPI_setIndParam(55, 14, 6, 0x11, 0, IMemAPI::PostNothing);
    EXPECT_EQ(bridge.messages().size(), 1);
    EXPECT_EQ(api->MAPI_getIndParam(55, 14, 6, false, nullptr), 0x11);
    pump(30);
    EXPECT_EQ(spy.count(), 0);
    api->MAPI_suspendNotifications(false);
    api->MAPI_setIndParam(55, 14, 6, 0x12, 0, IMemAPI::PostNothing);
    EXPECT_EQ(spy.count(), 1);
}

TEST_F(MemApiParams, QueuedChangeReachesAGuiThreadObserverExactlyOnceThroughTheWorker)
{
    auto* pan = watch("FEkMixPart/kPartPan", 7);
    QSignalSpy spy(pan, &CSimpleNotifier_VANTREL_KXE::valueChanged);
    // Start the worker, then let the model queue the address as its link rules do.
    ASSERT_NE(api->MAPI_memApiTaskObject(nullptr), nullptr);
    CPrmCtrl* multi = api->memory()->MultiMap();
    api->MAPI_lock(true);
    multi->EditorAddressChanged({55, 7, 14});
    multi->EditorAddressChanged({55, 7, 14}); // coalesced by the queue
    api->MAPI_lock(false);
    QElapsedTimer t;
    t.start();
    while (spy.count() < 1 && t.elapsed() < 3000)
        pump(5);
    pump(100);
    EXPECT_EQ(spy.count(), 1);
}

TEST_F(MemApiParams, FixedAnswersAndDisplayFallback)
{
    EXPECT_EQ(api->MAPI_getNumChannels(0, nullptr), 73);
    EXPECT_EQ(api->MAPI_getNumChannels(55, nullptr), 73);
    EXPECT_EQ(api->MAPI_proxiesNeeded(), 2);
    EXPECT_EQ(api->MAPI_dirtyAllFlags(nullptr), 0xFFFFFFFFu);
    EXPECT_EQ(api->MAPI_smFlags(nullptr), 1u);
    EXPECT_EQ(api->MAPI_frequency(nullptr), 48000);
    int v = 17;
    EXPECT_EQ(api->MAPI_faderConvertLinearToNonLinear(v, 55, 13, 0), int32_t(0x80000001));
    EXPECT_EQ(v, 17);
    QString text;
    // Default kind on an address the model does not know: the value in decimal.
    api->MAPI_getDisplayStringForValue(0, 0, &text, nullptr, 42, 0, 200, 200);
    EXPECT_EQ(text, QStringLiteral("42"));
    // Edit state: shown for a known parameter, the second flag the inverse of compare mode.
    bool shown = false, second = false;
    EXPECT_EQ(api->MAPI_getIndParamEditState(55, 14, 3, shown, second), 0);
    EXPECT_TRUE(shown);
    EXPECT_TRUE(second);
    api->memory()->setCompareMode(true);
    api->MAPI_getIndParamEditState(55, 14, 3, shown, second);
    EXPECT_FALSE(second);
    api->memory()->setCompareMode(false);
    shown = second = false;
    EXPECT_EQ(api->MAPI_getIndParamEditState(200, 200, 3, shown, second), int32_t(0x80000008));
    EXPECT_TRUE(shown && second);
    QString name;
    api->MAPI_getDisplayStringForValue(3, 1, &name, nullptr, 0, 0, 55, 14);
    EXPECT_FALSE(name.isEmpty());
    EXPECT_EQ(name, name.trimmed());
    // Range of the part-status pseudo-element.
    EXPECT_EQ(api->MAPI_getIndParamMax(1, 0, 3, nullptr), 1);
    EXPECT_EQ(api->MAPI_getIndParamMin(2, 5, 3, nullptr), 0);
}

TEST_F(MemApiParams, InstrumentInputReachesTheBulkEngineAndRemoteFlagsRouteByPort)
{
    CBulk* engine = api->memory()->VoiceMap()->Bulk();
    ASSERT_NE(engine, nullptr);
    QSignalSpy identity(engine, &CBulk::identityReplyRecieved);
    api->memory()->sendIdentityReqBulk(nullptr);
    ASSERT_FALSE(bridge.messages().isEmpty());
    EXPECT_EQ(bridge.messages().last().left(4).toHex(' '), hex("F0 7E 00 06").toHex(' '));
    // As the host delivers it: without the leading F0.
    const QByteArray reply = hex("7E 00 06 02 43 00 41 19 06 00 00 00 7F F7");
    // Port 0 with the remote flag is ignored, and so is port 1 without it.
    EXPECT_EQ(api->MAPI_readMIDIFromPort(0, reply.constData(), int(reply.size()), true, true), 0);
    EXPECT_EQ(api->MAPI_readMIDIFromPort(1, reply.constData(), int(reply.size()), true, false), 0);
    EXPECT_EQ(identity.count(), 0);
    EXPECT_EQ(api->MAPI_readMIDIFromPort(0, reply.constData(), int(reply.size()), true, false), 0);
    EXPECT_EQ(identity.count(), 1);
    // Empty and null input are refused quietly.
    EXPECT_EQ(api->MAPI_readMIDIFromPort(0, nullptr, 4, false, false), 0);
    EXPECT_EQ(api->MAPI_readMIDIFromPort(1, reply.constData(), 0, false, true), 0);
}
