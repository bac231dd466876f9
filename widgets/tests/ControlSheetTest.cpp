// One picture of every control of the library, each bound to a parameter of part 4 of
// the shipped data folder through the real memory-API object, in its normal, focused
// and disabled look: <build>/widgets/tests/control-sheet.png. The test checks that
// every control drew something in each look, and that the focus and the disabled state
// show where the control has a look for them.
#include "WidgetTestSupport.h"
#include "appserver/CAppServer.h"
#include "tools/imagegen/ImageTable.h"
#include "console/memapi/tests/MemApiTestSupport.h"
#include "widgets/CDial_VANTREL_KXE.h"
#include "widgets/CFader_VANTREL_KXE.h"
#include "widgets/CHotspotLabel_VANTREL_KXE.h"
#include "widgets/CLabelDisplay_VANTREL_KXE.h"
#include "widgets/CNameEditor_VANTREL_KXE.h"
#include "widgets/COnOffButton_VANTREL_KXE.h"
#include "widgets/CPixmapSwitcher_VANTREL_KXE.h"
#include "widgets/CPopup_VANTREL_KXE.h"
#include "widgets/CPullDownMenu_VANTREL_KXE.h"
#include "widgets/CRadioButton_VANTREL_KXE.h"
#include "widgets/CTabWidget_VANTREL_KXE.h"
#include "widgets/CTextSlider_VANTREL_KXE.h"
#include "widgets/StateDisplayWidget_VANTREL_KXE.h"

#include <QDir>
#include <QPainter>
#include <QTest>
#include <functional>
#include <gtest/gtest.h>
#include <vector>

using namespace NS_WidgetTest;

namespace {

constexpr int kPart4 = 3;
const QColor kPanel(34, 36, 43);
const QColor kFocus(255, 170, 40);
enum Look { Normal, Focused, Disabled };

// The drawn strip of the widgets library, or a plain one of the same division.
QPixmap strip(const char* name, QSize cell, int rows)
{
    const QString n = QString::fromLatin1(name);
    if (NS_Utilities::ImageRegistry::contains(n))
        return NS_Utilities::ImageRegistry::pixmap(n);
    return NS_Utilities::ImageRegistry::pixmap(
        testStrip((QByteArray("sheet_") + name).constData(), cell, rows));
}

QPalette panelPalette()
{
    QPalette p;
    p.setColor(QPalette::Window, kPanel);
    p.setColor(QPalette::WindowText, QColor(222, 226, 232));
    p.setColor(QPalette::Button, QColor(52, 55, 64));
    p.setColor(QPalette::ButtonText, QColor(222, 226, 232));
    p.setColor(QPalette::Base, QColor(20, 21, 25));
    p.setColor(QPalette::Text, QColor(235, 238, 242));
    p.setColor(QPalette::Highlight, kFocus);
    p.setColor(QPalette::HighlightedText, Qt::black);
    // What the toolkit draws for a disabled control takes these.
    for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::ButtonText, QPalette::Text})
        p.setColor(QPalette::Disabled, role, QColor(120, 122, 128));
    return p;
}

struct SheetRow
{
    const char* caption;
    std::function<QWidget*(QWidget* panel, IMemAPI& api)> make;
    // Whether the focused and the disabled look differ from the normal one.
    bool focusLook = true;
    bool disabledLook = true;
};

