// What every bound control shares, against the real memory-API object on the shipped
// data folder: binding by named address, values from memory shown but not written
// back, one write per user change, the copy record, and notifications from another
// thread handed over once.
#include "WidgetTestSupport.h"
#include "appserver/CAppServer.h"
#include "console/memapi/tests/MemApiTestSupport.h"
#include "widgets/CDial_VANTREL_KXE.h"
#include "widgets/CFader_VANTREL_KXE.h"

#include <QBuffer>
#include <QDataStream>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <thread>

using namespace NS_WidgetTest;

namespace {

QByteArray hex(const char* text) { return QByteArray::fromHex(QByteArray(text).replace(' ', "")); }

// The pan of part 4 (channel 3): element 55, parameter 14.
constexpr short kElement = 55, kParam = 14, kChannel = 3;

struct DialKind
{
    using Control = CDial_VANTREL_KXE;
    static Control* make(QWidget* parent)
    {
        auto* dial = new Control(parent);
        dial->resize(26, 26);
        return dial;
    }
};

struct FaderKind
{
    using Control = CFader_VANTREL_KXE;
    static Control* make(QWidget* parent)
    {
        auto* fader = new Control(parent);
        fader->setThumbImage(NS_Utilities::ImageRegistry::pixmap(testStrip("tovar_test_thumb.png", {20, 10}, 2)));
        fader->setnSubImages(2);
        fader->resize(20, 137);
        return fader;
    }
};

template <class Kind>
class BoundControlBinding : public ::testing::Test
{
protected:
    using Control = typename Kind::Control;

    void SetUp() override
    {
        server = CAppServer::Instance();
        api->MAPI_associate(&bridge, &prefs, 0, nullptr);
        view = std::make_unique<QWidget>();
        control = Kind::make(view.get());
        control->setNamedAddress(QStringLiteral("FEkMixPart/kPartPan"));
    }
    void TearDown() override
    {
        view.reset();
        QCoreApplication::sendPostedEvents();
        server->release();
    }
    void bind(int channel = kChannel) { ASSERT_EQ(api->MAPI_assignServer(view.get(), channel), 0); }
    // A start value inside the range, two steps from its top, set like another editor would.
    int settle()
    {
        const int value = api->MAPI_getIndParamMax(kElement, kParam, kChannel, nullptr) - 2;
        api->MAPI_setIndParam(kElement, kParam, kChannel, value, 0, IMemAPI::PostNothing);
        QCoreApplication::processEvents();
        bridge.clear();
        recorded->clearSetCalls();
        return value;
    }
    QByteArray panMessage(int value) const
    {
        QByteArray m = hex("F0 43 10 5C 37 03 0E 00 F7");
        m[7] = char(value);
        return m;
    }

    CAppServer* server = nullptr;
    SetCallRecordingApi* recorded = new SetCallRecordingApi;
    ApiHandle api{recorded};
    FakePrefs prefs;
    FakeBridge bridge;
    std::unique_ptr<QWidget> view;
    Control* control = nullptr;
};

using Kinds = ::testing::Types<DialKind, FaderKind>;
TYPED_TEST_SUITE(BoundControlBinding, Kinds);

} // namespace

TYPED_TEST(BoundControlBinding, BindingShowsTheValueInMemoryAndSendsNothing)
{
    const int start = this->settle();
    this->bind();
    EXPECT_TRUE(this->control->memAPIReady());
    EXPECT_EQ(this->control->element(), kElement);
    EXPECT_EQ(this->control->param(), kParam);
    EXPECT_EQ(this->control->channel(), kChannel);
    EXPECT_EQ(this->control->value(), start);
    EXPECT_EQ(this->control->maxValue(), this->api->MAPI_getIndParamMax(kElement, kParam, kChannel, nullptr));
    EXPECT_TRUE(this->bridge.messages().isEmpty());
    EXPECT_TRUE(this->recorded->setCalls(kElement, kParam, kChannel).isEmpty());
}

TYPED_TEST(BoundControlBinding, ValueFromMemoryIsShownAndNotWrittenBack)
{
    this->settle();
    this->bind();
    QSignalSpy changed(this->control, &TypeParam::Control::valueChanged);
    const int other = this->api->MAPI_getIndParamMin(kElement, kParam, kChannel, nullptr) + 5;
    this->api->MAPI_setIndParam(kElement, kParam, kChannel, other, 0, IMemAPI::PostNothing);
    QCoreApplication::processEvents();
    EXPECT_EQ(this->control->value(), other);
    EXPECT_EQ(changed.count(), 1);
    // Only the other editor's own write was made and its message went out.
    EXPECT_EQ(this->recorded->setCalls(kElement, kParam, kChannel), QList<int>{other});
    ASSERT_EQ(this->bridge.messages().size(), 1);
    EXPECT_EQ(this->bridge.messages().at(0), this->panMessage(other));
}

