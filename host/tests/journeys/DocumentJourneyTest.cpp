// Journey 4: the document. With the mixer, the common window and part 5's window open
// and a few edits made, the document is saved as .m3e from the File menu; then
// everything changes (a patterned multi received, a part unmuted, the name retyped) and
// the file is opened again: every value every open window shows is as saved, and the
// file written again is the same byte for byte. The host is quit and started on its
// project: the same windows where they stood, the same values, the same document.
#include "JourneyRig.h"
#include <QMdiSubWindow>
#include <QStackedWidget>
#include <algorithm>
#include <map>
#include <vector>

using namespace Journeys;

namespace {

constexpr int kPart5 = 4;

// What a bound control shows, as text: the value of a knob, fader or value text, the
// state of a switch, the choice of a selector, the text of a name field or label.
QString shown(QWidget* w)
{
    if (auto* popup = qobject_cast<CPopup_VANTREL_KXE*>(w))
        return QString::number(popup->currentSelection());
    if (auto* button = qobject_cast<QAbstractButton*>(w))
        return button->isChecked() ? QStringLiteral("on") : QStringLiteral("off");
    if (auto* edit = qobject_cast<QLineEdit*>(w))
        return edit->text();
    if (auto* label = qobject_cast<QLabel*>(w))
        return label->text();
    return w->property("value").toString();
}

// Every bound control of a window and every text it shows, keyed by the window, the
// control's class and its address (or name). Controls that share a key show their
// values together, sorted: the order of a window's children changes as its pages are
// raised, so it names nothing.
std::map<std::string, std::string> snapshot(QWidget* window, const char* name)
{
    std::map<std::string, std::string> out;
    if (!window)
        return out;
    std::map<std::string, std::vector<std::string>> values;
    for (QWidget* w : window->findChildren<QWidget*>()) {
        const QString address = w->property("namedAddress").toString();
        const bool bound = !address.isEmpty();
        if (!bound && !qobject_cast<QLineEdit*>(w) && !w->inherits("CHotspotLabel_VANTREL_KXE"))
            continue;
        const std::string key = std::string(name) + " " + w->metaObject()->className() + " "
                                + (bound ? address : w->objectName()).toStdString();
        values[key].push_back(shown(w).toStdString());
    }
    for (auto& [key, shownValues] : values) {
        std::sort(shownValues.begin(), shownValues.end());
        std::string joined;
        for (const std::string& v : shownValues)
            joined += (joined.empty() ? "" : " | ") + v;
        out[key] = joined;
    }
    return out;
}

// The first difference of two snapshots, or empty.
std::string firstDifference(const std::map<std::string, std::string>& want,
                            const std::map<std::string, std::string>& got)
{
    if (want.size() != got.size())
        return "the windows show " + std::to_string(got.size()) + " values, not " + std::to_string(want.size());
    for (const auto& [key, value] : want) {
        const auto it = got.find(key);
        if (it == got.end())
            return key + " is gone";
        if (it->second != value)
            return key + " shows \"" + it->second + "\", saved \"" + value + "\"";
    }
    return std::string();
}

QByteArray contents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

class DocumentJourney : public JourneyRig
{
protected:
    QWidget* commonWindow() const { return editorWindow(commonModule(), 1); }
    QWidget* part5Window() const { return editorWindow(partModule(), kPart5 + 1); }
    std::map<std::string, std::string> everything() const
    {
        auto all = snapshot(editorWindow(mixerModule(), 1), "mixer");
        all.merge(snapshot(commonWindow(), "common"));
        all.merge(snapshot(part5Window(), "part5"));
        return all;
    }
    static QPoint placeOf(QWidget* window)
    {
        auto* frame = window ? qobject_cast<QMdiSubWindow*>(window->parentWidget()) : nullptr;
        return frame ? frame->pos() : QPoint(-1, -1);
    }
    static void moveTo(QWidget* window, const QPoint& place)
    {
        if (auto* frame = qobject_cast<QMdiSubWindow*>(window->parentWidget()))
            frame->move(place);
    }
    // Saves the document under a new name through File > Save As.
    bool saveAs(const QString& path)
    {
        answer({fileDialog(path)});
        return chooseMenu(QStringLiteral("&File"), QStringLiteral("Save &As...")) && waitAnswered()
               && waitFor([&] { return !contents(path).isEmpty() && documentLabel() == path; });
    }
    // Types into a window's name field and enters it.
    static void typeName(QWidget* window, const QString& name)
    {
        auto* field = window->findChild<QLineEdit*>(QStringLiteral("MultiName"));
        QTest::mouseDClick(field, Qt::LeftButton);
        field->selectAll();
        QTest::keyClicks(field, name);
        QTest::keyClick(field, Qt::Key_Return);
    }
};

} // namespace

