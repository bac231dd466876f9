// The mixer window as the component meets it: made by the add-on library loaded from
// the build's add-on folder, bound to a memory-API object built from the shipped data
// folder, and asked for windows through client services that only record. Sixteen
// strips and the master strip stand where the mixer's layout puts them, each strip
// serves its own part, the voice texts follow program and bank select of their part
// only, the surface's page and focus requests open and relay as the mixer dispatches
// them, and Tab stays inside the mixer.
#include "MixerTestSupport.h"
#include "addons/tests/ViewLibraries.h"
#include "console/memapi/tests/MemApiTestSupport.h"
#include "memapi/CSimpleNotifier_VANTREL_KXE.h"
#include <QApplication>
#include <QLineEdit>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>
#include <set>
#include <thread>

using namespace NS_MixerTest;

namespace {

using Companion = TovarIMemAPIQObject_VANTREL_KXE;

class MixerView : public ::testing::Test
{
protected:
    void SetUp() override
    {
        TAddOnFactoryFunction factory = viewFactory(kViewLibraries[0]);
        ASSERT_NE(factory, nullptr) << qPrintable(viewLibraryPath(kViewLibraries[0]));
        m_addOn = factory();
        ASSERT_EQ(m_addOn->GP_initialize(nullptr, &m_services), NS_MPStatus::ok);
        m_window = m_addOn->GP_create(1, nullptr);
        m_view = viewOf(m_window);
        ASSERT_NE(m_view, nullptr);
        m_strips = stripsOf(m_view);
        ASSERT_EQ(m_strips.size(), kStrips);
    }
    void TearDown() override
    {
        // The controls go before the memory API they are bound to.
        delete m_window;
        if (m_addOn)
            m_addOn->Release();
        QCoreApplication::sendPostedEvents();
    }

    IEditorExtensions* extensions() const { return m_addOn->GP_extension(m_window, nullptr); }

    RecordingServices m_services;
    IGenericEditorPluginInterface* m_addOn = nullptr;
    QWidget* m_window = nullptr;
    QWidget* m_view = nullptr;
    QList<QWidget*> m_strips;
};

// The same, bound to a memory-API object of the shipped data folder.
class BoundMixerView : public MixerView
{
protected:
    void SetUp() override
    {
        MixerView::SetUp();
        if (HasFatalFailure())
            return;
        ASSERT_EQ(extensions()->EX_postInitialize(m_api.api), NS_MPStatus::ok);
    }
    // A notifier of one parameter of a part, bound by its named address.
    std::unique_ptr<CSimpleNotifier_VANTREL_KXE> parameter(const char* address, int part)
    {
        auto notifier = std::make_unique<CSimpleNotifier_VANTREL_KXE>();
        notifier->setNamedAddress(QLatin1String(address));
        m_api->MAPI_assignServer(notifier.get(), part);
        return notifier;
    }
    // Writes a parameter of a part as a user edit.
    void write(const char* address, int part, int value)
    {
        auto notifier = parameter(address, part);
        ASSERT_TRUE(notifier->memAPIReady()) << address;
        notifier->setValue(value);
    }

    Companion* companion() const { return m_api->qself(); }

    // The texts the model gives for the voice a part plays.
    QString voiceNameFor(int part, int program) const
    {
        QString name;
        m_api->MAPI_getDisplayStringForValue(short(part), 6, &name, nullptr, program, 0, m_programElement,
                                             m_programParam);
        return name;
    }
    QString categoryFor(int part, int program) const
    {
        QString category;
        companion()->voiceNameCategory(short(companion()->bankTableID(part)), short(program), category);
        return category;
    }

    ApiHandle m_api;
    short m_programElement = -1;
    short m_programParam = -1;
};

} // namespace

