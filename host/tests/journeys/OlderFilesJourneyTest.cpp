// Journey 7: files of the older formats. An .m2e document opened from the File menu
// shows its multi in the mixer and the common window (name, every part's volume and
// pan, part 1's voice from the document's own voices) and is saved as .m3e beside it;
// a .w6e voice file imported from the File menu fills Normal User 1 and 2 with its
// voices, listed under their names in the voice list and shown in the mixer. The
// imported voices belong to the document: it shows modified, New asks before they go,
// and a modified document is asked about before the import. An .m2e opened beside
// another document of its .m3e name does not replace that one without a question.
#include "JourneyRig.h"
#include "console/libfile/tests/ConverterTestImages.h"
#include <QFileInfo>
#include <QListWidget>

using namespace Journeys;

namespace {

// Where an .m2e keeps its multi: after the older voice image, in runs of the current
// layout {first new byte, first old byte, count}; the current multi image lays its
// blocks out from byte 512 in map order.
constexpr int kOldVoiceImage = 522624;
constexpr int kOldMultiSize = 2048;
struct MultiRun
{
    int to, from, count;
};
constexpr MultiRun kRuns[] = {{512, 512, 174}, {686, 754, 55}, {741, 877, 928}, {1669, 1805, 60}};
struct Block
{
    Bytes address;
    int at; // in the current multi image
    int size;
};
const Block kBlocks[] = {{{0x36, 0x00, 0x00}, 512, 101}, {{0x36, 0x01, 0x00}, 613, 36}, {{0x36, 0x02, 0x00}, 649, 37},
                         {{0x36, 0x10, 0x00}, 686, 20},  {{0x36, 0x11, 0x00}, 706, 35}, {{0x38, 0x00, 0x00}, 1669, 30},
                         {{0x38, 0x01, 0x00}, 1699, 30}};
constexpr int kFirstPart = 741;
constexpr int kPartSize = 58;

const QByteArray kMultiName("Old Quay\0\0", 10);
int volumeOf(int part) { return 30 + part * 6; }
int panOf(int part) { return 10 + part * 7; }
const char kDocumentVoice[] = "Quay Bell";   // Normal User 1, voice 3, in the .m2e
QString importedName(int bank, int voice)   // every voice of Normal User 1 and 2 in the .w6e
{
    return QStringLiteral("%1 %2").arg(bank == 0 ? QStringLiteral("Tide") : QStringLiteral("Reef")).arg(voice + 1, 3, 10,
                                                                                                         QLatin1Char('0'));
}

bool writeFile(const QString& path, const ConverterTest::Bytes& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly)
           && file.write(reinterpret_cast<const char*>(bytes.data()), qint64(bytes.size())) == qint64(bytes.size());
}

QByteArray contents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

class OlderFilesJourney : public JourneyRig
{
protected:
    QWidget* commonWindow() const { return editorWindow(commonModule(), 1); }

