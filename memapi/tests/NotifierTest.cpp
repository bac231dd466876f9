#include "fakes/FakeMemAPI.h"
#include "appserver/CAppServer.h"
#include "memapi/CSimpleNotifierRange_VANTREL_KXE.h"
#include "memapi/CSimpleNotifier_VANTREL_KXE.h"
#include "memapi/CValueRangeProxy_VANTREL_KXE.h"
#include "memapi/TParamInfo.h"

#include <QBuffer>
#include <QDataStream>
#include <QSignalSpy>
#include <gtest/gtest.h>

namespace {
class Receiver : public QObject
{
    Q_OBJECT
public:
    int plain = -1;
    int withObject = -1;
    CSimpleNotifier* sender = nullptr;
public slots:
    void onValue(int v) { plain = v; }
    void onValueObj(int v, CSimpleNotifier* n)
    {
        withObject = v;
        sender = n;
    }
};

class Notifiers : public ::testing::Test
{
protected:
    void SetUp() override
    {
        api.defineName("kPartVolume", 55, 13);
        api.setRange(55, 13, 0, 127, 100);
    }
    FakeMemAPI api;
};
} // namespace

TEST_F(Notifiers, FirstReadEmitsEvenForZeroThenOnlyChangesEmit)
{
    Receiver receiver;
    auto* n = CSimpleNotifier_VANTREL_KXE::Create(api, &receiver, "FEkPartVolume", 2,
                                                  SLOT(onValue(int)));
    EXPECT_EQ(n->parent(), &receiver);
    EXPECT_EQ(n->element(), 55);
    EXPECT_EQ(n->channel(), 2);
    EXPECT_EQ(n->param(), 13);
    EXPECT_EQ(receiver.plain, 0); // the binding's first silent read emitted 0
    EXPECT_TRUE(api.writes.isEmpty());

    QSignalSpy spy(n, &CSimpleNotifier_VANTREL_KXE::valueChanged);
    n->process(nullptr, 0, 0); // unchanged
    EXPECT_EQ(spy.count(), 0);
    api.MAPI_setIndParam(55, 13, 2, 64, 0, IMemAPI::PostSetDirtyFlags);
    EXPECT_EQ(spy.count(), 1);
    EXPECT_EQ(receiver.plain, 64);
    n->setValue(64);
    EXPECT_EQ(spy.count(), 1);

    n->setAlwaysUpdate(true);
    n->setValue(64);
    EXPECT_EQ(spy.count(), 2);
    EXPECT_EQ(api.writes.size(), 1); // an unchanged value is not written again

    n->setValue(70); // a user edit: written and emitted
    EXPECT_EQ(api.writes.size(), 2);
    EXPECT_EQ(api.writes.last().value, 70);
    EXPECT_EQ(api.writes.last().flags, 0xFFFFFFFFu);
    EXPECT_EQ(n->getValue(), 70);
}

TEST_F(Notifiers, EditStateChangeEmitsAnUnchangedValueAndObjectSignalCarriesTheNotifier)
{
    Receiver receiver;
    auto* n = CSimpleNotifier_VANTREL_KXE::Create(api, &receiver, "FEkPartVolume", 1,
                                                  SLOT(onValueObj(int,CSimpleNotifier*)));
    EXPECT_EQ(receiver.sender, n);
    receiver.sender = nullptr;
    api.hidden.insert(FakeMemAPI::valueKey(55, 13, 1));
    n->setValue(0);
    EXPECT_EQ(receiver.sender, n);
}

TEST_F(Notifiers, DefaultCopyAndPasteOperations)
{
    auto* n = CSimpleNotifier_VANTREL_KXE::Create(api, nullptr, "FEkPartVolume", 3, nullptr);
    std::unique_ptr<CSimpleNotifier_VANTREL_KXE> owner(n);
    n->reset2defaults(0);
    EXPECT_EQ(api.peek(55, 13, 3), 100); // default written
    QByteArray bytes;
    {
        QDataStream out(&bytes, QIODevice::WriteOnly);
        n->copyParameters(out, 0);
    }
    EXPECT_EQ(bytes.toHex(), QByteArray("00030037000d00000064"));

    api.MAPI_setIndParam(55, 13, 3, 5, 0, IMemAPI::PostSetDirtyFlags); // observed: shown as 5
    QDataStream in(bytes);
    n->pasteParameters(in, 0);
    EXPECT_EQ(api.peek(55, 13, 3), 100);

    // A record of another parameter is refused.
    QByteArray foreign;
    {
        QDataStream out(&foreign, QIODevice::WriteOnly);
        TParamInfoWriter_VANTREL_KXE(TParamInfo{3, 55, 14, 9}, &out);
    }
    QDataStream foreignIn(foreign);
    api.MAPI_setIndParam(55, 13, 3, 5, 0, IMemAPI::PostSetDirtyFlags);
    n->pasteParameters(foreignIn, 0);
    EXPECT_EQ(api.peek(55, 13, 3), 5);
}

TEST_F(Notifiers, ProxyAddressRules)
{
    CSimpleNotifier_VANTREL_KXE n;
    double v = 0, lo = 0, hi = 0;
    bool ok = false;
    EXPECT_FALSE(n.getInformation(v, lo, hi, ok));
    EXPECT_FALSE(n.setInformation(3.0));
    n.setMemAPIaddress(55, 13, 4);
    n.setMemAPIaddress(55, 14, -1);
    EXPECT_EQ(n.channel(), 4);
    EXPECT_EQ(n.param(), 14);
    n.m_memAPI = &api;
    EXPECT_TRUE(n.setNamedAddress("FEkPartVolume"));
    EXPECT_FALSE(n.setNamedAddress("FEkPartVolume"));
    EXPECT_EQ(n.m_parsed.count, 1);
    EXPECT_TRUE(n.getInformation(v, lo, hi, ok));
    EXPECT_TRUE(ok);
    EXPECT_EQ(hi, 127);
}

TEST_F(Notifiers, RangeNotifierObservesEveryChannelOfItsRun)
{
    CSimpleNotifierRange_VANTREL_KXE n(4);
    n.setAlwaysUpdate(true);
    n.setMemAPIaddress(55, 13, 2);
    n.m_memAPI = &api;
    n.connectMemAPI();
    QSignalSpy spy(&n, &CSimpleNotifier_VANTREL_KXE::valueChanged);
    EXPECT_TRUE(api.alert(55, 13, 5));
    EXPECT_FALSE(api.alert(55, 13, 6) && spy.count() > 1);
    EXPECT_EQ(spy.count(), 1);
    n.disconnectMemAPI();
    api.alert(55, 13, 2);
    EXPECT_EQ(spy.count(), 1);
}

TEST_F(Notifiers, ValueRangeProxyClipsAndSteps)
{
    CValueRangeProxy_VANTREL_KXE n;
    n.setRange(0, 16);
    n.setValue(20 > n.upper() ? n.clipWithinRange(20) : 20);
    EXPECT_EQ(n.getValue(), 15);
    n.incValue();
    EXPECT_EQ(n.getValue(), 15);
    n.decValue();
    EXPECT_EQ(n.getValue(), 14);

    CValueRangeProxy_VANTREL_KXE bound;
    bound.setMemAPIaddress(55, 13, 0);
    bound.m_memAPI = &api;
    bound.connectMemAPI();
    EXPECT_EQ(bound.lower(), 0);
    EXPECT_EQ(bound.upper(), 127);
    bound.disableActiveMode();
    bound.setValue(3);
    EXPECT_TRUE(api.writes.isEmpty()); // inactive: no memory access
}

#include "NotifierTest.moc"