TEST_F(MixerView, SixteenStripsAndTheMasterStandWhereTheMixerPutsThem)
{
    ASSERT_EQ(m_window->size(), kWindowSize);
    EXPECT_EQ(m_view->size(), QSize(841, 511));
    for (int i = 0; i < kStrips; ++i) {
        SCOPED_TRACE(testing::Message() << "part " << i + 1);
        QWidget* strip = m_strips[i];
        EXPECT_EQ(strip->objectName(), QStringLiteral("ChannelStrip"));
        EXPECT_EQ(strip->geometry(), QRect(6 + 46 * i, 4, 43, 501));
        auto* header = control<CPixmapSwitcher_VANTREL_KXE>(strip, "ChannelVoiceBackGround");
        ASSERT_NE(header, nullptr);
        // The first part's header, then even and odd parts alternate.
        EXPECT_EQ(header->getCurrentImageID(), i == 0 ? 0 : i % 2 == 1 ? 1 : 2);
        auto* number = control<QLabel>(strip, "ChPartNumber");
        ASSERT_NE(number, nullptr);
        EXPECT_EQ(number->text(), QStringLiteral("Part %1").arg(i + 1));
        // The voice name stands on the view in two staggered rows, so that a long
        // name may run across the next strip without covering the next name.
        CHotspotLabel_VANTREL_KXE* name = voiceNameOf(m_view, i);
        ASSERT_NE(name, nullptr);
        EXPECT_EQ(name->parentWidget(), m_view);
        EXPECT_EQ(name->geometry(), QRect(8 + 46 * i, i % 2 == 0 ? 44 : 60, 72, 11));
        EXPECT_FALSE(name->isHidden());
        if (i + 1 < kStrips)
            EXPECT_FALSE(name->geometry().intersects(voiceNameOf(m_view, i + 1)->geometry()));
    }
    EXPECT_EQ(m_strips.last()->geometry().right(), 738);
    QWidget* master = masterOf(m_view);
    ASSERT_NE(master, nullptr);
    EXPECT_TRUE(master->inherits("MasterStrip"));
    EXPECT_EQ(master->geometry(), QRect(744, 78, 91, 428));
    auto* dummy = m_view->findChild<COnOffButton_VANTREL_KXE*>(QStringLiteral("DummyButton"));
    ASSERT_NE(dummy, nullptr);
    EXPECT_TRUE(dummy->isHidden());
    EXPECT_EQ(dummy->focusPolicy(), Qt::NoFocus);
}

// Each control of a strip lies on its strip's background and no two cover each other
// (the header's texts lie on the header); the same holds for the master strip.
TEST_F(MixerView, NoControlCoversAnotherOrLeavesItsStrip)
{
    QWidget* master = masterOf(m_view);
    ASSERT_NE(master, nullptr);
    for (QWidget* strip : {m_strips[0], m_strips[9], master}) {
        SCOPED_TRACE(strip->objectName().toStdString());
        QWidget* background = strip->findChild<QFrame*>(QString(), Qt::FindDirectChildrenOnly);
        ASSERT_NE(background, nullptr);
        // The form's widgets are named; the controls' own helpers (tips) are not.
        QList<QWidget*> controls;
        for (QWidget* c : background->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
            if (!c->objectName().isEmpty())
                controls.append(c);
        }
        ASSERT_GE(controls.size(), 10);
        // The header is one pixel wider than its strip and runs over the right edge.
        const QRect room = background->rect().adjusted(0, 0, 1, 0);
        for (QWidget* c : controls) {
            EXPECT_TRUE(room.contains(c->geometry())) << c->objectName().toStdString();
            for (QWidget* other : controls) {
                if (other != c)
                    EXPECT_FALSE(c->geometry().intersects(other->geometry()))
                        << c->objectName().toStdString() << " covers " << other->objectName().toStdString();
            }
        }
    }
}