    // An .m2e: the older voice image with one named voice, then the multi made of the
    // instrument's initial blocks, named, every part its own volume and pan, part 1
    // on Normal User 1's third voice. Empty when a block is not as the layout says.
    std::string makeM2E(const QString& path) const
    {
        ConverterTest::Bytes file(size_t(kOldVoiceImage + kOldMultiSize), 0);
        std::memcpy(file.data() + ConverterTest::w7eNormal(0, 2), kDocumentVoice, sizeof kDocumentVoice - 1);
        Bytes multi(kOldMultiSize, 0);
        const NS_Simulator::SimMemoryImage image = instrument().image();
        const auto place = [&](const Bytes& address, int at, int size) {
            const Bytes data = image.multiBlock(address);
            if (int(data.size()) != size)
                return false;
            std::copy(data.begin(), data.end(), multi.begin() + at);
            return true;
        };
        for (const Block& b : kBlocks)
            if (!place(b.address, b.at, b.size))
                return "the instrument's block " + hex(b.address) + " is not " + std::to_string(b.size) + " bytes";
        for (int p = 0; p < kStrips; ++p) {
            const int at = kFirstPart + p * kPartSize;
            if (!place({0x37, uint8_t(p), 0x00}, at, kPartSize))
                return "the instrument's part block is not " + std::to_string(kPartSize) + " bytes";
            multi[size_t(at + 0x0D)] = uint8_t(volumeOf(p));
            multi[size_t(at + 0x0E)] = uint8_t(panOf(p));
        }
        std::copy(kMultiName.begin(), kMultiName.end(), multi.begin() + 512);
        // Part 1 plays Normal User 1 (3F 00), voice 3.
        multi[size_t(kFirstPart + 0)] = 0x3F;
        multi[size_t(kFirstPart + 1)] = 0x00;
        multi[size_t(kFirstPart + 2)] = 2;
        for (const MultiRun& r : kRuns)
            std::copy(multi.begin() + r.to, multi.begin() + r.to + r.count, file.begin() + kOldVoiceImage + r.from);
        return writeFile(path, file) ? std::string() : "cannot write " + path.toStdString();
    }
    // A .w6e with every voice of its two normal banks named.
    static bool makeW6E(const QString& path)
    {
        ConverterTest::Bytes file = ConverterTest::w6eImage();
        for (int bank = 0; bank < 2; ++bank) {
            for (int v = 0; v < 128; ++v) {
                const QByteArray name = importedName(bank, v).toLatin1().leftJustified(10, ' ');
                std::memcpy(file.data() + ConverterTest::w6eNormal(bank, v), name.constData(), 10);
            }
        }
        return writeFile(path, file);
    }
    // The rows of a bank in part 1's voice list, opened from its voice name in the mixer.
    QStringList listed(const QString& bank)
    {
        QStringList rows;
        auto stage = std::make_shared<int>(0);
        auto* name = NS_MixerTest::voiceNameOf(mixerView(), 0);
        answer({{QStringLiteral("VoiceList"), [&rows, bank, stage](QWidget* dialog) {
                     if ((*stage)++ == 0) {
                         if (!pick(child<QComboBox>(dialog, "SearchModeComboBox"), QStringLiteral("Bank")))
                             throw std::runtime_error("the voice list has no bank mode");
                         if (!pick(child<QComboBox>(dialog, "BankComboBox"), bank))
                             throw std::runtime_error(bank.toStdString() + " is not listed");
                         return false;
                     }
                     auto* list = child<QListWidget>(dialog, "VoiceListBox");
                     for (int i = 0; i < list->count(); ++i)
                         rows << list->item(i)->text();
                     return click(dialog, "CancelButton");
                 }}});
        QTimer::singleShot(0, name, [name] { QTest::mousePress(name, Qt::LeftButton, {}, name->hotSpot().center()); });
        return waitAnswered() ? rows : QStringList();
    }
    // Starts the editor and opens the common window with the mixer's detail button: its
    // multi name field, or null (m_failure says why).
    QLineEdit* startWithTheCommonWindow()
    {
        if (!startHost({closePresetPrompt()}))
            return nullptr;
        if (!waitAnswered()) {
            m_failure = dialogFailure();
            return nullptr;
        }
        if (strips().size() != kStrips) {
            m_failure = "the mixer did not open";
            return nullptr;
        }
        QTest::mouseClick(child<QAbstractButton>(NS_MixerTest::masterOf(mixerView()), "DetailButton"), Qt::LeftButton);
        if (!waitFor([&] { return commonWindow() && commonWindow()->isVisible(); })) {
            m_failure = "no common window";
            return nullptr;
        }
        auto* name = commonWindow()->findChild<QLineEdit*>(QStringLiteral("MultiName"));
        if (!name)
            m_failure = "the common window has no name field";
        return name;
    }
    // Types the multi's name into its field and enters it.
    static void typeName(QLineEdit* field, const QString& text)
    {
        QTest::mouseDClick(field, Qt::LeftButton);
        field->selectAll();
        QTest::keyClicks(field, text);
        QTest::keyClick(field, Qt::Key_Return);
    }
    QString part1Voice() const { return NS_MixerTest::voiceNameOf(mixerView(), 0)->text().trimmed(); }
    // Voice 3 of Normal User 1, as part 1's voice list lists it.
    QString thirdUserVoice()
    {
        const QStringList rows = listed(QStringLiteral("Normal User 1"));
        return rows.size() > 2 ? rows[2].trimmed() : QString();
    }