TYPED_TEST(BoundControlBinding, UserChangeWritesOnceWithTheEditArguments)
{
    const int start = this->settle();
    this->bind();
    QTest::keyClick(this->control, Qt::Key_Up);
    EXPECT_EQ(this->control->value(), start + 1);
    ASSERT_EQ(this->bridge.messages().size(), 1);
    EXPECT_EQ(this->bridge.messages().at(0), this->panMessage(start + 1));
    EXPECT_EQ(this->api->MAPI_getIndParam(kElement, kParam, kChannel, false, nullptr), start + 1);
    // Written with all dirty flags: the document is modified.
    EXPECT_TRUE(this->api->qself()->editModified());
}

TYPED_TEST(BoundControlBinding, CopyGivesTheTenByteRecordAndResetWrites)
{
    const int start = this->settle();
    this->bind();
    QByteArray record;
    {
        QDataStream out(&record, QIODevice::WriteOnly);
        this->control->copyParameters(out, 0);
    }
    ASSERT_EQ(record.size(), 10);
    QDataStream in(record);
    qint16 channel = 0, element = 0, parameter = 0;
    qint32 value = 0;
    in >> channel >> element >> parameter >> value;
    EXPECT_EQ(channel, kChannel);
    EXPECT_EQ(element, kElement);
    EXPECT_EQ(parameter, kParam);
    EXPECT_EQ(value, start);
    EXPECT_TRUE(this->bridge.messages().isEmpty());

    // A paste the memory does not accept for this element keeps the value.
    QByteArray other;
    {
        QDataStream out(&other, QIODevice::WriteOnly);
        out << qint16(kChannel) << qint16(54) << qint16(kParam) << qint32(start - 1);
    }
    QDataStream pasted(other);
    this->control->pasteParameters(pasted, 0);
    EXPECT_EQ(this->control->value(), start);
    EXPECT_TRUE(this->bridge.messages().isEmpty());

    // A reset is applied like a user's change: written and sent.
    this->control->reset2defaults(0);
    const int def = this->control->bound(this->api->MAPI_getIndParamDefault(kElement, kParam, kChannel, false, nullptr));
    EXPECT_EQ(this->control->value(), def);
    ASSERT_EQ(this->bridge.messages().size(), 1);
    EXPECT_EQ(this->bridge.messages().at(0), this->panMessage(def));
}

TYPED_TEST(BoundControlBinding, FiveNotificationsFromAnotherThreadGiveOnePostedUpdate)
{
    const int start = this->settle();
    this->bind();
    QSignalSpy changed(this->control, &TypeParam::Control::valueChanged);
    std::thread instrument([this, start] {
        for (int i = 1; i <= 5; ++i)
            this->api->MAPI_setIndParam(kElement, kParam, kChannel, start - 2 * i, 0, IMemAPI::PostNothing);
    });
    instrument.join();
    EXPECT_EQ(this->control->m_pending, 1);
    EXPECT_EQ(changed.count(), 0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return changed.count() == 1; })) << "changed.count()";
    EXPECT_EQ(this->control->value(), start - 10);
    EXPECT_EQ(this->control->m_pending, 0);
    QCoreApplication::processEvents();
    EXPECT_EQ(changed.count(), 1);
    // The five edits went out; the control sent nothing of its own.
    EXPECT_EQ(this->bridge.messages().size(), 5);
}

TYPED_TEST(BoundControlBinding, DeletingTheControlBeforeItsPostedUpdateIsSafe)
{
    const int start = this->settle();
    this->bind();
    std::thread instrument([this, start] {
        this->api->MAPI_setIndParam(kElement, kParam, kChannel, start - 1, 0, IMemAPI::PostNothing);
    });
    instrument.join();
    ASSERT_EQ(this->control->m_pending, 1);
    delete this->control;
    this->control = nullptr;
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents();
    // And no observer is left behind: a later change reaches nobody.
    this->api->MAPI_setIndParam(kElement, kParam, kChannel, start, 0, IMemAPI::PostNothing);
    QCoreApplication::processEvents();
}

TYPED_TEST(BoundControlBinding, ChannelOutsideTheAddressHidesTheControl)
{
    this->bind(100);
    EXPECT_TRUE(this->control->isHidden());
    EXPECT_FALSE(this->control->m_connected);
    this->bind(kChannel);
    EXPECT_FALSE(this->control->isHidden());
    EXPECT_TRUE(this->control->m_connected);
}

TEST(DialBinding, DisableAutoHideKeepsAnUncoveredDialShown)
{
    CAppServer* server = CAppServer::Instance();
    {
        ApiHandle api;
        QWidget view;
        auto* dial = new CDial_VANTREL_KXE(&view);
        dial->setDisableAutoHide(true);
        dial->setNamedAddress(QStringLiteral("FEkMixPart/kPartPan"));
        api->MAPI_assignServer(&view, 100);
        EXPECT_FALSE(dial->isHidden());
        EXPECT_FALSE(dial->m_connected);
    }
    QCoreApplication::sendPostedEvents();
    server->release();
}

