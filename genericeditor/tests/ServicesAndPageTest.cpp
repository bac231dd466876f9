// The component's services, event-filter formats and property page without a host
// window: error texts, the recall fallback, time formats, page calls before and after
// activation, and which objects the page accepts.
#include "genericeditor/CUserInterfaceServer_VANTREL_KXE.h"
#include "genericeditor/CompIMPInitialise_VANTREL_KXE.h"
#include "genericeditor/CompIPropertyPage_VANTREL_KXE.h"
#include "genericeditor/interfaces/ComponentInterfaces.h"
#include "FakeHost.h"
#include "appserver/HostWindowWrapper.h"
#include "platform/PlatformWindow.h"
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QMenuBar>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <cstdlib>
#include <thread>

extern "C" IUnknown* MacLoaderFactory(void* allocator, const Y_GUID* type);

namespace {

template <class T>
T* query(IUnknown* object, const Y_GUID& iid)
{
    void* out = nullptr;
    object->QueryInterface(iid, &out);
    return static_cast<T*>(out);
}

QString takeText(uint16_t* text)
{
    const QString s = text ? QString::fromUtf16(reinterpret_cast<const char16_t*>(text)) : QString();
    std::free(text);
    return s;
}

void settle(int before)
{
    QElapsedTimer clock;
    clock.start();
    while (CompIMPInitialise_VANTREL_KXE::liveCount() > before && clock.elapsed() < 5000)
        QCoreApplication::processEvents();
}

class ServicesAndPage : public ::testing::Test
{
protected:
    void SetUp() override
    {
        CompIMPInitialise_VANTREL_KXE::setAddOnFolder(m_empty.path());
        m_live = CompIMPInitialise_VANTREL_KXE::liveCount();
        m_component = MacLoaderFactory(nullptr, &NS_HostIds::IID_IMPInitialise);
        ASSERT_NE(m_component, nullptr);
    }
    void TearDown() override
    {
        m_component->Release();
        settle(m_live);
        CompIMPInitialise_VANTREL_KXE::setAddOnFolder(QString());
    }
    QTemporaryDir m_empty;
    IUnknown* m_component = nullptr;
    int m_live = 0;
};

} // namespace

TEST_F(ServicesAndPage, ServicesAnswerWithoutMemoryApi)
{
    auto* services = query<IMPServices>(m_component, NS_HostIds::IID_IMPServices);
    ASSERT_NE(services, nullptr);
    uint16_t* text = nullptr;
    EXPECT_EQ(services->MPTranslateErrorCode(int32_t(0x80000008), &text), NS_MPStatus::ok);
    EXPECT_EQ(takeText(text), QStringLiteral("-2147483640"));
    EXPECT_EQ(services->MPTranslateErrorCode(0, nullptr), NS_MPStatus::unexpected);

    uint32_t count = 9, current = 9, reserved = 9;
    uint16_t* names = nullptr;
    bool offline = false;
    EXPECT_EQ(services->MPRecallFeatureSet(&count, &names, &current, &offline, &reserved), NS_MPStatus::ok);
    EXPECT_EQ(count, 1u);
    EXPECT_EQ(takeText(names), QStringLiteral("All;Current"));
    EXPECT_EQ(current, 0u);
    EXPECT_TRUE(offline);
    EXPECT_EQ(reserved, 0u);
    EXPECT_EQ(services->MPRecall(false, nullptr, 1), NS_MPStatus::unexpected);
    EXPECT_EQ(services->MPTerminateRecall(), NS_MPStatus::unexpected);

    uint16_t* off = nullptr;
    uint16_t* on = nullptr;
    EXPECT_EQ(services->MPImageURL(&off, &on), NS_MPStatus::ok);
    EXPECT_TRUE(takeText(off).endsWith(QStringLiteral("image_off.png")));
    const QString onUrl = takeText(on);
    EXPECT_TRUE(onUrl.startsWith(QStringLiteral("file:")));
    EXPECT_TRUE(onUrl.endsWith(QStringLiteral("image_on.png")));
    services->Release();

    auto* filter = query<IMPEventFilter>(m_component, NS_HostIds::IID_IMPEventFilter);
    ASSERT_NE(filter, nullptr);
    _MPTIME_FORMAT a{}, b{};
    uint32_t formats = 0;
    EXPECT_EQ(filter->MPGetSupportedTimeFormats(&a, &b, &formats), NS_MPStatus::ok);
    EXPECT_EQ(int(a), 2);
    EXPECT_EQ(int(b), 2);
    EXPECT_EQ(formats, 7u);
    EXPECT_EQ(filter->MPSetTimeFormat(_MPTIME_FORMAT(4)), NS_MPStatus::ok);
    EXPECT_EQ(filter->MPSetTimeFormat(_MPTIME_FORMAT(8)), NS_MPStatus::failure);
    FakeEventQueue queue;
    EXPECT_EQ(filter->MPOnEvents(&queue, eventsWaiting()), NS_MPStatus::failure);
    filter->Release();

    // Ports changed on the GUI thread: no bridge to reselect.
    auto* sink = query<IMPNotificationSink>(m_component, NS_HostIds::IID_IMPNotificationSink);
    ASSERT_NE(sink, nullptr);
    tagMPMSG changed{NS_HostIds::MSG_MIDIPortsChanged};
    EXPECT_EQ(sink->MPNotify(changed), 1);
    sink->Release();
}