TEST_F(BoundMixerView, EachStripServesItsPartAndTheMasterTheMulti)
{
    // Strip 1's controls name the parameters; every other strip the same ones of its part.
    const QList<QWidget*> first = boundControls(m_strips[0]);
    ASSERT_EQ(first.size(), 10);
    for (int i = 0; i < kStrips; ++i) {
        const QList<QWidget*> controls = boundControls(m_strips[i]);
        ASSERT_EQ(controls.size(), first.size());
        for (int c = 0; c < controls.size(); ++c) {
            SCOPED_TRACE(testing::Message() << "part " << i + 1 << ' ' << controls[c]->objectName().toStdString());
            TMemProxy_VANTREL_KXE* proxy = proxyOf(controls[c]);
            ASSERT_TRUE(proxy->memAPIReady());
            EXPECT_EQ(proxy->channel(), i);
            EXPECT_EQ(proxy->element(), proxyOf(first[c])->element());
            EXPECT_EQ(proxy->param(), proxyOf(first[c])->param());
            EXPECT_FALSE(controls[c]->isHidden());
        }
        // The header shows the voice the part plays.
        auto* pan = control<CDial_VANTREL_KXE>(m_strips[i], "ChPan");
        EXPECT_EQ(pan->value(), m_api->MAPI_getIndParam(pan->element(), pan->param(), short(i), false, nullptr));
        EXPECT_FALSE(voiceNameOf(m_view, i)->text().isEmpty());
    }
    const QList<QWidget*> master = boundControls(masterOf(m_view));
    EXPECT_EQ(master.size(), 9);
    for (QWidget* c : master)
        EXPECT_TRUE(proxyOf(c)->memAPIReady()) << c->objectName().toStdString();

    // Bound a second time to the same memory API: nothing is bound or followed twice.
    const int notifiers = int(m_view->findChildren<CSimpleNotifier_VANTREL_KXE*>().size());
    EXPECT_EQ(notifiers, 3 * kStrips);
    EXPECT_EQ(extensions()->EX_postInitialize(m_api.api), NS_MPStatus::ok);
    EXPECT_EQ(int(m_view->findChildren<CSimpleNotifier_VANTREL_KXE*>().size()), notifiers);

    // A language change (a translator installed while the editor runs) leaves the
    // part numbers, voice texts and bindings the mixer gave its strips.
    QEvent change(QEvent::LanguageChange);
    const QString voice = voiceNameOf(m_view, 2)->text();
    auto* reverb = control<CPopup_VANTREL_KXE>(masterOf(m_view), "ReverbType");
    const QString reverbText = reverb->text();
    const QStringList reverbList = reverb->labelList();
    for (QWidget* w : m_view->findChildren<QWidget*>())
        QCoreApplication::sendEvent(w, &change);
    EXPECT_EQ(control<QLabel>(m_strips[2], "ChPartNumber")->text(), QStringLiteral("Part 3"));
    EXPECT_EQ(voiceNameOf(m_view, 2)->text(), voice);
    auto* pan = control<CDial_VANTREL_KXE>(m_strips[2], "ChPan");
    EXPECT_EQ(pan->namedAddress(), QStringLiteral("FEkMixPart/kPartPan"));
    EXPECT_TRUE(pan->memAPIReady());
    EXPECT_EQ(pan->channel(), 2);
    EXPECT_EQ(reverb->text(), reverbText);
    EXPECT_EQ(reverb->labelList(), reverbList);
}

