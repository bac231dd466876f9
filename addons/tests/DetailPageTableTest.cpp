// The detail views' page tables against the shipped data folder, and the pages the
// views build from them: every named address resolves to a parameter the memory model
// knows, and every cell's controls and label stand where the 8-column grid of 76 x 68
// pixels puts them.
#include "DetailViewRig.h"
#include "addons/commondetail/CommonDetailPageTable.h"
#include "addons/partdetail/PartDetailPageTable.h"
#include "memapi/CSimpleNotifier_VANTREL_KXE.h"

using namespace DetailTest;

namespace {

struct Address
{
    QString name;
    int channel; // the channel the view serves it on
};

// Every address a view binds: its cells', and the parameters it follows beside them.
std::vector<Address> commonAddresses()
{
    using namespace NS_CommonDetail;
    std::vector<Address> all;
    for (const auto& row : kPages) {
        for (const TDetailCell& cell : row) {
            if (cell.kind == kEndOfRow)
                break;
            if (!cell.address)
                continue;
            if (cell.kind == kNameEditor) {
                for (int i = 1; i <= kNameCharacters; ++i)
                    all.push_back({QLatin1String(cell.address) + QString::number(i), 0});
            } else {
                all.push_back({QLatin1String(cell.address), 0});
            }
        }
    }
    for (const char* followed : {kArpTypeAddress, kEqShape1Address})
        all.push_back({QLatin1String(followed), 0});
    for (int part = 0; part < 16; ++part)
        all.push_back({QLatin1String(kPartArpSwitchAddress), part});
    return all;
}

std::vector<Address> partAddresses(int part)
{
    using namespace NS_PartDetail;
    std::vector<Address> all;
    for (const auto& row : kPages) {
        for (const TDetailCell& cell : row) {
            if (cell.kind == kEndOfRow)
                break;
            if (cell.address)
                all.push_back({QLatin1String(cell.address), part});
        }
    }
    for (const char* followed : {kProgramAddress, kBankLsbAddress, kBankMsbAddress})
        all.push_back({QLatin1String(followed), part});
    return all;
}

} // namespace

TEST(DetailPageTables, EveryAddressOfBothViewsResolvesToAParameterOfTheDataFolder)
{
    ApiHandle api;
    std::vector<Address> all = commonAddresses();
    for (int part : {0, 3, 15}) {
        const std::vector<Address> more = partAddresses(part);
        all.insert(all.end(), more.begin(), more.end());
    }
    ASSERT_GT(all.size(), 180u);
    for (const Address& address : all) {
        CSimpleNotifier_VANTREL_KXE probe;
        probe.m_memAPI = api.api;
        probe.setNamedAddress(address.name);
        api->MAPI_assignServer(&probe, address.channel);
        const QString where = address.name + QStringLiteral(" on channel ") + QString::number(address.channel);
        ASSERT_TRUE(NS_DetailGrid::boundProxy(&probe) != nullptr) << qPrintable(where) << " does not resolve";
        // Elements 1 and 2 are the editor's own part status and switches: the memory API
        // answers for them, the memory model has no bytes of them.
        bool shown = true, second = true;
        if (probe.element() > 2)
            EXPECT_EQ(api->MAPI_getIndParamEditState(probe.element(), probe.param(), probe.channel(), shown, second), 0)
            << qPrintable(where) << " is no parameter of the memory model";
        // A part's parameter is that part's, whatever part the window shows.
        if (address.name.startsWith(QLatin1String("FEkMixPart")))
            EXPECT_EQ(probe.channel(), address.channel) << qPrintable(where);
    }
}

namespace {

bool isValueKind(bool common, int kind)
{
    return common ? kind >= NS_CommonDetail::kValue2 && kind <= NS_CommonDetail::kValue5
                  : kind == NS_PartDetail::kValue2 || kind == NS_PartDetail::kValue3;
}

bool isSwitchKind(bool common, int kind)
{
    return common ? kind == NS_CommonDetail::kSwitch : kind == NS_PartDetail::kSwitch;
}

const TDetailCell& cellOf(bool common, int page, int index)
{
    return common ? NS_CommonDetail::kPages[page][index] : NS_PartDetail::kPages[page][index];
}

int rowEnd(bool common)
{
    return common ? NS_CommonDetail::kEndOfRow : NS_PartDetail::kEndOfRow;
}

} // namespace

class DetailPageGrid : public ::testing::TestWithParam<bool>
{
};