    // A warning box of that text, answered with the button of that label (its
    // mnemonic aside).
    static Answer warned(const QString& text, const QString& button)
    {
        return Answer{QStringLiteral("QMessageBox"), [text, button](QWidget* w) {
                          auto* box = qobject_cast<QMessageBox*>(w);
                          if (box->text() != text)
                              throw std::runtime_error("the box said \"" + box->text().toStdString() + "\"");
                          if (box->icon() != QMessageBox::Warning)
                              throw std::runtime_error("\"" + text.toStdString() + "\" is not a warning box");
                          for (QAbstractButton* b : box->buttons()) {
                              if (b->text().remove(QLatin1Char('&')) == button) {
                                  press(b);
                                  return true;
                              }
                          }
                          throw std::runtime_error("\"" + text.toStdString() + "\" has no button " + button.toStdString());
                      }};
    }
    static Answer savePrompt(const QString& button)
    {
        return warned(QStringLiteral("Save the modified Multi-Part data?"), button);
    }
    // Runs a File menu entry and the windows it opens, answered as given.
    bool fileMenu(const QString& entry, std::vector<Answer> answers)
    {
        answer(std::move(answers));
        return chooseMenu(QStringLiteral("&File"), entry) && waitAnswered();
    }
};

} // namespace

TEST_F(OlderFilesJourney, AnOlderDocumentOpenedAndAnOlderVoiceFileImported)
{
    const QString m2e = m_dir.filePath(QStringLiteral("quay.m2e"));
    const QString m3e = m_dir.filePath(QStringLiteral("quay.m3e"));
    const QString w6e = m_dir.filePath(QStringLiteral("tides.w6e"));

    step("the editor starts; the mixer's detail button opens the common window");
    QLineEdit* name = startWithTheCommonWindow();
    ASSERT_NE(name, nullptr) << at() << m_failure;

    step("an .m2e and a .w6e lie in the folder");
    const std::string made = makeM2E(m2e);
    ASSERT_TRUE(made.empty()) << at() << made;
    ASSERT_TRUE(makeW6E(w6e)) << at();
    const QByteArray olderDocument = contents(m2e);

    step("File > Open: quay.m2e");
    answer({fileDialog(m2e)});
    ASSERT_TRUE(chooseMenu(QStringLiteral("&File"), QStringLiteral("&Open..."))) << at() << "no menu entry";
    ASSERT_TRUE(waitAnswered()) << at() << dialogFailure();

    step("the common window shows the document's multi name");
    ASSERT_TRUE(waitFor([&] { return name->text() == QStringLiteral("Old Quay"); }))
        << at() << "the name field shows \"" << name->text().toStdString() << "\"";

    step("every strip shows its part's volume and pan from the document");
    const QList<QWidget*> all = strips();
    const auto faderOf = [&](int p) { return control<CFader_VANTREL_KXE>(all[p], "ChannelFader")->value(); };
    const auto panKnobOf = [&](int p) { return control<CDial_VANTREL_KXE>(all[p], "ChPan")->value(); };
    ASSERT_TRUE(waitFor([&] {
        for (int p = 0; p < kStrips; ++p)
            if (faderOf(p) != volumeOf(p) || panKnobOf(p) != panOf(p))
                return false;
        return true;
    })) << at() << "part 1 shows volume " << faderOf(0) << " pan " << panKnobOf(0) << ", part 16 volume " << faderOf(15)
        << " pan " << panKnobOf(15);

    step("part 1 plays the document's own voice, under its name");
    ASSERT_TRUE(waitFor([&] { return part1Voice() == QLatin1String(kDocumentVoice); }))
        << at() << "part 1 shows \"" << part1Voice().toStdString() << "\"";

    step("the document is named quay.m3e, and File > Save writes that beside the .m2e");
    EXPECT_EQ(documentLabel().toStdString(), m3e.toStdString()) << at();
    ASSERT_TRUE(chooseMenu(QStringLiteral("&File"), QStringLiteral("&Save"))) << at() << "no menu entry";
    ASSERT_TRUE(waitFor([&] { return QFileInfo(m3e).size() > 0; })) << at() << "quay.m3e was not written";
    EXPECT_TRUE(contents(m2e) == olderDocument) << at() << "the .m2e was written over";

    step("File > Import Voice: tides.w6e");
    answer({fileDialog(w6e)});
    ASSERT_TRUE(chooseMenu(QStringLiteral("&File"), QStringLiteral("&Import Voice..."))) << at() << "no menu entry";
    ASSERT_TRUE(waitAnswered()) << at() << dialogFailure();

    step("part 1 now plays the imported Normal User 1 voice 3, under its name");
    ASSERT_TRUE(waitFor([&] { return part1Voice() == importedName(0, 2); }))
        << at() << "part 1 shows \"" << part1Voice().toStdString() << "\"";

    step("part 1's voice list lists every imported voice of Normal User 1 and 2 under its name");
    for (int bank = 0; bank < 2; ++bank) {
        const QString bankName = bank == 0 ? QStringLiteral("Normal User 1") : QStringLiteral("Normal User 2");
        const QStringList rows = listed(bankName);
        ASSERT_EQ(rows.size(), 128) << at() << bankName.toStdString() << " lists " << rows.size() << " voices "
                                    << dialogFailure();
        for (int v = 0; v < 128; ++v)
            ASSERT_TRUE(rows[v].trimmed().endsWith(importedName(bank, v)))
                << at() << bankName.toStdString() << " lists voice " << v + 1 << " as \"" << rows[v].toStdString() << "\"";
    }
}