std::vector<SheetRow> rows()
{
    return {
        {"CDial  part pan", [](QWidget* p, IMemAPI&) {
             auto* c = new CDial_VANTREL_KXE(p);
             c->setCombinedImage(strip(NS_Images::kKnobLarge, {36, 36}, 29));
             c->setnSubImages(29);
             c->setFocusColor(kFocus);
             c->resize(36, 36);
             c->setNamedAddress(QStringLiteral("FEkMixPart/kPartPan"));
             return c;
         }},
        {"CFader (CSlider)  part volume", [](QWidget* p, IMemAPI&) {
             auto* c = new CFader_VANTREL_KXE(p);
             c->setThumbImage(strip(NS_Images::kFaderThumb, {16, 33}, 1));
             c->setnSubImages(1);
             c->setFlipValues(true);
             c->setFocusColor(kFocus);
             c->resize(16, 110);
             c->setNamedAddress(QStringLiteral("FEkMixPart/kPartVolume"));
             return c;
         },
         true, false}, // a one-row thumb strip has no disabled row
        {"CLabelDisplay  pan text", [](QWidget* p, IMemAPI& api) {
             auto* c = new CLabelDisplay_VANTREL_KXE(p);
             c->resize(60, 16);
             c->setFocusColor(kFocus);
             c->setGreyOnDisable(true);
             QString text;
             api.MAPI_getDisplayStringForValue(kPart4, 0, &text, nullptr,
                                               api.MAPI_getIndParam(55, 14, kPart4, false, nullptr), 0, 55, 14);
             c->setText(text);
             return c;
         }},
        {"COnOffButton  portamento", [](QWidget* p, IMemAPI&) {
             auto* c = new COnOffButton_VANTREL_KXE(p, "portamento");
             c->setCombinedImage(strip(NS_Images::kOnOffSwitch, {31, 10}, 5));
             c->setnSubImages(5);
             c->setHasDisableImage(true);
             c->setInvertedLogic(true);
             c->setFocusColor(Qt::black); // the double frame: the strip is orange already
             c->setNamedAddress(QStringLiteral("FEkMixPart/kPartPortamentoSw"));
             return c;
         }},
        {"CPopup  receive channel", [](QWidget* p, IMemAPI&) {
             auto* c = new CPopup_VANTREL_KXE(p, "receive");
             c->setLabels(QStringLiteral("1;2;3;4;5;6;7;8;9;10;11;12;13;14;15;16;off"));
             c->setFocusColor(kFocus);
             c->setEnableFocusRect(true);
             c->setGreyOnDisable(true);
             c->resize(44, 16);
             c->setNamedAddress(QStringLiteral("FEkMixPart/kPartRcvCh"));
             return c;
         }},
        {"CTextSlider  note shift", [](QWidget* p, IMemAPI&) {
             auto* c = new CTextSlider_VANTREL_KXE(p);
             c->setUseTableId(true);
             c->setTableId(0);
             c->setEnableFocusRect(true);
             c->setGreyOnDisable(true);
             c->resize(44, 16);
             c->setNamedAddress(QStringLiteral("FEkMixPart/kPartNoteShift"));
             return c;
         }},
        {"CPullDownMenu  output", [](QWidget* p, IMemAPI&) {
             auto* c = new CPullDownMenu_VANTREL_KXE(p);
             c->setMenuItemList(QStringLiteral("Main;Out A;Out B;Out C"));
             c->setEnableFocusRect(true);
             c->resize(60, 16);
             c->setNamedAddress(QStringLiteral("FEkMixPart/kPartOutputSel"));
             return c;
         }},
        {"CRadioButton  portamento mode", [](QWidget* p, IMemAPI&) {
             auto* c = new CRadioButton_VANTREL_KXE(p);
             c->setCombinedImage(strip(NS_Images::kDetailButton, {31, 10}, 6));
             c->setnSubImages(6);
             c->setOnValue(1);
             c->resize(31, 10);
             c->setNamedAddress(QStringLiteral("FEkMixPart/kPartPortamentoMode"));
             return c;
         }},
        {"StateDisplayWidget  portamento", [](QWidget* p, IMemAPI&) {
             auto* c = new StateDisplayWidget_VANTREL_KXE(p);
             c->setCombinedImage(strip(NS_Images::kInsertionButton, {31, 10}, 5));
             c->setnSubImages(5);
             c->setBooleanLogic(true);
             c->setCmpValue(1);
             c->setNamedAddress(QStringLiteral("FEkMixPart/kPartPortamentoSw"));
             return c;
         },
         false, false}, // a display: its frame says the value, nothing else
        {"CPixmapSwitcher  (unbound)", [](QWidget* p, IMemAPI&) {
             auto* c = new CPixmapSwitcher_VANTREL_KXE(p);
             c->setCombinedImage(strip(NS_Images::kSoloButton, {31, 10}, 6));
             c->setnSubImages(6);
             c->setCurrentImage(1);
             return c;
         },
         false, false}, // a picture only
        {"CHotspotLabel  (unbound)", [](QWidget* p, IMemAPI&) {
             auto* c = new CHotspotLabel_VANTREL_KXE(p);
             c->resize(60, 16);
             c->setHotSpot(QRect(0, 0, 60, 16));
             c->setFocusColor(kFocus);
             c->setGreyOnDisable(true);
             c->setText(QStringLiteral("PART 4"));
             return c;
         }},
        {"CNameEditor  (unbound)", [](QWidget* p, IMemAPI&) {
             auto* c = new CNameEditor_VANTREL_KXE(p);
             c->resize(100, 20);
             c->setText(QStringLiteral("Glass Choir"));
             return c;
         }},
        {"CTabWidget  (unbound)", [](QWidget* p, IMemAPI&) {
             auto* c = new CTabWidget_VANTREL_KXE(p);
             c->addTab(new QWidget, QStringLiteral("Common"));
             c->addTab(new QWidget, QStringLiteral("Part"));
             c->resize(130, 40);
             return c;
         },
         false, true}, // the toolkit's tabs, which mark no focus in this style
    };
}

// Pixels of a picture that differ from the panel colour.
int drawnPixels(const QImage& image)
{
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            n += std::abs(c.red() - kPanel.red()) + std::abs(c.green() - kPanel.green())
                     + std::abs(c.blue() - kPanel.blue()) > 24;
        }
    return n;
}

