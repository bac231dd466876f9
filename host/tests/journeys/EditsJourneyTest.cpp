// Journey 2: edits both ways. With the mixer, the common window and part 3's window
// open, an edit on each kind of control of each window (knob, fader, switch, type
// selector, value text, name field) reaches the instrument as the exact parameter
// change; then edits made on the instrument's side arrive as the dump of a receive and
// show in every open window that shows the parameter.
#include "JourneyRig.h"
#include "widgets/CPopupItem_VANTREL_KXE.h"
#include "widgets/CPopupLabel_VANTREL_KXE.h"
#include "widgets/CTextSlider_VANTREL_KXE.h"
#include <QScrollArea>
#include <QStackedWidget>
#include <cmath>

using namespace Journeys;

namespace {

constexpr int kPart3 = 2;
constexpr double kPi = 3.14159265358979323846;

// A point on a knob's pointer circle at the given angle (degrees clockwise from up).
QPoint onKnob(const QWidget& knob, double degrees)
{
    const double r = knob.width() * 0.35;
    const double a = degrees * kPi / 180.0;
    return QPoint(int(std::lround(knob.width() / 2.0 + r * std::sin(a))),
                  int(std::lround(knob.height() / 2.0 - r * std::cos(a))));
}

class EditsJourney : public JourneyRig
{
protected:
    QWidget* commonWindow() const { return editorWindow(commonModule(), 1); }
    QWidget* part3Window() const { return editorWindow(partModule(), kPart3 + 1); }

    // The control of a class with that named address on the window's current page.
    static QWidget* onPage(QWidget* window, const char* className, const char* address)
    {
        auto* frame = qobject_cast<QScrollArea*>(window);
        auto* pages = frame ? frame->widget()->findChild<QStackedWidget*>(QStringLiteral("TabPages")) : nullptr;
        if (!pages || !pages->currentWidget())
            return nullptr;
        for (QWidget* w : pages->currentWidget()->findChildren<QWidget*>()) {
            if (w->inherits(className) && w->property("namedAddress").toString() == QLatin1String(address)
                && w->isVisible())
                return w;
        }
        return nullptr;
    }
    // Clicks the window's tab button of that page.
    bool showTab(QWidget* window, int page)
    {
        auto* tab = window ? window->findChild<QAbstractButton*>(QStringLiteral("Tab%1").arg(page)) : nullptr;
        if (!tab)
            return false;
        QTest::mouseClick(tab, Qt::LeftButton);
        auto* pages = window->findChild<QStackedWidget*>(QStringLiteral("TabPages"));
        return waitFor([&] { return pages && pages->currentIndex() == page; }, 2000);
    }
    // Waits for the instrument to receive exactly this parameter change.
    bool receivedMessage(const Bytes& expected)
    {
        return waitFor([&] {
            for (const Instrument::Received& r : instrument().received(Kind::ParameterChange))
                if (r.bytes == expected)
                    return true;
            return false;
        });
    }
    std::string receivedChanges() const
    {
        std::string out;
        for (const Instrument::Received& r : instrument().received())
            if (r.kind == Kind::ParameterChange || r.kind == Kind::ParameterRefused)
                out += "\n  " + hex(r.bytes) + (r.kind == Kind::ParameterRefused ? " (refused)" : "");
        return out.empty() ? std::string(" none") : out;
    }
    uint8_t instrumentByte(const Bytes& address) const
    {
        Bytes out;
        instrument().image().readEdit(address, 1, &out);
        return out.empty() ? 0xFF : out[0];
    }
    // Turns a knob clockwise with the mouse: press on its pointer, move round, release.
    static void turn(QWidget* knob, double degrees)
    {
        auto* dial = static_cast<CDial_VANTREL_KXE*>(knob);
        double at = dial->GetAngle();
        QTest::mousePress(knob, Qt::LeftButton, {}, onKnob(*knob, at));
        for (double turned = 0; turned < degrees; turned += 10) {
            at += 10;
            QTest::mouseMove(knob, onKnob(*knob, at));
        }
        QTest::mouseRelease(knob, Qt::LeftButton, {}, onKnob(*knob, at));
    }
    // Opens a type selector with the mouse and clicks the choice of that text.
    bool choose(QWidget* selector, const QString& text)
    {
        auto* popup = qobject_cast<CPopup_VANTREL_KXE*>(selector);
        if (!popup)
            return false;
        QTest::mouseClick(popup, Qt::LeftButton);
        if (!waitFor([&] { return popup->PopupItem() && popup->PopupItem()->isVisible(); }, 2000))
            return false;
        for (CPopupLabel_VANTREL_KXE* cell : popup->PopupItem()->findChildren<CPopupLabel_VANTREL_KXE*>()) {
            if (cell->text() == text) {
                QTest::mouseClick(cell, Qt::LeftButton);
                return true;
            }
        }
        popup->cancel();
        return false;
    }
};

} // namespace

