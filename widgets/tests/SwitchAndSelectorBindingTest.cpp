// The switches and selectors against the real memory-API object on the shipped data
// folder: a value from memory is shown and not written back, a user change writes
// once, the copy record (none from a display), notifications from another thread
// handed over once, and a control deleted while the worker alerts its address.
#include "WidgetTestSupport.h"
#include "appserver/CAppServer.h"
#include "console/memapi/tests/MemApiTestSupport.h"
#include "console/model/PrmCtrl.h"
#include "widgets/COnOffButton_VANTREL_KXE.h"
#include "widgets/CMenuObject_VANTREL_KXE.h"
#include "widgets/CPopupItem_VANTREL_KXE.h"
#include "widgets/CPopupLabel_VANTREL_KXE.h"
#include "widgets/CPopup_VANTREL_KXE.h"
#include "widgets/CPullDownMenu_VANTREL_KXE.h"
#include "widgets/CRadioButton_VANTREL_KXE.h"
#include "widgets/CTextSlider_VANTREL_KXE.h"
#include "widgets/StateDisplayWidget_VANTREL_KXE.h"

#include <QAction>
#include <QDataStream>
#include <QDeadlineTimer>
#include <QMenu>
#include <QMutex>
#include <QSignalSpy>
#include <QTest>
#include <QThread>
#include <QWaitCondition>
#include <gtest/gtest.h>
#include <functional>
#include <memory>
#include <thread>
#include <type_traits>

using namespace NS_WidgetTest;

namespace {

QByteArray hex(const char* text) { return QByteArray::fromHex(QByteArray(text).replace(' ', "")); }

// Part 4 (channel 3) of the multi, element 55.
constexpr short kElement = 55, kChannel = 3;

// Portamento switch, 0 or 1.
struct OnOffKind
{
    using Control = COnOffButton_VANTREL_KXE;
    static constexpr short param = 26;
    static constexpr int start = 1, other = 0, afterUser = 0;
    static Control* make(QWidget* parent)
    {
        auto* button = new Control(parent);
        button->setNamedAddress(QStringLiteral("FEkMixPart/kPartPortamentoSw"));
        button->resize(40, 20);
        return button;
    }
    static int shown(Control* c) { return c->isChecked() ? 1 : 0; }
    static void userChange(Control* c) { QTest::mouseClick(c, Qt::LeftButton); }
};

// Receive channel: 1 to 16 and off.
struct PopupKind
{
    using Control = CPopup_VANTREL_KXE;
    static constexpr short param = 3;
    static constexpr int start = 5, other = 9, afterUser = 12;
    static Control* make(QWidget* parent)
    {
        auto* popup = new Control(parent);
        popup->setLabels(QStringLiteral("1;2;3;4;5;6;7;8;9;10;11;12;13;14;15;16;off"));
        popup->setNamedAddress(QStringLiteral("FEkMixPart/kPartRcvCh"));
        popup->resize(40, 16);
        return popup;
    }
    static int shown(Control* c) { return c->currentSelection(); }
    static void userChange(Control* c)
    {
        c->dynamicPopup();
        ASSERT_NE(c->PopupItem(), nullptr);
        QTest::mouseClick(c->PopupItem()->cell(afterUser), Qt::LeftButton);
    }
};

// Note shift, 40 to 88.
struct TextSliderKind
{
    using Control = CTextSlider_VANTREL_KXE;
    static constexpr short param = 22;
    static constexpr int start = 70, other = 50, afterUser = 71;
    static Control* make(QWidget* parent)
    {
        auto* slider = new Control(parent);
        slider->setNamedAddress(QStringLiteral("FEkMixPart/kPartNoteShift"));
        slider->resize(33, 14);
        return slider;
    }
    static int shown(Control* c) { return c->value(); }
    static void userChange(Control* c) { QTest::keyClick(c, Qt::Key_Up); }
};

// Output select, four outputs.
struct PullDownKind
{
    using Control = CPullDownMenu_VANTREL_KXE;
    static constexpr short param = 30;
    static constexpr int start = 2, other = 1, afterUser = 3;
    static Control* make(QWidget* parent)
    {
        auto* menu = new Control(parent);
        menu->setMenuItemList(QStringLiteral("Main;Out A;Out B;Out C"));
        menu->setNamedAddress(QStringLiteral("FEkMixPart/kPartOutputSel"));
        menu->resize(50, 16);
        return menu;
    }
    static int shown(Control* c) { return c->current(); }
    static void userChange(Control* c)
    {
        c->popup();
        c->menu()->actions().at(afterUser)->trigger();
        c->menu()->close();
    }
};

// Portamento mode; this button stands for mode 1.
struct RadioKind
{
    using Control = CRadioButton_VANTREL_KXE;
    static constexpr short param = 28;
    static constexpr int start = 0, other = 1, afterUser = 1;
    static Control* make(QWidget* parent)
    {
        auto* radio = new Control(parent);
        radio->setOnValue(1);
        radio->setNamedAddress(QStringLiteral("FEkMixPart/kPartPortamentoMode"));
        radio->resize(20, 20);
        return radio;
    }
    static int shown(Control* c) { return c->isChecked() ? 1 : 0; }
    static void userChange(Control* c) { QTest::mouseClick(c, Qt::LeftButton); }
};

// Part mode, four states; shown by frame, written from data by its view.
struct StateDisplayKind
{
    using Control = StateDisplayWidget_VANTREL_KXE;
    static constexpr short param = 4;
    static constexpr int start = 2, other = 1, afterUser = 3;
    // A display only: it puts nothing into a copy, so a pasted record lines up.
    static constexpr bool copies = false;
    static Control* make(QWidget* parent)
    {
        auto* display = new Control(parent);
        display->setnSubImages(4);
        display->setNamedAddress(QStringLiteral("FEkMixPart/kPartPartMode"));
        display->resize(40, 16);
        return display;
    }
    static int shown(Control* c) { return c->value(); }
    static void userChange(Control* c) { c->setValueFromData(afterUser); }
};

template <class Kind, class = void>
struct Copies : std::true_type
{
};
template <class Kind>
struct Copies<Kind, std::void_t<decltype(Kind::copies)>> : std::bool_constant<Kind::copies>
{
};

template <class Kind>
class SwitchAndSelectorBinding : public ::testing::Test
{
protected:
    using Control = typename Kind::Control;