QImage grabLook(const SheetRow& row, IMemAPI& api, Look look)
{
    QWidget panel;
    panel.setPalette(panelPalette());
    panel.setAutoFillBackground(true);
    QWidget* control = row.make(&panel, api);
    control->move(6, 6);
    api.MAPI_assignServer(&panel, kPart4);
    // Controls drawn from image frames take the frame size when polished.
    control->ensurePolished();
    panel.resize(control->width() + 12, control->height() + 12);
    // Only the focused look is shown: a shown window hands its focus to a control.
    if (look == Focused) {
        panel.show();
        panel.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&panel)) << row.caption;
        control->setFocusPolicy(control->focusPolicy() == Qt::NoFocus ? Qt::StrongFocus : control->focusPolicy());
        control->setFocus(Qt::TabFocusReason);
        EXPECT_TRUE(QTest::qWaitFor([control] { return control->hasFocus(); })) << row.caption;
    }
    if (look == Disabled)
        control->setEnabled(false);
    QCoreApplication::processEvents();
    return panel.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

QString sheetPath()
{
    QDir tests(bundleDir() + QStringLiteral("/../widgets/tests"));
    tests.mkpath(QStringLiteral("."));
    return tests.absoluteFilePath(QStringLiteral("control-sheet.png"));
}

} // namespace

TEST(ControlSheet, EveryControlIsDrawnInItsNormalFocusedAndDisabledLook)
{
    CAppServer* server = CAppServer::Instance();
    {
        ApiHandle api;
        FakeBridge bridge;
        FakePrefs prefs;
        api->MAPI_associate(&bridge, &prefs, 0, nullptr);
        // A few values away from the defaults, so the looks show something.
        api->MAPI_setIndParam(55, 14, kPart4, 88, 0, IMemAPI::PostNothing);  // pan right
        api->MAPI_setIndParam(55, 13, kPart4, 90, 0, IMemAPI::PostNothing);  // volume
        api->MAPI_setIndParam(55, 26, kPart4, 1, 0, IMemAPI::PostNothing);   // portamento on
        api->MAPI_setIndParam(55, 28, kPart4, 1, 0, IMemAPI::PostNothing);   // portamento mode
        api->MAPI_setIndParam(55, 22, kPart4, 52, 0, IMemAPI::PostNothing);  // note shift
        api->MAPI_setIndParam(55, 30, kPart4, 2, 0, IMemAPI::PostNothing);   // output
        bridge.clear();

        const std::vector<SheetRow> table = rows();
        const char* lookNames[] = {"normal", "focused", "disabled"};
        // The controls at twice their size, so that a person can read the small strips.
        constexpr int scale = 2, captionWidth = 230, column = 2 * 150, rowGap = 12, top = 30;
        std::vector<std::vector<QImage>> grabs;
        int height = top;
        for (const SheetRow& row : table) {
            std::vector<QImage> looks;
            int tallest = 0;
            for (Look look : {Normal, Focused, Disabled}) {
                looks.push_back(grabLook(row, *api.api, look));
                tallest = std::max(tallest, looks.back().height());
                // Inside the panel's margin, the control itself drew something.
                const QImage inner = looks.back().copy(looks.back().rect().adjusted(6, 6, -6, -6));
                EXPECT_GT(drawnPixels(inner), 20) << row.caption << " " << lookNames[look];
            }
            EXPECT_EQ(looks[Focused] != looks[Normal], row.focusLook) << row.caption << " focused";
            EXPECT_EQ(looks[Disabled] != looks[Normal], row.disabledLook) << row.caption << " disabled";
            grabs.push_back(looks);
            height += scale * tallest + rowGap;
        }
        // Nothing the controls did reached the instrument.
        EXPECT_TRUE(bridge.messages().isEmpty());

        QImage sheet(captionWidth + 3 * column, height, QImage::Format_RGB32);
        sheet.fill(QColor(24, 25, 30));
        QPainter painter(&sheet);
        painter.setPen(QColor(200, 204, 210));
        for (int l = 0; l < 3; ++l)
            painter.drawText(QPoint(captionWidth + l * column + 6, 20), QString::fromLatin1(lookNames[l]));
        int y = top;
        for (size_t r = 0; r < table.size(); ++r) {
            int tallest = 0;
            painter.drawText(QPoint(8, y + 16), QString::fromLatin1(table[r].caption));
            for (int l = 0; l < 3; ++l) {
                const QImage& g = grabs[r][size_t(l)];
                painter.drawImage(QPoint(captionWidth + l * column, y), g.scaled(g.size() * scale));
                tallest = std::max(tallest, scale * g.height());
            }
            y += tallest + rowGap;
        }
        painter.end();
        EXPECT_GT(drawnPixels(sheet), sheet.width() * sheet.height() / 20);
        const QString path = sheetPath();
        ASSERT_TRUE(sheet.save(path, "PNG")) << path.toStdString();
    }
    QCoreApplication::sendPostedEvents();
    server->release();
}