TEST_F(EditsJourney, EachKindOfControlReachesTheInstrumentAndPanelEditsShowEverywhere)
{
    step("the editor starts; the mixer's detail buttons open the common window and part 3's");
    ASSERT_TRUE(startHost({closePresetPrompt()})) << at() << m_failure;
    ASSERT_TRUE(waitAnswered()) << at() << dialogFailure();
    ASSERT_EQ(strips().size(), kStrips) << at() << "the mixer did not open";
    QWidget* master = NS_MixerTest::masterOf(mixerView());
    ASSERT_NE(master, nullptr) << at();
    QTest::mouseClick(child<QAbstractButton>(master, "DetailButton"), Qt::LeftButton);
    QTest::mouseClick(child<QAbstractButton>(strips()[kPart3], "DetailButton"), Qt::LeftButton);
    ASSERT_TRUE(waitFor([&] { return commonWindow() && commonWindow()->isVisible(); })) << at() << "no common window";
    ASSERT_TRUE(waitFor([&] { return part3Window() && part3Window()->isVisible(); })) << at() << "no part 3 window";

    struct Edit
    {
        const char* what;
        QWidget* window;
        int tab; // -1: the mixer
        const char* className;
        const char* address; // named address, or object name in the mixer
        Bytes instrumentAddress;
        std::function<void(QWidget*)> input;
        // The data the instrument must receive, from its byte before the edit.
        std::function<Bytes(uint8_t before, QWidget*)> data;
    };
    QWidget* strip3 = strips()[kPart3];
    const auto shown = [](uint8_t, QWidget* w) { return Bytes{uint8_t(w->property("value").toInt())}; };
    const Edit edits[] = {
        {"the mixer's pan knob of part 3, turned with the mouse", strip3, -1, "CDial_VANTREL_KXE", "ChPan",
         {0x37, 0x02, 0x0E}, [](QWidget* w) { turn(w, 60); }, shown},
        {"the mixer's fader of part 3, dragged down", strip3, -1, "CFader_VANTREL_KXE", "ChannelFader",
         {0x37, 0x02, 0x0D},
         [](QWidget* w) {
             auto* fader = static_cast<CFader_VANTREL_KXE*>(w);
             const QPoint grip = fader->sliderRect().center();
             QTest::mousePress(w, Qt::LeftButton, {}, grip);
             for (int dy = 4; dy <= 24; dy += 4)
                 QTest::mouseMove(w, grip + QPoint(0, dy));
             QTest::mouseRelease(w, Qt::LeftButton, {}, grip + QPoint(0, 24));
         },
         shown},
        {"the mixer's insertion switch of part 3", strip3, -1, "COnOffButton_VANTREL_KXE", "InsertionButton",
         {0x36, 0x00, 0x60}, [](QWidget* w) { QTest::mouseClick(w, Qt::LeftButton); },
         [](uint8_t, QWidget*) { return Bytes{0x00, 0x00, 0x04}; }},
        {"the mixer's reverb type selector", nullptr, -1, "CPopup_VANTREL_KXE", "ReverbType", {0x36, 0x01, 0x00},
         nullptr, [](uint8_t, QWidget*) { return Bytes{0x01, 0x01}; }},
        {"the common window's arpeggio swing knob, one key up", commonWindow(), 0, "CDial_VANTREL_KXE",
         "00kCommon/kCommARPSwing", {0x36, 0x00, 0x26}, [](QWidget* w) { QTest::keyClick(w, Qt::Key_Up); },
         [](uint8_t before, QWidget*) { return Bytes{uint8_t(before + 1)}; }},
        {"the common window's note limit value text, one key down", commonWindow(), 0, "CTextSlider_VANTREL_KXE",
         "00kCommon/kCommARPNoteLmtHi", {0x36, 0x00, 0x1A}, [](QWidget* w) { QTest::keyClick(w, Qt::Key_Down); },
         [](uint8_t before, QWidget*) { return Bytes{uint8_t(before - 1)}; }},
        {"the common window's arpeggio switch", commonWindow(), 0, "COnOffButton_VANTREL_KXE", "00kCommon/kCommARPSw",
         {0x36, 0x00, 0x16}, [](QWidget* w) { QTest::mouseClick(w, Qt::LeftButton); },
         [](uint8_t before, QWidget*) { return Bytes{uint8_t(before ? 0 : 1)}; }},
        {"the common window's chorus type selector", commonWindow(), 2, "CPopup_VANTREL_KXE",
         "FCkCommonChorus/kChoType", {0x36, 0x02, 0x00}, nullptr,
         [](uint8_t, QWidget*) { return Bytes{0x42, 0x00}; }},
        {"part 3's cutoff knob, one key up", part3Window(), 4, "CDial_VANTREL_KXE", "FEkMixPart/kPartCutoff",
         {0x37, 0x02, 0x17}, [](QWidget* w) { QTest::keyClick(w, Qt::Key_Up); },
         [](uint8_t before, QWidget*) { return Bytes{uint8_t(before + 1)}; }},
        {"part 3's note shift value text, clicked in its upper half", part3Window(), 2, "CTextSlider_VANTREL_KXE",
         "FEkMixPart/kPartNoteShift", {0x37, 0x02, 0x16},
         [](QWidget* w) { QTest::mouseClick(w, Qt::LeftButton, {}, QPoint(w->width() / 2, w->height() / 4)); },
         [](uint8_t before, QWidget*) { return Bytes{uint8_t(before + 1)}; }},
        {"part 3's portamento switch", part3Window(), 2, "COnOffButton_VANTREL_KXE", "FEkMixPart/kPartPortamentoSw",
         {0x37, 0x02, 0x1A}, [](QWidget* w) { QTest::mouseClick(w, Qt::LeftButton); },
         [](uint8_t before, QWidget*) { return Bytes{uint8_t(before ? 0 : 1)}; }},
        {"part 3's arpeggio receive switch", part3Window(), 6, "COnOffButton_VANTREL_KXE",
         "FEkEditorSwitches/kPartArpeggioSw", {0x37, 0x02, 0x1F}, [](QWidget* w) { QTest::mouseClick(w, Qt::LeftButton); },
         [](uint8_t before, QWidget*) { return Bytes{uint8_t(before ^ 0x02)}; }},
    };
    for (const Edit& e : edits) {
        step(e.what);
        QWidget* control = nullptr;
        if (e.tab < 0) {
            QWidget* in = e.window ? e.window : master;
            for (QWidget* w : in->findChildren<QWidget*>(QLatin1String(e.address)))
                if (w->inherits(e.className))
                    control = w;
        } else {
            ASSERT_TRUE(showTab(e.window, e.tab)) << at() << "the tab did not show its page";
            control = onPage(e.window, e.className, e.address);
        }
        ASSERT_NE(control, nullptr) << at() << "no such control is shown";
        const uint8_t before = instrumentByte(e.instrumentAddress);
        instrument().clearLogs();
        if (e.input) {
            e.input(control);
        } else {
            const QString type = e.data(before, control) == Bytes{0x01, 0x01} ? QStringLiteral("Hall Dark")
                                                                              : QStringLiteral("Flanger Jet");
            ASSERT_TRUE(choose(control, type)) << at() << "the selector offered no " << type.toStdString();
        }
        const Bytes expected = parameterChange(e.instrumentAddress, e.data(before, control));
        ASSERT_TRUE(receivedMessage(expected)) << at() << "the instrument did not receive " << hex(expected)
                                               << "; it received:" << receivedChanges();
    }

    step("the common window's name field: a new multi name typed and entered");
    auto* name = commonWindow()->findChild<QLineEdit*>(QStringLiteral("MultiName"));
    ASSERT_NE(name, nullptr) << at();
    instrument().clearLogs();
    QTest::mouseDClick(name, Qt::LeftButton);
    name->selectAll();
    QTest::keyClicks(name, QStringLiteral("Evening"));
    QTest::keyClick(name, Qt::Key_Return);
    const QByteArray typed("Evening\0\0\0", 10);
    for (int i = 0; i < 10; ++i) {
        const Bytes expected = parameterChange({0x36, 0x00, uint8_t(i)}, {uint8_t(typed[i])});
        ASSERT_TRUE(receivedMessage(expected)) << at() << "the instrument did not receive " << hex(expected)
                                               << "; it received:" << receivedChanges();
    }

    step("on the instrument's side: part 3's mid EQ gain, the reverb type and the multi name change");
    bool written = true;
    instrument().editImage([&](NS_Simulator::SimMemoryImage& image) {
        written &= image.writeEdit({0x37, 0x02, 0x34}, {0x4A});
        written &= image.writeEdit({0x36, 0x01, 0x00}, {0x04, 0x00});
        written &= image.writeEdit({0x36, 0x00, 0x00}, {'D', 'u', 's', 'k', ' ', 'S', 'e', 't', 0, 0});
    });
    ASSERT_TRUE(written) << at();

    step("Receive Multi Bulk from the Setup menu: the dump arrives");
    answer({{QStringLiteral("ReceivingDialog"), [](QWidget*) { return false; }, true}});
    ASSERT_TRUE(chooseMenu(QStringLiteral("&Setup"), QStringLiteral("Receive Multi Bulk"))) << at() << "no menu entry";
    ASSERT_TRUE(waitAnswered()) << at() << dialogFailure();

    step("part 3's mid EQ gain shows in the mixer and in part 3's window");
    ASSERT_TRUE(showTab(part3Window(), 5)) << at();
    QWidget* partGain = onPage(part3Window(), "CDial_VANTREL_KXE", "FEkMixPart/kPartEQMidGain");
    auto* mixerGain = control<CDial_VANTREL_KXE>(strips()[kPart3], "ChEqMid");
    ASSERT_NE(partGain, nullptr) << at();
    ASSERT_NE(mixerGain, nullptr) << at();
    ASSERT_TRUE(waitFor([&] { return partGain->property("value").toInt() == 0x4A && mixerGain->value() == 0x4A; }))
        << at() << "part 3's window shows " << partGain->property("value").toInt() << ", the mixer "
        << mixerGain->value();

    step("the reverb type shows in the mixer and in the common window");
    ASSERT_TRUE(showTab(commonWindow(), 1)) << at();
    auto* commonReverb = qobject_cast<CPopup_VANTREL_KXE*>(onPage(commonWindow(), "CPopup_VANTREL_KXE",
                                                                  "FCkCommonReverb/kRevType"));
    auto* mixerReverb = master->findChild<CPopup_VANTREL_KXE*>(QStringLiteral("ReverbType"));
    ASSERT_NE(commonReverb, nullptr) << at();
    ASSERT_NE(mixerReverb, nullptr) << at();
    const auto label = [](CPopup_VANTREL_KXE* p) {
        const int i = p->currentSelection();
        return i >= 0 && i < p->labelList().size() ? p->labelList().at(i) : QString();
    };
    ASSERT_TRUE(waitFor([&] {
        return label(commonReverb) == QStringLiteral("Plate Steel") && label(mixerReverb) == QStringLiteral("Plate Steel");
    })) << at() << "the common window shows \"" << label(commonReverb).toStdString() << "\", the mixer \""
        << label(mixerReverb).toStdString() << "\"";

    step("the multi name shows in the common window's name field");
    ASSERT_TRUE(waitFor([&] { return name->text() == QStringLiteral("Dusk Set"); }))
        << at() << "the name field shows \"" << name->text().toStdString() << "\"";
}