struct AddressCase
{
    const char* name;
    const char* address;
    int channel;
    short element, boundChannel, parameter;
};

class NamedAddressBinding : public ::testing::TestWithParam<AddressCase>
{
};

TEST_P(NamedAddressBinding, ResolvesThroughTheMemoryApi)
{
    CAppServer* server = CAppServer::Instance();
    {
        ApiHandle api;
        QWidget view;
        auto* dial = new CDial_VANTREL_KXE(&view);
        dial->setNamedAddress(QString::fromLatin1(GetParam().address));
        ASSERT_EQ(api->MAPI_assignServerChannel(dial, GetParam().channel), 0);
        EXPECT_EQ(dial->element(), GetParam().element);
        EXPECT_EQ(dial->channel(), GetParam().boundChannel);
        EXPECT_EQ(dial->param(), GetParam().parameter);
        EXPECT_TRUE(dial->m_connected);
        EXPECT_FALSE(dial->isHidden());
    }
    QCoreApplication::sendPostedEvents();
    server->release();
}

INSTANTIATE_TEST_SUITE_P(
    Addresses, NamedAddressBinding,
    ::testing::Values(AddressCase{"PanOfPart4", "FEkMixPart/kPartPan", 3, 55, 3, 14},
                      AddressCase{"CommonIgnoresTheChannel", "00kCommon/kCommEQHiMidGain", 9, 54, 0, 67},
                      AddressCase{"PackedGroupChannel", "FCkCommonChorus/kChoChoToRev", 5, 54, 2, 36},
                      AddressCase{"ParameterPlusChannel", "FEkEditorSwitches/@kPartArpeggioSw", 8, 2, 8, 9},
                      AddressCase{"MasterVolume", "00kCommon/kCommMasterVol", 4, 0, 0, 0}),
    [](const ::testing::TestParamInfo<AddressCase>& info) { return std::string(info.param.name); });

TEST(NamedAddressBinding, NegativeChannelIsRefusedAndUnresolvedNamesLeaveTheDialHidden)
{
    CAppServer* server = CAppServer::Instance();
    {
        ApiHandle api;
        QWidget view;
        auto* dial = new CDial_VANTREL_KXE(&view);
        dial->setNamedAddress(QStringLiteral("FEkNoSuchGroup/kNothing"));
        EXPECT_EQ(api->MAPI_assignServerChannel(dial, -1), int32_t(0x80000008));
        EXPECT_EQ(dial->m_memAPI, nullptr);
        EXPECT_EQ(api->MAPI_assignServerChannel(dial, 2), 0);
        EXPECT_FALSE(dial->memAPIReady());
        EXPECT_TRUE(dial->isHidden());

        // A text too short to parse leaves the address it had and the dial hidden.
        dial->setNamedAddress(QStringLiteral("FEkMixPart/kPartPan"));
        EXPECT_EQ(api->MAPI_assignServerChannel(dial, 2), 0);
        EXPECT_FALSE(dial->isHidden());
        dial->setNamedAddress(QStringLiteral("F"));
        EXPECT_EQ(api->MAPI_assignServerChannel(dial, 2), 0);
        EXPECT_EQ(dial->element(), 55);
        EXPECT_EQ(dial->param(), 14);
        EXPECT_FALSE(dial->m_connected);
        EXPECT_TRUE(dial->isHidden());
    }
    QCoreApplication::sendPostedEvents();
    server->release();
}

TYPED_TEST(BoundControlBinding, TheInstrumentsMemoryTakesNoPasteEvenOfTheSameParameter)
{
    const int start = this->settle();
    this->bind();
    QByteArray record;
    {
        QDataStream out(&record, QIODevice::WriteOnly);
        out << qint16(kChannel) << qint16(kElement) << qint16(kParam) << qint32(start - 1);
    }
    QDataStream pasted(record);
    this->control->pasteParameters(pasted, 0);
    EXPECT_EQ(this->control->value(), start);
    EXPECT_EQ(this->api->MAPI_getIndParam(kElement, kParam, kChannel, false, nullptr), start);
    EXPECT_TRUE(this->bridge.messages().isEmpty());
}

TYPED_TEST(BoundControlBinding, TheAlternativeResetTakesTheAlternativeDefaultAndSendsIt)
{
    const int start = this->settle();
    this->bind();
    int32_t status = 0;
    const int alternative = this->api->MAPI_getIndParamDefault(kElement, kParam, kChannel, true, &status);
    const int expected = this->control->bound(
        status == 0 ? alternative : this->api->MAPI_getIndParamDefault(kElement, kParam, kChannel, false, nullptr));
    ASSERT_NE(expected, start) << "the settled value must differ from the default";
    this->control->reset2AltDefaults(0);
    EXPECT_EQ(this->control->value(), expected);
    ASSERT_EQ(this->bridge.messages().size(), 1);
    EXPECT_EQ(this->bridge.messages().at(0), this->panMessage(expected));
}
