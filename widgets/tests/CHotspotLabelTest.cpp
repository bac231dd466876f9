// The hot-spot label's presses, double clicks and keys, and the editor opener's
// modifier rule with a fake user-interface server.
#include "WidgetTestSupport.h"
#include "genericeditor/interfaces/GenericEditorPluginInterface.h"
#include "utilities/interfaces/IClientServices.h"
#include "widgets/CHotspotLabel_VANTREL_KXE.h"
#include "widgets/EditorOpener_VANTREL_KXE.h"

#include <QSignalSpy>
#include <QTest>
#include <QUuid>
#include <gtest/gtest.h>
#include <memory>
#include <string>

using namespace NS_WidgetTest;

namespace {

// The part detail add-on, spelt as its identifier's text reads.
const Y_GUID kDetail = NS_AddOnIds::PartDetailAddOn;

// Opens a plain window per request and remembers what was asked.
class FakeClientServices : public IClientServices
{
public:
    int32_t CS_mainWidget(QWidget**) override { return 0; }
    int32_t CS_modulePath(IUnknown*, QString&) override { return 0; }
    int32_t CS_iUnk(const QUuid&, IUnknown**) override { return 0; }
    int32_t CS_isEditorOpened(const QUuid&, int, QWidget**) override { return 0; }
    int32_t CS_reparent(QWidget*, QWidget*, const QPoint&, bool) override { return 0; }
    int32_t CS_openEditor(const QUuid& module, int index, QWidget** widget, const QRect*, bool) override
    {
        modules.append(module);
        indexes.append(index);
        if (fail)
            return int32_t(0x80000008);
        window = std::make_unique<QWidget>();
        *widget = window.get();
        return 0;
    }
    int32_t CS_closeEditor(QWidget*) override { return 0; }
    int32_t CS_reopenDefaultEditors(bool) override { return 0; }
    int32_t CS_menuObject(const QString&, QMenu**) override { return 0; }
    int32_t CS_menuObjectFromID(int, QMenu**) override { return 0; }
    int32_t CS_activeWindow(QWidget**) override { return 0; }
    int32_t CS_updatePortInformation() override { return 0; }
    int32_t CS_closeParent() override { return 0; }
    int32_t CS_showHelp(const QString&) override { return 0; }
    int32_t CS_saveViaStream(QDataStream&) override { return 0; }
    int32_t CS_loadViaStream(QDataStream&) override { return 0; }
    CompIMPInitialise_VANTREL_KXE* CS_compInitialize() override { return nullptr; }

    QList<QUuid> modules;
    QList<int> indexes;
    std::unique_ptr<QWidget> window;
    bool fail = false;
};

// Any bound widget gives the channel.
struct BoundWidget : public QWidget, public TMemProxy_VANTREL_KXE
{
    using QWidget::QWidget;
    void process(const uint8_t*, int, uint32_t) override {}
    void connectMemAPI() override {}
};

struct PressCase
{
    const char* name;
    Qt::MouseButtons hotButtons;
    Qt::MouseButton button;
    QPoint at;
    int clicks;
};

class HotspotPress : public ::testing::TestWithParam<PressCase>
{
};

struct OpenCase
{
    const char* name;
    ButtonState required;
    Qt::KeyboardModifiers held;
    bool opens;
};

class EditorOpenerRule : public ::testing::TestWithParam<OpenCase>
{
};

} // namespace

TEST_P(HotspotPress, OnlyChosenButtonsStrictlyInsideTheSpotCount)
{
    const PressCase& c = GetParam();
    CHotspotLabel_VANTREL_KXE label;
    label.resize(60, 20);
    label.setHotSpot(QRect(10, 5, 20, 10));
    label.setHotButtons(c.hotButtons);
    QSignalSpy clicked(&label, &CHotspotLabel_VANTREL_KXE::hotspotClicked);
    press(&label, QPointF(c.at), c.button);
    EXPECT_EQ(clicked.count(), c.clicks);
}

INSTANTIATE_TEST_SUITE_P(
    Table, HotspotPress,
    ::testing::Values(PressCase{"LeftInside", Qt::LeftButton, Qt::LeftButton, {15, 8}, 1},
                      PressCase{"OnTheBorder", Qt::LeftButton, Qt::LeftButton, {10, 8}, 0},
                      PressCase{"Outside", Qt::LeftButton, Qt::LeftButton, {40, 8}, 0},
                      PressCase{"LeftWhenOnlyRightCounts", Qt::RightButton, Qt::LeftButton, {15, 8}, 0},
                      PressCase{"RightWhenRightCounts", Qt::RightButton, Qt::RightButton, {15, 8}, 1},
                      PressCase{"EitherOfTwo", Qt::LeftButton | Qt::RightButton, Qt::RightButton, {15, 8}, 1}),
    [](const ::testing::TestParamInfo<PressCase>& info) { return std::string(info.param.name); });