TEST_F(ServicesAndPage, PageTakesOnlyThisComponentAndKeepsItsFirstWrapper)
{
    IUnknown* unknown = MacLoaderFactory(nullptr, &NS_HostIds::IID_IPropertyPage);
    auto* page = static_cast<CompIPropertyPage_VANTREL_KXE*>(static_cast<IPropertyPage*>(
        query<IPropertyPage>(unknown, NS_HostIds::IID_IPropertyPage)));
    unknown->Release();
    ASSERT_NE(page, nullptr);

    // Not this library's component: refused and not kept.
    FakeHost stranger;
    IUnknown* strangers[1] = {&stranger};
    EXPECT_EQ(page->SetObjects(1, strangers), NS_MPStatus::invalidArgument);
    EXPECT_EQ(page->component(), nullptr);
    EXPECT_EQ(page->Show(1), NS_MPStatus::unexpected);

    IUnknown* objects[1] = {m_component};
    ASSERT_EQ(page->SetObjects(1, objects), NS_MPStatus::ok);
    ASSERT_NE(page->component(), nullptr);

    // Move before Activate only records the size.
    const tagRECT small{10, 20, 610, 420};
    EXPECT_EQ(page->Move(&small), NS_MPStatus::ok);
    tagPROPPAGEINFO info{};
    EXPECT_EQ(page->GetPageInfo(&info), NS_MPStatus::ok);
    EXPECT_EQ(info.cb, sizeof(tagPROPPAGEINFO));
    EXPECT_EQ(info.width, 600);
    EXPECT_EQ(info.height, 400);
    EXPECT_EQ(takeText(info.title), QStringLiteral("TOVAR-VANTREL (Multi)"));
    std::free(info.docString);
    std::free(info.helpFile);
    EXPECT_EQ(page->GetPageInfo(nullptr), NS_MPStatus::invalidArgument);

    PlatformWindow window(QRect(0, 0, 600, 400));
    const tagRECT rect{0, 0, 600, 400};
    ASSERT_EQ(page->Activate(window.handle(), &rect, false), NS_MPStatus::ok);
    QPointer<CForeignWindowWrapper_VANTREL_KXE> wrapper = page->wrapper();
    ASSERT_TRUE(wrapper);
    EXPECT_EQ(wrapper->hostWindow(), window.handle());
    EXPECT_EQ(page->Activate(window.handle(), &rect, false), NS_MPStatus::ok);
    EXPECT_EQ(page->wrapper(), wrapper.data());

    // The page's own menu is there even without add-on entries.
    ASSERT_NE(wrapper->menuBar(), nullptr);
    bool hasWindowsMenu = false;
    for (QAction* a : wrapper->menuBar()->actions())
        hasWindowsMenu = hasWindowsMenu || a->text() == QStringLiteral("&Windows");
    EXPECT_TRUE(hasWindowsMenu);

    EXPECT_EQ(page->Show(2), NS_MPStatus::invalidArgument);
    EXPECT_EQ(page->Show(0), NS_MPStatus::ok);
    EXPECT_FALSE(wrapper->isVisible());
    EXPECT_EQ(page->Show(5), NS_MPStatus::ok);

    // Deactivating deletes the wrapper, and with it the inner window; the workspace
    // stays with the component.
    QPointer<QMainWindow> inner = wrapper->innerWindow();
    EXPECT_TRUE(inner);
    EXPECT_EQ(page->Deactivate(), NS_MPStatus::ok);
    EXPECT_FALSE(wrapper);
    EXPECT_FALSE(inner);
    EXPECT_EQ(page->component(), nullptr);
    static_cast<IPropertyPage*>(page)->Release();
}