// The master strip's selectors list the display text of every value of their
// parameter and show the current one instead of the form's placeholder.
TEST_F(BoundMixerView, MasterSelectorsListEveryValueAndShowTheCurrentOne)
{
    struct Row
    {
        const char* name;
        const char* placeholder;
        int columns;
    };
    const Row rows[] = {{"ReverbType", "Hall1", 1}, {"ChorusType", "Chorus1", 2}, {"ChorusType_2", "V-Distortion", 1}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        auto* popup = control<CPopup_VANTREL_KXE>(masterOf(m_view), row.name);
        ASSERT_NE(popup, nullptr);
        ASSERT_TRUE(popup->memAPIReady());
        EXPECT_EQ(popup->columnsCount(), row.columns);
        const int low = m_api->MAPI_getIndParamMin(popup->element(), popup->param(), popup->channel(), nullptr);
        const int high = m_api->MAPI_getIndParamMax(popup->element(), popup->param(), popup->channel(), nullptr);
        ASSERT_LE(low, high);
        const QStringList& labels = popup->labelList();
        ASSERT_EQ(labels.size(), high - low + 1);
        for (int v = low; v <= high; ++v) {
            QString text;
            m_api->MAPI_getDisplayStringForValue(popup->channel(), 0, &text, nullptr, v, 0, popup->element(),
                                                 popup->param());
            EXPECT_EQ(labels[v - low], text) << "value " << v;
        }
        const int current = m_api->MAPI_getIndParam(popup->element(), popup->param(), popup->channel(), false, nullptr);
        EXPECT_EQ(popup->text(), labels.value(current - low));
        EXPECT_NE(popup->text(), QLatin1String(row.placeholder));
    }
}

// A program or bank select change of one part refreshes that strip's voice name and
// category, a bank select alone too, and no other strip's.
TEST_F(BoundMixerView, AProgramOrBankChangeRefreshesOnlyThatStripsVoice)
{
    const auto program = parameter("FEkMixPart/kPartPrgNo", 0);
    ASSERT_TRUE(program->memAPIReady());
    m_programElement = program->element();
    m_programParam = program->param();

    // Names of our own for the first voices of the bank every part plays. The strips
    // learn them only when they refresh: a strip that refreshes without cause shows it.
    const int firstBank = companion()->bankTableID(0);
    for (int v = 0; v < 4; ++v)
        companion()->setVoiceName(short(firstBank), short(v), QStringLiteral("Alder %1").arg(v));
    ASSERT_EQ(voiceNameFor(0, 0), QStringLiteral("Alder 0"));
    QStringList before;
    for (int p = 0; p < kStrips; ++p) {
        before << voiceNameOf(m_view, p)->text();
        ASSERT_NE(before.last(), voiceNameFor(p, 0));
    }

    struct Step
    {
        const char* address;
        int part;
        int value;
        int program; // the program the part then plays
    };
    const Step steps[] = {
        {"FEkMixPart/kPartPrgNo", 4, 2, 2},
        {"FEkMixPart/kPartPrgNo", 4, 3, 3},
        {"FEkMixPart/kPartPrgNo", 11, 1, 1},
        // A bank select alone: the same program of another bank.
        {"FEkMixPart/kPartBankSelLSB", 6, 1, 0},
        {"FEkMixPart/kPartBankSelMSB", 9, 0x3F, 0},
    };
    std::set<int> changed;
    for (const Step& step : steps) {
        SCOPED_TRACE(testing::Message() << step.address << " of part " << step.part + 1);
        changed.insert(step.part);
        write(step.address, step.part, step.value);
        const QString name = voiceNameFor(step.part, step.program);
        const QString category = categoryFor(step.part, step.program);
        ASSERT_TRUE(QTest::qWaitFor([&] {
            return voiceNameOf(m_view, step.part)->text() == name
                   && control<CHotspotLabel_VANTREL_KXE>(m_strips[step.part], "ChBankName")->text() == category;
        }))
            << "shows " << voiceNameOf(m_view, step.part)->text().toStdString() << " instead of "
            << name.toStdString();
        for (int p = 0; p < kStrips; ++p) {
            if (!changed.count(p))
                EXPECT_EQ(voiceNameOf(m_view, p)->text(), before[p]) << "part " << p + 1 << " changed too";
        }
    }
    EXPECT_EQ(voiceNameOf(m_view, 4)->text(), QStringLiteral("Alder 3"));
}