TEST_F(OlderFilesJourney, ImportedVoicesAreTheDocumentsAndAskedAboutBeforeTheyGo)
{
    const QString w6e = m_dir.filePath(QStringLiteral("tides.w6e"));
    const QString kept = m_dir.filePath(QStringLiteral("kept.m3e"));
    const QString imported = importedName(0, 2);

    step("the editor starts on an untitled document; a .w6e lies in the folder");
    ASSERT_TRUE(startHost({closePresetPrompt()})) << at() << m_failure;
    ASSERT_TRUE(waitAnswered()) << at() << dialogFailure();
    ASSERT_EQ(strips().size(), kStrips) << at() << "the mixer did not open";
    ASSERT_TRUE(makeW6E(w6e)) << at();
    ASSERT_TRUE(waitFor([&] { return documentLabel() == QStringLiteral("Untitled"); }))
        << at() << "the toolbar shows \"" << documentLabel().toStdString() << "\"";

    step("File > Import Voice: tides.w6e, nothing asked of the unmodified document");
    ASSERT_TRUE(fileMenu(QStringLiteral("&Import Voice..."), {fileDialog(w6e)})) << at() << dialogFailure();

    step("the toolbar shows the document modified");
    ASSERT_TRUE(waitFor([&] { return documentLabel() == QStringLiteral("Untitled*"); }))
        << at() << "the toolbar shows \"" << documentLabel().toStdString() << "\"";

    step("File > New asks in a warning box; Yes saves the document as kept.m3e, then it is new");
    ASSERT_TRUE(fileMenu(QStringLiteral("&New"), {savePrompt(QStringLiteral("Yes")), fileDialog(kept)}))
        << at() << dialogFailure();
    ASSERT_TRUE(waitFor([&] { return QFileInfo(kept).size() > 0 && documentLabel() == QStringLiteral("Untitled"); }))
        << at() << "the toolbar shows \"" << documentLabel().toStdString() << "\"";

    step("kept.m3e holds every imported voice of Normal User 1 and 2 under its name");
    const QByteArray saved = contents(kept);
    for (int bank = 0; bank < 2; ++bank)
        for (int v = 0; v < 128; ++v)
            ASSERT_TRUE(saved.contains(importedName(bank, v).toLatin1())) << at() << importedName(bank, v).toStdString();

    step("the new document no longer holds them (the voice list shows)");
    EXPECT_FALSE(thirdUserVoice().endsWith(imported)) << at() << dialogFailure();

    step("part 1's pan is turned: the document is modified; Import asks, and Cancel imports nothing");
    QTest::keyClick(control<CDial_VANTREL_KXE>(strips()[0], "ChPan"), Qt::Key_Down);
    ASSERT_TRUE(waitFor([&] { return documentLabel() == QStringLiteral("Untitled*"); })) << at();
    ASSERT_TRUE(fileMenu(QStringLiteral("&Import Voice..."), {fileDialog(w6e), savePrompt(QStringLiteral("Cancel"))}))
        << at() << dialogFailure();
    EXPECT_FALSE(thirdUserVoice().endsWith(imported)) << at() << "imported although cancelled";
    EXPECT_EQ(documentLabel(), QStringLiteral("Untitled*")) << at();

    step("Import again and No: the voices come in, and the document stays modified");
    ASSERT_TRUE(fileMenu(QStringLiteral("&Import Voice..."), {fileDialog(w6e), savePrompt(QStringLiteral("No"))}))
        << at() << dialogFailure();
    EXPECT_TRUE(thirdUserVoice().endsWith(imported)) << at() << dialogFailure();
    EXPECT_TRUE(waitFor([&] { return documentLabel() == QStringLiteral("Untitled*"); }))
        << at() << "the toolbar shows \"" << documentLabel().toStdString() << "\"";
    EXPECT_EQ(contents(kept), saved) << at() << "kept.m3e changed";
}