TEST_F(ServicesAndPage, PageCallsFromAHostThreadRunLaterOnTheGuiThreadAndPortsChangeIsPosted)
{
    IUnknown* unknown = MacLoaderFactory(nullptr, &NS_HostIds::IID_IPropertyPage);
    auto* page = static_cast<CompIPropertyPage_VANTREL_KXE*>(static_cast<IPropertyPage*>(
        query<IPropertyPage>(unknown, NS_HostIds::IID_IPropertyPage)));
    unknown->Release();
    IUnknown* objects[1] = {m_component};
    ASSERT_EQ(page->SetObjects(1, objects), NS_MPStatus::ok);
    auto* sink = query<IMPNotificationSink>(m_component, NS_HostIds::IID_IMPNotificationSink);
    ASSERT_NE(sink, nullptr);

    int32_t moved = -1;
    int32_t shown = -1;
    int32_t notified = -1;
    std::thread host([&] {
        const tagRECT rect{0, 0, 500, 300};
        moved = page->Move(&rect);
        // Not activated: on the GUI thread this would fail; posted, it reports 0.
        shown = page->Show(1);
        notified = sink->MPNotify(tagMPMSG{NS_HostIds::MSG_MIDIPortsChanged});
    });
    host.join();
    EXPECT_EQ(moved, NS_MPStatus::ok);
    EXPECT_EQ(shown, NS_MPStatus::ok);
    EXPECT_EQ(notified, 1);
    auto* component = dynamic_cast<CompIMPInitialise_VANTREL_KXE*>(m_component);
    ASSERT_NE(component, nullptr);
    EXPECT_EQ(component->pageWidth(), 996) << "the packet ran on the host thread";
    // The packets hold the page; they run, in order, once the GUI thread turns.
    EXPECT_GT(page->useCount(), 1);
    for (int i = 0; i < 5; ++i)
        QCoreApplication::processEvents();
    EXPECT_EQ(component->pageWidth(), 500);
    EXPECT_EQ(component->pageHeight(), 300);
    EXPECT_EQ(page->useCount(), 1);
    sink->Release();
    static_cast<IPropertyPage*>(page)->Release();
}

TEST_F(ServicesAndPage, ComponentReleasedBeforeThePageStaysUntilThePageLetsItGo)
{
    const int before = CompIMPInitialise_VANTREL_KXE::liveCount();
    IUnknown* component = MacLoaderFactory(nullptr, &NS_HostIds::IID_IMPInitialise);
    IUnknown* unknown = MacLoaderFactory(nullptr, &NS_HostIds::IID_IPropertyPage);
    auto* page = query<IPropertyPage>(unknown, NS_HostIds::IID_IPropertyPage);
    unknown->Release();
    IUnknown* objects[1] = {component};
    ASSERT_EQ(page->SetObjects(1, objects), NS_MPStatus::ok);
    PlatformWindow window(QRect(0, 0, 400, 300));
    const tagRECT rect{0, 0, 400, 300};
    ASSERT_EQ(page->Activate(window.handle(), &rect, false), NS_MPStatus::ok);

    EXPECT_EQ(component->Release(), 1u);
    settle(before + 1);
    EXPECT_EQ(CompIMPInitialise_VANTREL_KXE::liveCount(), before + 1);
    // The page still works on a live component, then lets it go.
    EXPECT_EQ(page->Show(1), NS_MPStatus::ok);
    EXPECT_EQ(page->Deactivate(), NS_MPStatus::ok);
    settle(before);
    EXPECT_LE(CompIMPInitialise_VANTREL_KXE::liveCount(), before);
    page->Release();
}