TEST_P(DetailPageGrid, EveryPageIsBuiltFromItsRowOnTheGrid)
{
    const bool common = GetParam();
    ApiHandle api;
    DetailWindow window(common ? commonLibrary() : partLibrary(), api.api, common ? 1 : 4);
    ASSERT_TRUE(window.ready());
    const int pageCount = common ? NS_CommonDetail::kPageCount : NS_PartDetail::kPageCount;
    const int maxCells = common ? NS_CommonDetail::kMaxCells : NS_PartDetail::kMaxCells;
    ASSERT_EQ(window.pages()->count(), pageCount);
    EXPECT_EQ(window.pages()->geometry(), QRect(0, 40, 616, common ? 359 : 223));
    for (int page = 0; page < pageCount; ++page) {
        QFrame* frame = window.frameOfPage(page);
        ASSERT_NE(frame, nullptr) << "page " << page;
        const char* pageName = common ? NS_CommonDetail::kPageNames[page].page : NS_PartDetail::kPageNames[page].page;
        const char* frameName = common ? NS_CommonDetail::kPageNames[page].frame : NS_PartDetail::kPageNames[page].frame;
        EXPECT_EQ(window.pages()->widget(page)->objectName(), QLatin1String(pageName));
        EXPECT_EQ(frame->objectName(), QLatin1String(frameName));
        EXPECT_EQ(frame->size(), window.pages()->size()) << pageName;

        // Each cell's controls, then its label, in the frame's child order.
        const QObjectList children = frame->children();
        qsizetype next = 0;
        auto take = [&](auto* wanted) -> decltype(wanted) {
            using T = std::remove_pointer_t<decltype(wanted)>;
            while (next < children.size()) {
                if (auto* found = qobject_cast<T*>(children[next++]))
                    return found;
            }
            return nullptr;
        };
        int cells = 0;
        for (int index = 0; index < maxCells && cellOf(common, page, index).kind != rowEnd(common); ++index) {
            const TDetailCell& cell = cellOf(common, page, index);
            const QPoint origin(76 * (index % 8), 68 * (index / 8));
            const QString where = QStringLiteral("%1 cell %2").arg(QLatin1String(pageName)).arg(index);
            ++cells;
            if (isValueKind(common, cell.kind)) {
                auto* slider = take(static_cast<CTextSlider_VANTREL_KXE*>(nullptr));
                auto* dial = take(static_cast<CDial_VANTREL_KXE*>(nullptr));
                ASSERT_TRUE(slider && dial) << qPrintable(where);
                EXPECT_EQ(slider->geometry(), QRect(origin + QPoint(14, 27), QSize(56, 11))) << qPrintable(where);
                // The dial takes the size of its strip's frames (26 x 26) inside its 27 x 27.
                EXPECT_EQ(dial->pos(), origin + QPoint(29, 38)) << qPrintable(where);
                EXPECT_TRUE(QRect(origin + QPoint(29, 38), QSize(27, 27)).contains(dial->geometry())) << qPrintable(where);
                EXPECT_EQ(slider->namedAddress(), QLatin1String(cell.address)) << qPrintable(where);
                EXPECT_EQ(dial->namedAddress(), QLatin1String(cell.address)) << qPrintable(where);
            } else if (isSwitchKind(common, cell.kind)) {
                auto* button = take(static_cast<COnOffButton_VANTREL_KXE*>(nullptr));
                ASSERT_NE(button, nullptr) << qPrintable(where);
                EXPECT_EQ(button->geometry(), QRect(origin + QPoint(26, 46), QSize(31, 10))) << qPrintable(where);
                EXPECT_EQ(button->namedAddress(), QLatin1String(cell.address)) << qPrintable(where);
            }
            if (!cell.label)
                continue;
            QLabel* label = nullptr;
            while (next < children.size() && !label) {
                auto* l = qobject_cast<QLabel*>(children[next++]);
                if (l && !qobject_cast<CLabelDisplay_VANTREL_KXE*>(l))
                    label = l;
            }
            ASSERT_NE(label, nullptr) << qPrintable(where);
            EXPECT_EQ(label->geometry(), QRect(origin + QPoint(5, 69), QSize(76, 15))) << qPrintable(where);
            EXPECT_EQ(label->alignment(), Qt::AlignCenter) << qPrintable(where);
            // Retitled labels carry their parameter's name; every other its own text.
            if (!(common && cell.extra == NS_CommonDetail::kRetitled))
                EXPECT_EQ(label->text(), QLatin1String(cell.label)) << qPrintable(where);
            // The label lies inside the page, under its cell.
            EXPECT_TRUE(frame->rect().contains(label->geometry())) << qPrintable(where);
        }
        EXPECT_GT(cells, 0) << pageName;
    }
}

INSTANTIATE_TEST_SUITE_P(BothViews, DetailPageGrid, ::testing::Values(true, false),
                         [](const auto& info) { return info.param ? "Common" : "Part"; });

TEST(DetailPageTabs, TabsLightTheirPageAndPageRequestsOutsideTheTabsChangeNothing)
{
    ApiHandle api;
    struct Case
    {
        const ViewLibrary* library;
        int id;
        int tabs;
        std::vector<int> x;
    };
    const Case cases[] = {
        {&commonLibrary(), 1, 8, {139, 198, 256, 316, 375, 434, 493, 551}},
        {&partLibrary(), 20, 7, {197, 256, 315, 374, 433, 492, 551}},
    };
    for (const Case& c : cases) {
        DetailWindow window(*c.library, api.api, c.id);
        ASSERT_TRUE(window.ready());
        std::vector<COnOffButton_VANTREL_KXE*> tabs;
        for (int i = 0; i < c.tabs; ++i) {
            auto* tab = window.view->findChild<COnOffButton_VANTREL_KXE*>(QStringLiteral("Tab%1").arg(i));
            ASSERT_NE(tab, nullptr) << c.library->viewName << " tab " << i;
            EXPECT_EQ(tab->geometry(), QRect(c.x[size_t(i)], 3, 56, 17)) << c.library->viewName << " tab " << i;
            tabs.push_back(tab);
        }
        EXPECT_EQ(window.currentPage(), 0);
        for (int i = c.tabs - 1; i >= 0; --i) {
            QTest::mouseClick(tabs[size_t(i)], Qt::LeftButton);
            EXPECT_EQ(window.currentPage(), i) << c.library->viewName;
            for (int j = 0; j < c.tabs; ++j)
                EXPECT_EQ(tabs[size_t(j)]->isChecked(), i == j) << c.library->viewName << " after tab " << i;
        }
        // A second click on the lit tab leaves it lit.
        QTest::mouseClick(tabs[0], Qt::LeftButton);
        EXPECT_TRUE(tabs[0]->isChecked());
        window.showPage(c.tabs - 1);
        EXPECT_EQ(window.currentPage(), c.tabs - 1);
        for (int outside : {-1, c.tabs, 99}) {
            window.showPage(outside);
            EXPECT_EQ(window.currentPage(), c.tabs - 1) << c.library->viewName << " page " << outside;
        }
    }
}