TEST_F(DocumentJourney, SavedOpenedAgainAndBackFromTheProjectAsItWas)
{
    const QString saved = m_dir.filePath(QStringLiteral("evening.m3e"));

    step("the editor starts; the common window and part 5's window are opened and placed");
    ASSERT_TRUE(startHost({closePresetPrompt()})) << at() << m_failure;
    ASSERT_TRUE(waitAnswered()) << at() << dialogFailure();
    ASSERT_EQ(strips().size(), kStrips) << at() << "the mixer did not open";
    QTest::mouseClick(child<QAbstractButton>(NS_MixerTest::masterOf(mixerView()), "DetailButton"), Qt::LeftButton);
    QTest::mouseClick(child<QAbstractButton>(strips()[kPart5], "DetailButton"), Qt::LeftButton);
    ASSERT_TRUE(waitFor([&] { return commonWindow() && part5Window() && part5Window()->isVisible(); })) << at();
    moveTo(editorWindow(mixerModule(), 1), QPoint(12, 8));
    moveTo(commonWindow(), QPoint(60, 140));
    moveTo(part5Window(), QPoint(120, 200));

    step("a few edits: part 2 muted, part 5's pan and cutoff, the multi renamed");
    QTest::mouseClick(control<QAbstractButton>(strips()[1], "MuteButton"), Qt::LeftButton);
    for (int i = 0; i < 7; ++i)
        QTest::keyClick(control<CDial_VANTREL_KXE>(strips()[kPart5], "ChPan"), Qt::Key_Down);
    QTest::mouseClick(part5Window()->findChild<QAbstractButton*>(QStringLiteral("Tab4")), Qt::LeftButton);
    for (QWidget* w : part5Window()->findChildren<QWidget*>())
        if (w->inherits("CDial_VANTREL_KXE") && w->property("namedAddress").toString() == QStringLiteral("FEkMixPart/kPartCutoff"))
            QTest::keyClick(w, Qt::Key_PageUp);
    typeName(commonWindow(), QStringLiteral("Evening"));
    ASSERT_TRUE(waitFor([&] { return documentLabel() == QStringLiteral("Untitled*"); }))
        << at() << "the toolbar shows \"" << documentLabel().toStdString() << "\", not a modified document";

    step("File > Save As writes evening.m3e");
    ASSERT_TRUE(saveAs(saved)) << at() << dialogFailure() << " (the toolbar shows \"" << documentLabel().toStdString()
                               << "\")";
    const QByteArray savedBytes = contents(saved);
    const auto savedValues = everything();
    ASSERT_GE(savedValues.size(), 300u) << at() << "the windows show too few values";

    step("everything changes: a patterned multi received, part 2 unmuted, the name retyped");
    instrument().editImage([&](NS_Simulator::SimMemoryImage& image) {
        int seed = 3;
        for (int index : instrument().memoryMap().multiDump) {
            const Bytes& address = instrument().memoryMap().multiBlocks[size_t(index)].address;
            Bytes data = image.multiBlock(address);
            for (size_t i = 0; i < data.size(); ++i)
                data[i] = uint8_t((i * 7 + size_t(seed) * 13 + 5) % 0x60 + 0x10);
            ++seed;
            // A part's voice: bank select and program of a preset voice.
            if (address[0] == 0x37)
                data[0] = data[1] = 0;
            image.setMultiBlock(address, data);
        }
    });
    answer({{QStringLiteral("ReceivingDialog"), [](QWidget*) { return false; }, true}});
    press(toolbarButton("ReceiveButton"));
    ASSERT_TRUE(waitAnswered()) << at() << dialogFailure();
    QTest::mouseClick(control<QAbstractButton>(strips()[1], "MuteButton"), Qt::LeftButton);
    typeName(commonWindow(), QStringLiteral("Changed"));
    ASSERT_TRUE(waitFor([&] { return firstDifference(savedValues, everything()).size() > 0; }))
        << at() << "nothing changed";
    int changed = 0;
    const auto now = everything();
    for (const auto& [key, value] : savedValues)
        changed += now.count(key) && now.at(key) != value;
    EXPECT_GT(changed, 100) << at() << "only " << changed << " values changed";

    step("File > Open, the changes not saved: evening.m3e again");
    QString asked;
    answer({fileDialog(saved), question(QStringLiteral("&No"), &asked)});
    ASSERT_TRUE(chooseMenu(QStringLiteral("&File"), QStringLiteral("&Open..."))) << at();
    ASSERT_TRUE(waitAnswered()) << at() << dialogFailure();
    EXPECT_FALSE(asked.isEmpty()) << at() << "the editor did not ask about the unsaved changes";

    step("every open window shows every value as saved");
    ASSERT_TRUE(waitFor([&] { return firstDifference(savedValues, everything()).empty(); }))
        << at() << firstDifference(savedValues, everything());
    EXPECT_EQ(documentLabel(), saved) << at();

    step("the document written again is evening.m3e byte for byte");
    const QString again = m_dir.filePath(QStringLiteral("again.m3e"));
    ASSERT_TRUE(saveAs(again)) << at() << dialogFailure();
    ASSERT_EQ(contents(again).size(), savedBytes.size()) << at();
    EXPECT_TRUE(contents(again) == savedBytes) << at() << "the document differs from the one saved";

    step("the host is quit, its project saved, and started again on it");
    const QPoint places[] = {placeOf(editorWindow(mixerModule(), 1)), placeOf(commonWindow()), placeOf(part5Window())};
    stopHost(true);
    ASSERT_TRUE(QFile::exists(m_options.projectPath)) << at() << "no project was written";
    ASSERT_TRUE(startHost({closePresetPrompt()})) << at() << m_failure;
    ASSERT_TRUE(waitAnswered()) << at() << dialogFailure();

    step("the same windows stand where they stood");
    ASSERT_TRUE(waitFor([&] { return mixerView() && commonWindow() && part5Window(); }))
        << at() << "mixer " << (mixerView() != nullptr) << ", common " << (commonWindow() != nullptr) << ", part 5 "
        << (part5Window() != nullptr);
    EXPECT_EQ(placeOf(editorWindow(mixerModule(), 1)), places[0]) << at() << "the mixer moved";
    EXPECT_EQ(placeOf(commonWindow()), places[1]) << at() << "the common window moved";
    EXPECT_EQ(placeOf(part5Window()), places[2]) << at() << "part 5's window moved";
    EXPECT_TRUE(part5Window()->isVisible() && commonWindow()->isVisible()) << at();

    step("every value as saved, and the document the same");
    ASSERT_TRUE(waitFor([&] { return firstDifference(savedValues, everything()).empty(); }))
        << at() << firstDifference(savedValues, everything());
    const QString third = m_dir.filePath(QStringLiteral("third.m3e"));
    ASSERT_TRUE(saveAs(third)) << at() << dialogFailure();
    EXPECT_TRUE(contents(third) == savedBytes) << at() << "the document from the project differs from the one saved";
}