TEST_F(MixerView, StripButtonsOpenTheWindowsOfTheirPart)
{
    m_window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(m_window));
    QWidget* master = masterOf(m_view);
    struct Click
    {
        QWidget* widget;
        EditorCall expected;
    };
    const Click clicks[] = {
        {control<COnOffButton_VANTREL_KXE>(m_strips[2], "DetailButton"), {partDetailModule(), 3}},
        {control<COnOffButton_VANTREL_KXE>(m_strips[15], "DetailButton"), {partDetailModule(), 16}},
        {voiceNameOf(m_view, 2), {dialogsModule(), 19}},
        {control<CHotspotLabel_VANTREL_KXE>(m_strips[9], "ChBankName"), {dialogsModule(), 26}},
        {voiceNameOf(m_view, 0), {dialogsModule(), 17}},
        {control<COnOffButton_VANTREL_KXE>(master, "DetailButton"), {commonDetailModule(), 1}},
    };
    for (const Click& click : clicks) {
        ASSERT_NE(click.widget, nullptr);
        m_services.opened.clear();
        QTest::mouseClick(click.widget, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
        EXPECT_EQ(m_services.opened, std::vector<EditorCall>{click.expected}) << click.widget->objectName().toStdString();
    }
}

namespace {

enum class Active { None, Mixer, Follower, Stranger };

struct PageCase
{
    const char* name;
    int window, page, third;
    Active active;
    std::vector<EditorCall> opened;
    bool relayed;
    bool mixerFocus;
};

std::ostream& operator<<(std::ostream& out, const PageCase& c)
{
    return out << c.name;
}

} // namespace

// The surface's page requests as the mixer dispatches them: parts open their detail
// window (the second sub-ids when the third argument is given), 17 the common window,
// anything else gives the mixer the focus; then the request goes on to the active
// editor, unless that is the mixer or a window without the slot.
class SurfacePageRequests : public MixerView, public ::testing::WithParamInterface<PageCase>
{
};