TEST_F(OlderFilesJourney, AnOlderDocumentBesideAnotherOfItsNameDoesNotReplaceItWithoutAQuestion)
{
    const QString m2e = m_dir.filePath(QStringLiteral("quay.m2e"));
    const QString m3e = m_dir.filePath(QStringLiteral("quay.m3e"));
    const QString overwrite = QStringLiteral("Overwrite \n'%1'?").arg(m3e);

    step("the editor starts; the common window is opened and the multi named Harbour X");
    QLineEdit* name = startWithTheCommonWindow();
    ASSERT_NE(name, nullptr) << at() << m_failure;
    typeName(name, QStringLiteral("Harbour X"));

    step("File > Save As: quay.m3e");
    ASSERT_TRUE(fileMenu(QStringLiteral("Save &As..."), {fileDialog(m3e)})) << at() << dialogFailure();
    ASSERT_TRUE(waitFor([&] { return contents(m3e).contains("Harbour X") && documentLabel() == m3e; }))
        << at() << "the toolbar shows \"" << documentLabel().toStdString() << "\"";
    const QByteArray harbour = contents(m3e);

    step("File > Open: quay.m2e from the same folder; the document is named quay.m3e");
    ASSERT_TRUE(makeM2E(m2e).empty()) << at();
    const QByteArray olderDocument = contents(m2e);
    ASSERT_TRUE(fileMenu(QStringLiteral("&Open..."), {fileDialog(m2e)})) << at() << dialogFailure();
    ASSERT_TRUE(waitFor([&] { return name->text() == QStringLiteral("Old Quay"); })) << at();
    EXPECT_EQ(documentLabel(), m3e) << at();

    step("File > Save asks before it replaces the other quay.m3e; No writes nothing");
    ASSERT_TRUE(fileMenu(QStringLiteral("&Save"), {warned(overwrite, QStringLiteral("No"))})) << at() << dialogFailure();
    settle(200);
    EXPECT_EQ(contents(m3e), harbour) << at() << "quay.m3e was written over";
    EXPECT_EQ(documentLabel(), m3e) << at() << "the name changed";

    step("File > Save again, Yes: quay.m3e is the older document now");
    ASSERT_TRUE(fileMenu(QStringLiteral("&Save"), {warned(overwrite, QStringLiteral("Yes"))})) << at() << dialogFailure();
    ASSERT_TRUE(waitFor([&] { return contents(m3e).contains(kMultiName.left(8)); })) << at() << "not written";
    EXPECT_FALSE(contents(m3e).contains("Harbour X")) << at();
    EXPECT_EQ(contents(m2e), olderDocument) << at() << "the .m2e was written over";

    step("the multi renamed: File > Save writes the file it wrote last without a question");
    typeName(name, QStringLiteral("New Quay"));
    ASSERT_TRUE(fileMenu(QStringLiteral("&Save"), {})) << at() << dialogFailure();
    EXPECT_TRUE(waitFor([&] { return contents(m3e).contains("New Quay"); })) << at() << "not written";
    EXPECT_TRUE(dialogFailure().empty()) << at() << dialogFailure();
}