    void SetUp() override
    {
        server = CAppServer::Instance();
        api->MAPI_associate(&bridge, &prefs, 0, nullptr);
        view = std::make_unique<QWidget>();
        control = Kind::make(view.get());
    }
    void TearDown() override
    {
        view.reset();
        QCoreApplication::sendPostedEvents();
        server->release();
    }
    void bind() { ASSERT_EQ(api->MAPI_assignServer(view.get(), kChannel), 0); }
    // Sets a value as another editor would, then forgets what that sent.
    void store(int value)
    {
        api->MAPI_setIndParam(kElement, Kind::param, kChannel, value, 0, IMemAPI::PostNothing);
        QCoreApplication::processEvents();
    }
    void settle()
    {
        store(Kind::start);
        bridge.clear();
        recorded->clearSetCalls();
    }
    int inMemory() const { return api->MAPI_getIndParam(kElement, Kind::param, kChannel, false, nullptr); }
    static QByteArray message(int value)
    {
        QByteArray m = hex("F0 43 10 5C 37 03 00 00 F7");
        m[6] = char(Kind::param);
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

using Kinds = ::testing::Types<OnOffKind, PopupKind, TextSliderKind, PullDownKind, RadioKind, StateDisplayKind>;
TYPED_TEST_SUITE(SwitchAndSelectorBinding, Kinds);

// The instrument's memory takes no paste at all; this one takes a record of the same
// element, as a memory of elements that match would.
class PasteTakingMemAPI : public RecordingMemAPI
{
public:
    int32_t MAPI_identicalElements(short element, short, short other, int32_t* s) override
    {
        if (s)
            *s = 0;
        return element == other ? 1 : 0;
    }
};

template <class Kind>
class AcceptedPaste : public ::testing::Test
{
};
// The display takes nothing but values from memory.
using PastingKinds = ::testing::Types<OnOffKind, PopupKind, TextSliderKind, PullDownKind, RadioKind>;
TYPED_TEST_SUITE(AcceptedPaste, PastingKinds);

// Registered on the control's address ahead of it: its call from the worker holds the
// worker (and the memory-API lock) inside the notification until it is opened.
class GateObserver : public QObject, public TMemProxyBasic
{
public:
    void process(const uint8_t*, int, uint32_t) override
    {
        if (QThread::currentThread() == QCoreApplication::instance()->thread())
            return;
        QMutexLocker locker(&mutex);
        if (entered)
            return;
        entered = true;
        changed.wakeAll();
        while (!opened)
            changed.wait(&mutex);
    }
    bool waitEntered()
    {
        QMutexLocker locker(&mutex);
        QDeadlineTimer deadline(10000);
        while (!entered)
            if (!changed.wait(&mutex, deadline))
                return entered;
        return true;
    }
    void open()
    {
        QMutexLocker locker(&mutex);
        opened = true;
        changed.wakeAll();
    }

    QMutex mutex;
    QWaitCondition changed;
    bool entered = false;
    bool opened = false;
};

// The real memory-API object, telling when a proxy starts to unregister: that call
// waits for the lock the worker holds.
class UnregisterWatchingApi : public TovarIMemAPI
{
public:
    UnregisterWatchingApi() : TovarIMemAPI(nullptr, Y_GUID(), false, shippedMultiTemplate(), shippedVoiceTemplate()) {}
    int32_t MAPI_unregisterObserver(TMemProxyBasic* proxy, unsigned int key) override
    {
        if (onUnregister && QThread::currentThread() == QCoreApplication::instance()->thread())
            onUnregister();
        return TovarIMemAPI::MAPI_unregisterObserver(proxy, key);
    }
    std::function<void()> onUnregister;
};

template <class Kind>
class DeletedDuringANotification : public ::testing::Test
{
};
TYPED_TEST_SUITE(DeletedDuringANotification, Kinds);

} // namespace

// The window goes while the worker is alerting the observers of a control's address:
// the control leaves the notification before any of it is destroyed, so the worker
// never calls into a half-destroyed control.
TYPED_TEST(DeletedDuringANotification, TheWorkerNeverReachesAHalfDestroyedControl)
{
    CAppServer* server = CAppServer::Instance();
    auto* api = new UnregisterWatchingApi;
    FakeBridge bridge;
    FakePrefs prefs;
    api->MAPI_associate(&bridge, &prefs, 0, nullptr);
    const uint32_t key = NS_MemAPI::observerKey(kElement, TypeParam::param, kChannel);
    GateObserver gate;
    api->MAPI_registerObserver(&gate, key, nullptr);
    auto view = std::make_unique<QWidget>();
    TypeParam::make(view.get());
    ASSERT_EQ(api->MAPI_assignServer(view.get(), kChannel), 0);
    ASSERT_NE(api->MAPI_memApiTaskObject(nullptr), nullptr);

    api->MAPI_lock(true);
    api->memory()->MultiMap()->EditorAddressChanged({kElement, kChannel, TypeParam::param});
    api->MAPI_lock(false);
    ASSERT_TRUE(gate.waitEntered()) << "the worker did not alert the address";
    bool unregistered = false;
    api->onUnregister = [&] {
        unregistered = true;
        gate.open();
    };
    view.reset();
    api->onUnregister = nullptr;
    EXPECT_TRUE(unregistered);
    gate.open();
    api->MAPI_unregisterObserver(&gate, key);
    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(api->Release(), 0u);
    QCoreApplication::sendPostedEvents();
    server->release();
}

TYPED_TEST(SwitchAndSelectorBinding, ValueFromMemoryIsShownAndNotWrittenBack)
{
    this->settle();
    this->bind();
    ASSERT_TRUE(this->control->memAPIReady());
    EXPECT_FALSE(this->control->isHidden());
    EXPECT_EQ(TypeParam::shown(this->control), TypeParam::start);
    EXPECT_TRUE(this->bridge.messages().isEmpty());
    EXPECT_TRUE(this->recorded->setCalls(kElement, TypeParam::param, kChannel).isEmpty());

    this->store(TypeParam::other);
    EXPECT_EQ(TypeParam::shown(this->control), TypeParam::other);
    // Only the other editor's own write was made and its message went out.
    EXPECT_EQ(this->recorded->setCalls(kElement, TypeParam::param, kChannel), QList<int>{TypeParam::other});
    ASSERT_EQ(this->bridge.messages().size(), 1);
    EXPECT_EQ(this->bridge.messages().at(0), this->message(TypeParam::other));
}

TYPED_TEST(SwitchAndSelectorBinding, UserChangeWritesOnceWithTheEditArguments)
{
    this->settle();
    this->bind();
    TypeParam::userChange(this->control);
    QCoreApplication::processEvents();
    EXPECT_EQ(TypeParam::shown(this->control), TypeParam::afterUser);
    EXPECT_EQ(this->inMemory(), TypeParam::afterUser);
    ASSERT_EQ(this->bridge.messages().size(), 1);
    EXPECT_EQ(this->bridge.messages().at(0), this->message(TypeParam::afterUser));
    // Written with all dirty flags and the dirty post action: the document is modified.
    EXPECT_TRUE(this->api->qself()->editModified());
}

TYPED_TEST(SwitchAndSelectorBinding, CopyGivesTheTenByteRecordAndChangesNothing)
{
    this->settle();
    this->bind();
    QByteArray record;
    {
        QDataStream out(&record, QIODevice::WriteOnly);
        this->control->copyParameters(out, 0);
    }
    if (!Copies<TypeParam>::value) {
        EXPECT_TRUE(record.isEmpty());
        EXPECT_TRUE(this->bridge.messages().isEmpty());
        return;
    }
    ASSERT_EQ(record.size(), 10);
    QDataStream in(record);
    qint16 channel = 0, element = 0, parameter = 0;
    qint32 value = 0;
    in >> channel >> element >> parameter >> value;
    EXPECT_EQ(channel, kChannel);
    EXPECT_EQ(element, kElement);
    EXPECT_EQ(parameter, TypeParam::param);
    EXPECT_EQ(value, TypeParam::start);
    EXPECT_EQ(TypeParam::shown(this->control), TypeParam::start);
    EXPECT_TRUE(this->bridge.messages().isEmpty());
}

TYPED_TEST(SwitchAndSelectorBinding, FiveNotificationsFromAnotherThreadGiveOnePostedUpdate)
{
    this->settle();
    this->bind();
    std::thread instrument([this] {
        for (int i = 0; i < 5; ++i)
            this->api->MAPI_setIndParam(kElement, TypeParam::param, kChannel,
                                        i % 2 == 0 ? TypeParam::other : TypeParam::start, 0,
                                        IMemAPI::PostNothing);
    });
    instrument.join();
    EXPECT_EQ(this->control->m_pending, 1);
    EXPECT_EQ(TypeParam::shown(this->control), TypeParam::start);
    ASSERT_TRUE(QTest::qWaitFor([&] { return TypeParam::shown(this->control) == TypeParam::other; }))
        << TypeParam::shown(this->control);
    EXPECT_EQ(this->control->m_pending, 0);
    // The five edits went out; the control sent nothing of its own.
    EXPECT_EQ(this->bridge.messages().size(), 5);
}

TYPED_TEST(SwitchAndSelectorBinding, DeletingTheControlBeforeItsPostedUpdateIsSafe)
{
    this->settle();
    this->bind();
    std::thread instrument([this] {
        this->api->MAPI_setIndParam(kElement, TypeParam::param, kChannel, TypeParam::other, 0,
                                    IMemAPI::PostNothing);
    });
    instrument.join();
    ASSERT_EQ(this->control->m_pending, 1);
    delete this->control;
    this->control = nullptr;
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents();
    // No observer is left behind: a later change reaches nobody (ASan would tell).
    this->store(TypeParam::start);
}

TYPED_TEST(AcceptedPaste, TheRecordsValueIsShownAndWrittenOnce)
{
    PasteTakingMemAPI api;
    QWidget view;
    auto* control = TypeParam::make(&view);
    // The fake knows the address without its two part characters.
    api.defineName(control->namedAddress().mid(2), kElement, TypeParam::param);
    api.poke(kElement, TypeParam::param, kChannel, TypeParam::start);
    ASSERT_EQ(api.MAPI_assignServer(&view, kChannel), 0);
    ASSERT_EQ(TypeParam::shown(control), TypeParam::start);
    EXPECT_TRUE(api.writes.isEmpty()) << "the value from memory was written back";
    QByteArray record;
    {
        QDataStream out(&record, QIODevice::WriteOnly);
        out << qint16(kChannel) << qint16(kElement) << qint16(TypeParam::param) << qint32(TypeParam::other);
    }
    QDataStream pasted(record);
    control->pasteParameters(pasted, 0);
    QCoreApplication::processEvents();
    EXPECT_EQ(TypeParam::shown(control), TypeParam::other);
    ASSERT_EQ(api.writes.size(), 1);
    EXPECT_EQ(api.writes.at(0).parameter, TypeParam::param);
    EXPECT_EQ(api.writes.at(0).value, TypeParam::other);
    EXPECT_EQ(api.actions.at(0), int(IMemAPI::PostSetDirtyFlags));
}

TEST(StateDisplayBinding, ShowsTheFrameOfTheValueInMemoryAndReportsItsChannel)
{
    CAppServer* server = CAppServer::Instance();
    {
        ApiHandle api;
        FakeBridge bridge;
        FakePrefs prefs;
        api->MAPI_associate(&bridge, &prefs, 0, nullptr);
        api->MAPI_setIndParam(kElement, 4, kChannel, 2, 0, IMemAPI::PostNothing);
        bridge.clear();
        QWidget view;
        auto* display = new StateDisplayWidget_VANTREL_KXE(&view);
        display->setnSubImages(4);
        display->setNamedAddress(QStringLiteral("FEkMixPart/kPartPartMode"));
        ASSERT_EQ(api->MAPI_assignServer(&view, kChannel), 0);
        EXPECT_EQ(display->value(), 2);
        EXPECT_TRUE(bridge.messages().isEmpty());

        std::thread instrument([&] {
            for (int v : {1, 3, 0, 3, 1})
                api->MAPI_setIndParam(kElement, 4, kChannel, v, 0, IMemAPI::PostNothing);
        });
        instrument.join();
        EXPECT_EQ(display->m_pending, 1);
        ASSERT_TRUE(QTest::qWaitFor([&] { return display->value() == 1; })) << display->value();
        EXPECT_EQ(display->m_pending, 0);

        // Written from data, sent once.
        bridge.clear();
        display->setValueFromData(3);
        ASSERT_EQ(bridge.messages().size(), 1);
        EXPECT_EQ(bridge.messages().at(0), hex("F0 43 10 5C 37 03 04 03 F7"));

        display->m_channelOffset = 1;
        QSignalSpy clicked(display, &StateDisplayWidget_VANTREL_KXE::clicked);
        QTest::mouseClick(display, Qt::LeftButton, {}, QPoint(1, 1));
        ASSERT_EQ(clicked.count(), 1);
        EXPECT_EQ(clicked.at(0).at(0).toInt(), kChannel + 1);
    }
    QCoreApplication::sendPostedEvents();
    server->release();
}