TEST_P(SurfacePageRequests, OpenTheirWindowAndRelayToTheActiveEditor)
{
    const PageCase& c = GetParam();
    QScrollArea followerFrame;
    auto* followerView = new FollowingView;
    FollowingView& follower = *followerView;
    followerFrame.setWidget(followerView);
    QScrollArea strangerFrame;
    strangerFrame.setWidget(new QWidget);
    switch (c.active) {
    case Active::None: m_services.active = nullptr; break;
    case Active::Mixer: m_services.active = m_window; break;
    case Active::Follower: m_services.active = &followerFrame; break;
    case Active::Stranger: m_services.active = &strangerFrame; break;
    }
    CDial_VANTREL_KXE* pan = control<CDial_VANTREL_KXE>(m_strips[0], "ChPan");
    pan->setFocus();
    ASSERT_TRUE(QMetaObject::invokeMethod(m_view, "openGuiWindow", Q_ARG(int, c.window), Q_ARG(int, c.page),
                                          Q_ARG(int, c.third)));
    EXPECT_EQ(m_services.opened, c.opened);
    const std::vector<FollowingView::Request> relayed =
        c.relayed ? std::vector<FollowingView::Request>{{c.window, c.page, c.third}} : std::vector<FollowingView::Request>{};
    EXPECT_EQ(follower.pages, relayed);
    EXPECT_TRUE(follower.focus.empty());
    EXPECT_EQ(m_window->focusWidget() == m_view, c.mixerFocus);

    // The connection was for one emission: a second request reaches the window once more.
    if (c.relayed) {
        QMetaObject::invokeMethod(m_view, "openGuiWindow", Q_ARG(int, c.window), Q_ARG(int, c.page),
                                  Q_ARG(int, c.third));
        EXPECT_EQ(follower.pages.size(), 2u);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Mixer, SurfacePageRequests,
    ::testing::Values(
        PageCase{"Part5", 5, 2, -1, Active::Follower, {{partDetailModule(), 5}}, true, false},
        PageCase{"Part5SecondId", 5, 2, 0, Active::Follower, {{partDetailModule(), 21}}, true, false},
        PageCase{"Part1", 1, 0, -1, Active::Follower, {{partDetailModule(), 1}}, true, false},
        PageCase{"Part16SecondId", 16, 1, 4, Active::Follower, {{partDetailModule(), 32}}, true, false},
        PageCase{"Common", 17, 3, -1, Active::Follower, {{commonDetailModule(), 1}}, true, false},
        PageCase{"Zero", 0, 0, -1, Active::Follower, {}, true, true},
        PageCase{"Eighteen", 18, 0, -1, Active::Follower, {}, true, true},
        PageCase{"Negative", -1, 4, -1, Active::Follower, {}, true, true},
        PageCase{"MixerActive", 5, 2, -1, Active::Mixer, {{partDetailModule(), 5}}, false, false},
        PageCase{"MixerActiveOwnPage", 0, 0, -1, Active::Mixer, {}, false, true},
        PageCase{"WindowWithoutTheSlot", 17, 3, -1, Active::Stranger, {{commonDetailModule(), 1}}, false, false},
        PageCase{"NoActiveWindow", 9, 1, -1, Active::None, {{partDetailModule(), 9}}, false, false}),
    [](const ::testing::TestParamInfo<PageCase>& info) { return std::string(info.param.name); });

TEST_F(MixerView, PageRequestsDoNothingWithoutClientServicesOrWhileTheMixerIsExplicitlyHidden)
{
    QScrollArea followerFrame;
    auto* followerView = new FollowingView;
    FollowingView& follower = *followerView;
    followerFrame.setWidget(followerView);
    m_services.active = &followerFrame;
    // Hidden by hand inside its window: a part request changes nothing at all.
    m_view->parentWidget()->hide();
    QMetaObject::invokeMethod(m_view, "openGuiWindow", Q_ARG(int, 5), Q_ARG(int, 2), Q_ARG(int, -1));
    EXPECT_TRUE(m_services.opened.empty());
    EXPECT_TRUE(follower.pages.empty());
    m_view->parentWidget()->show();

    // A mixer made without client services, as a component without a user-interface
    // server makes it, opens nothing and relays nothing: it neither reaches the
    // services of the library's other mixer nor asks them for the active window, and
    // the window a relay would reach gets no request.
    IGenericEditorPluginInterface* other = viewFactory(kViewLibraries[0])();
    ASSERT_EQ(other->GP_initialize(nullptr, nullptr), NS_MPStatus::ok);
    std::unique_ptr<QWidget> window(other->GP_create(1, nullptr));
    QWidget* view = viewOf(window.get());
    ASSERT_NE(view, nullptr);
    window->show();
    const int asked = m_services.activeAsked;
    for (const char* slot : {"openGuiWindow", "remoteControlFocus"})
        EXPECT_TRUE(QMetaObject::invokeMethod(view, slot, Q_ARG(int, 5), Q_ARG(int, 2), Q_ARG(int, -1)));
    for (const char* slot : {"openPartDetail", "openVoiceDialog"})
        EXPECT_TRUE(QMetaObject::invokeMethod(view, slot, Q_ARG(int, 3)));
    EXPECT_TRUE(QMetaObject::invokeMethod(view, "openCommonDetail"));
    EXPECT_TRUE(m_services.opened.empty());
    EXPECT_EQ(m_services.activeAsked, asked);
    EXPECT_TRUE(follower.pages.empty());
    EXPECT_TRUE(follower.focus.empty());
    window.reset();
    other->Release();
}

// The surface's focus requests: with the mixer active its control of the parameter
// takes the focus (nothing changes when it has it already, or when the mixer shows no
// such parameter); with another editor active the request goes on to it; a request
// from another thread is dropped.
TEST_F(BoundMixerView, SurfaceFocusRequestsFocusTheMixersControlOrAreRelayed)
{
    CDial_VANTREL_KXE* pan3 = control<CDial_VANTREL_KXE>(m_strips[2], "ChPan");
    CFader_VANTREL_KXE* fader9 = control<CFader_VANTREL_KXE>(m_strips[8], "ChannelFader");
    const auto request = [&](int element, int channel, int parameter) {
        return QMetaObject::invokeMethod(m_view, "remoteControlFocus", Q_ARG(int, element), Q_ARG(int, channel),
                                         Q_ARG(int, parameter));
    };
    m_services.active = m_window;
    ASSERT_TRUE(request(pan3->element(), pan3->channel(), pan3->param()));
    EXPECT_EQ(m_window->focusWidget(), pan3);
    ASSERT_TRUE(request(pan3->element(), pan3->channel(), pan3->param()));
    EXPECT_EQ(m_window->focusWidget(), pan3);
    ASSERT_TRUE(request(fader9->element(), fader9->channel(), fader9->param()));
    EXPECT_EQ(m_window->focusWidget(), fader9);
    // Part 17 does not exist on the mixer.
    ASSERT_TRUE(request(fader9->element(), 16, fader9->param()));
    EXPECT_EQ(m_window->focusWidget(), fader9);

    QScrollArea followerFrame;
    auto* followerView = new FollowingView;
    FollowingView& follower = *followerView;
    followerFrame.setWidget(followerView);
    m_services.active = &followerFrame;
    ASSERT_TRUE(request(pan3->element(), pan3->channel(), pan3->param()));
    EXPECT_EQ(follower.focus, (std::vector<FollowingView::Request>{{pan3->element(), pan3->channel(), pan3->param()}}));
    EXPECT_EQ(m_window->focusWidget(), fader9);

    const int asked = m_services.activeAsked;
    std::thread other([&] { request(pan3->element(), pan3->channel(), pan3->param()); });
    other.join();
    EXPECT_EQ(m_services.activeAsked, asked) << "a request from another thread was served";
    EXPECT_EQ(follower.focus.size(), 1u);
}

// Tab and Shift+Tab walk every control of the mixer that takes the focus, once each
// round, and never leave the mixer for another window of the workspace.
TEST_F(BoundMixerView, TabVisitsEveryControlOfTheMixerOnceAndStaysInside)
{
    QMainWindow main;
    auto* area = new QMdiArea(&main);
    main.setCentralWidget(area);
    main.resize(1400, 900);
    auto* other = new QWidget;
    (new QLineEdit(other))->move(10, 10);
    area->addSubWindow(other)->show();
    area->addSubWindow(m_window)->show();
    main.show();
    QApplication::setActiveWindow(&main);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&main));

    std::set<QWidget*> focusable;
    for (QWidget* w : m_view->findChildren<QWidget*>()) {
        if ((w->focusPolicy() & Qt::TabFocus) && w->isVisible() && w->isEnabled() && !w->focusProxy())
            focusable.insert(w);
    }
    // Thirteen per strip (the header's two texts among them) and ten on the master strip.
    EXPECT_EQ(focusable.size(), size_t(13 * kStrips + 10));

    for (bool backwards : {false, true}) {
        SCOPED_TRACE(backwards ? "Shift+Tab" : "Tab");
        QWidget* start = control<CDial_VANTREL_KXE>(m_strips[5], "ChPan");
        start->setFocus(Qt::TabFocusReason);
        ASSERT_TRUE(QTest::qWaitFor([&] { return start->hasFocus(); }));
        std::set<QWidget*> visited;
        for (size_t step = 0; step < focusable.size(); ++step) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab,
                            backwards ? Qt::ShiftModifier : Qt::NoModifier);
            QWidget* now = QApplication::focusWidget();
            ASSERT_TRUE(now && focusable.count(now)) << "left the mixer at step " << step << " for "
                                                     << (now ? now->objectName().toStdString() : "nothing");
            EXPECT_TRUE(visited.insert(now).second) << now->objectName().toStdString() << " twice";
        }
        EXPECT_EQ(QApplication::focusWidget(), start) << "a round did not come back";
    }
    area->removeSubWindow(m_window);
    m_window->setParent(nullptr);
}
