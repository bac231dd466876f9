// Journey 5: receives that go wrong. The instrument falls silent in the middle of a
// multi receive, answers with a bad checksum, or turns out to be another model: each
// receive, from the toolbar or the Setup menu, ends in its message in the receive
// dialog, the dialog closes, and an edit in the mixer still reaches the instrument.
// At last the instrument answers properly again and a receive brings its multi in.
#include "JourneyRig.h"

using namespace Journeys;

namespace {

constexpr uint8_t kPartBlock = 0x37;
constexpr uint8_t kPan = 0x0E;
constexpr uint8_t kVolume = 0x0D;

class ReceiveFaultsJourney : public JourneyRig
{
protected:
    // A receive that the instrument spoils: the receive dialog runs, then its message
    // comes over it and is answered with OK.
    bool faultyReceive(bool fromMenu, const QString& text, QString* shown)
    {
        answer({{QStringLiteral("ReceivingDialog"), [](QWidget*) { return false; }, true}, message(text, shown)});
        if (fromMenu) {
            if (!chooseMenu(QStringLiteral("&Setup"), QStringLiteral("Receive Multi Bulk")))
                return false;
        } else {
            if (!toolbarButton("ReceiveButton"))
                return false;
            press(toolbarButton("ReceiveButton"));
        }
        return waitAnswered(20000);
    }
    bool receivingDialogOpen() const
    {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->objectName() == QLatin1String("ReceivingDialog") && w->isVisible())
                return true;
        return false;
    }
    // Part `part`'s pan one key up in the mixer; the exact change must reach the
    // instrument. Empty when it did, else what went wrong.
    std::string panEditArrives(int part)
    {
        auto* pan = control<CDial_VANTREL_KXE>(strips()[part], "ChPan");
        if (!pan)
            return "part " + std::to_string(part + 1) + " has no pan knob";
        const int before = pan->value();
        instrument().clearLogs();
        pan->setFocus();
        QTest::keyClick(pan, before < 127 ? Qt::Key_Up : Qt::Key_Down);
        const int after = pan->value();
        if (after == before)
            return "the pan knob did not move from " + std::to_string(before);
        const Bytes expected = parameterChange({kPartBlock, uint8_t(part), kPan}, {uint8_t(after)});
        const bool arrived = waitFor([&] {
            for (const Instrument::Received& r : instrument().received(Kind::ParameterChange))
                if (r.bytes == expected)
                    return true;
            return false;
        });
        if (arrived)
            return std::string();
        std::string got;
        for (const Instrument::Received& r : instrument().received())
            got += "\n  " + hex(r.bytes);
        return "the instrument did not receive " + hex(expected) + "; it received:" + (got.empty() ? " nothing" : got);
    }
};

} // namespace

TEST_F(ReceiveFaultsJourney, SilenceBadChecksumAndAnotherModelEachEndInTheirMessage)
{
    step("the editor starts; the receive time-outs run twenty times faster");
    ASSERT_TRUE(startHost({closePresetPrompt()})) << at() << m_failure;
    ASSERT_TRUE(waitAnswered()) << at() << dialogFailure();
    ASSERT_EQ(strips().size(), kStrips) << at() << "the mixer did not open";
    Companion::setCommandTimeScale(0.05);

    struct Case
    {
        const char* what;
        Fault fault;
        int param;
        bool fromMenu;
        const char* text;
        int editedPart;
    };
    const Case cases[] = {
        {"the instrument goes silent after five blocks of a receive from the toolbar", Fault::SilenceAfterBlocks, 5,
         false, "Bulk Data Timeout Error!", 0},
        {"the instrument's first reply carries a bad checksum, a receive from the Setup menu", Fault::BadChecksum, 1,
         true, "Bulk Data Checksum Error!", 5},
        {"the instrument is another model, a receive from the toolbar", Fault::WrongModel, 0, false,
         "Bulk Data Timeout Error!", 11},
    };
    for (const Case& c : cases) {
        step(c.what);
        instrument().setFault(c.fault, c.param);
        QString shown;
        ASSERT_TRUE(faultyReceive(c.fromMenu, QString::fromLatin1(c.text), &shown))
            << at() << dialogFailure() << (shown.isEmpty() ? "" : " (the message said \"" + shown.toStdString() + "\")");

        step(std::string("the receive dialog is closed after \"") + c.text + "\"");
        ASSERT_TRUE(waitFor([&] { return !receivingDialogOpen(); }, 3000)) << at() << "the receive dialog stayed open";
        EXPECT_EQ(QApplication::activeModalWidget(), nullptr) << at();

        step("with the instrument answering properly, part " + std::to_string(c.editedPart + 1)
             + "'s pan is edited in the mixer");
        instrument().setFault(Fault::None);
        const std::string failure = panEditArrives(c.editedPart);
        ASSERT_TRUE(failure.empty()) << at() << failure;
    }

    step("a receive from the toolbar with the instrument answering properly brings its multi in");
    instrument().editImage([&](NS_Simulator::SimMemoryImage& image) {
        for (int p = 0; p < kStrips; ++p)
            image.writeEdit({kPartBlock, uint8_t(p), kVolume}, {uint8_t(20 + p * 5)});
    });
    answer({{QStringLiteral("ReceivingDialog"), [](QWidget*) { return false; }, true}});
    // The whole multi in real time, not hurried by the short time-outs.
    Companion::setCommandTimeScale(1.0);
    press(toolbarButton("ReceiveButton"));
    ASSERT_TRUE(waitAnswered()) << at() << dialogFailure();
    const auto faderOf = [&](int p) { return control<CFader_VANTREL_KXE>(strips()[p], "ChannelFader")->value(); };
    ASSERT_TRUE(waitFor([&] {
        for (int p = 0; p < kStrips; ++p)
            if (faderOf(p) != 20 + p * 5)
                return false;
        return true;
    })) << at() << "part 1's fader shows " << faderOf(0) << ", part 16's " << faderOf(15);
}