TEST(HotspotLabel, DoubleClickCarriesTheModifiersAndKeysNeedTheFocusLook)
{
    QWidget window;
    auto* label = new CHotspotLabel_VANTREL_KXE(&window);
    label->resize(60, 20);
    label->setHotSpot(QRect(0, 0, 60, 20));
    QSignalSpy plain(label, qOverload<>(&CHotspotLabel_VANTREL_KXE::hotspotDoubleClicked));
    QSignalSpy withState(label, qOverload<ButtonState>(&CHotspotLabel_VANTREL_KXE::hotspotDoubleClicked));
    mouse(label, QEvent::MouseButtonDblClick, QPointF(30, 10), Qt::LeftButton, Qt::LeftButton,
          Qt::ShiftModifier | Qt::ControlModifier);
    ASSERT_EQ(withState.count(), 1);
    EXPECT_EQ(plain.count(), 1);
    EXPECT_EQ(withState.at(0).at(0).toInt(), 0x300);
    mouse(label, QEvent::MouseButtonDblClick, QPointF(30, 10), Qt::RightButton, Qt::RightButton);
    EXPECT_EQ(withState.count(), 1);

    QSignalSpy clicked(label, &CHotspotLabel_VANTREL_KXE::hotspotClicked);
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    label->setFocus();
    QTest::keyClick(label, Qt::Key_Space);
    EXPECT_EQ(clicked.count(), 0);
    label->setFocusColor(QColor(255, 160, 0));
    label->setFocus();
    QTest::keyClick(label, Qt::Key_Space);
    QTest::keyClick(label, Qt::Key_Return);
    QTest::keyClick(label, Qt::Key_A);
    EXPECT_EQ(clicked.count(), 2);
}

TEST_P(EditorOpenerRule, OpensWithTheRequiredModifiersAndTellsTheChannel)
{
    const OpenCase& c = GetParam();
    FakeMemAPI api;
    api.defineName(QStringLiteral("kPan"), 55, 14);
    FakeClientServices services;
    api.MAPI_associate(nullptr, nullptr, 0, &services);
    QWidget view;
    auto* label = new CHotspotLabel_VANTREL_KXE(&view);
    label->resize(40, 20);
    label->setHotSpot(QRect(0, 0, 40, 20));
    auto* bound = new BoundWidget(&view);
    bound->setNamedAddress(QStringLiteral("FEkPan"));
    api.MAPI_assignServer(&view, 2);
    ASSERT_EQ(bound->channel(), 2);
    new EditorOpener_VANTREL_KXE(label, bound, kDetail, 3, c.required, 1);

    mouse(label, QEvent::MouseButtonDblClick, QPointF(20, 10), Qt::LeftButton, Qt::LeftButton, c.held);
    if (!c.opens) {
        EXPECT_TRUE(services.indexes.isEmpty());
        return;
    }
    ASSERT_EQ(services.indexes.size(), 1);
    EXPECT_EQ(services.indexes.at(0), 3);
    EXPECT_EQ(services.modules.at(0), QUuid(QStringLiteral("{0B2621DC-3D30-3C4B-B6FE-3FD92456225F}")));
    ASSERT_TRUE(services.window);
    EXPECT_EQ(services.window->property("channel").toInt(), 3);
    EXPECT_TRUE(services.window->isVisible());
}

INSTANTIATE_TEST_SUITE_P(
    Table, EditorOpenerRule,
    ::testing::Values(OpenCase{"AnyOpensWithoutModifiers", -1, Qt::NoModifier, true},
                      OpenCase{"AnyOpensWithModifiers", -1, Qt::AltModifier, true},
                      OpenCase{"ShiftOpensWithShift", 0x100, Qt::ShiftModifier, true},
                      OpenCase{"ShiftDoesNotOpenWithout", 0x100, Qt::NoModifier, false},
                      OpenCase{"ShiftDoesNotOpenWithShiftAndControl", 0x100, Qt::ShiftModifier | Qt::ControlModifier,
                               false}),
    [](const ::testing::TestParamInfo<OpenCase>& info) { return std::string(info.param.name); });

TEST(EditorOpener, NothingOpensWithoutServerFailedOpenOrAGoneProxy)
{
    FakeMemAPI api;
    api.defineName(QStringLiteral("kPan"), 55, 14);
    FakeClientServices services;
    QWidget view;
    auto* label = new CHotspotLabel_VANTREL_KXE(&view);
    auto* bound = new BoundWidget(&view);
    bound->setNamedAddress(QStringLiteral("FEkPan"));
    api.MAPI_assignServer(&view, 2);
    auto* opener = new EditorOpener_VANTREL_KXE(label, bound, kDetail, 3);
    opener->openAnEditor(0); // no user-interface server yet
    EXPECT_TRUE(services.indexes.isEmpty());

    api.MAPI_associate(nullptr, nullptr, 0, &services);
    services.fail = true;
    opener->openAnEditor(0);
    EXPECT_EQ(services.indexes.size(), 1);
    EXPECT_FALSE(services.window);

    services.fail = false;
    delete bound;
    opener->openAnEditor(0);
    EXPECT_EQ(services.indexes.size(), 1);
}
