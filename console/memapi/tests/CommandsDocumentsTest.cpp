// Document, import and clipboard commands: open and save of .m3e documents with
// the save-changes prompt, import of a .w9e voice file (also through fileOpen with
// the import flag, which asks like an open and leaves the document modified), voices
// through the clipboard with the private format, and the kind of every box shown.
#include "CommandsSimRig.h"
#include "console/libfile/LibraryFile.h"
#include "memapi/CSimpleNotifier_VANTREL_KXE.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMimeData>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <condition_variable>
#include <functional>
#include <gtest/gtest.h>
#include <mutex>
#include <thread>

using namespace CommandsTest;

namespace {

short firstBankNamed(ITovarVoiceData* data, const char* word)
{
    for (short b = 0; b < 32; ++b)
        if (data->isBankEditable(b) && data->bankName(b).contains(QLatin1String(word)))
            return b;
    return -1;
}

class CommandsDocuments : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_cwd = QDir::currentPath();
        companion = rig.companion();
        data = companion;
        ASSERT_TRUE(m_dir.isValid());
    }
    void TearDown() override { QDir::setCurrent(m_cwd); }
    QString path(const char* name) const { return m_dir.path() + QLatin1Char('/') + QLatin1String(name); }
    void setCommon(int value) { rig.memory()->SetIndParamAndDirty(0x36, 0, 0, 0x40 + value, 0); }
    int common() const { return rig.memory()->GetIndParam(0x36, 0, 0) - 0x40; }

    SimRig rig;
    TovarIMemAPIQObject_VANTREL_KXE* companion = nullptr;
    ITovarVoiceData* data = nullptr;
    QTemporaryDir m_dir;
    QString m_cwd;
};

} // namespace

TEST_F(CommandsDocuments, SavedDocumentOpensAgainWithItsValuesAndName)
{
    const int original = common();
    const int changed = original == 2 ? 3 : 2;
    setCommon(changed);
    QSignalSpy saved(companion, &TovarIMemAPIQObject_VANTREL_KXE::voiceLibrarySaved);
    companion->setDocDirty(true);
    companion->fileSave(path("first.m3e"));
    ASSERT_TRUE(rig.prompter.messages.isEmpty()) << rig.prompter.messages.join(QLatin1Char(';')).toStdString();
    EXPECT_EQ(saved.count(), 1);
    EXPECT_FALSE(companion->isDocDirty());
    EXPECT_EQ(companion->getCurrentFileName(), path("first.m3e"));

    setCommon(original);
    companion->fileOpen(path("first.m3e"), false);
    EXPECT_TRUE(rig.prompter.questions.isEmpty()) << "an unmodified document is not asked about";
    EXPECT_EQ(common(), changed);
    EXPECT_FALSE(companion->isDocDirty());

    companion->fileOpen(path("first.m3e"), true);
    EXPECT_TRUE(companion->isDocDirty()) << "opened with the modified mark";
}

TEST_F(CommandsDocuments, SavePromptNoOpensCancelKeepsAndYesSavesThenOpens)
{
    setCommon(4);
    companion->fileSave(path("doc.m3e"));
    setCommon(5);
    companion->setDocDirty(true);

    rig.prompter.answer = NS_Utilities::IDocuPrompter::Cancel;
    companion->fileOpen(path("doc.m3e"), false);
    EXPECT_EQ(rig.prompter.questions.size(), 1);
    EXPECT_EQ(rig.prompter.questions.last(),
              QStringLiteral("Save Quillon Information|Save the modified Multi-Part data?"));
    EXPECT_EQ(common(), 5);
    EXPECT_TRUE(companion->isDocDirty());

    rig.prompter.answer = NS_Utilities::IDocuPrompter::No;
    companion->fileOpen(path("doc.m3e"), false);
    EXPECT_EQ(common(), 4);
    EXPECT_FALSE(companion->isDocDirty());

    // Yes opens the save window; its fileSave continues with the open.
    setCommon(6);
    companion->setDocDirty(true);
    rig.prompter.answer = NS_Utilities::IDocuPrompter::Yes;
    rig.services.onOpen = [&](const QUuid& module, int index) {
        if (module == Guid2QUuid(DialogsModule::guid) && index == 15)
            QMetaObject::invokeMethod(companion, [this] { companion->fileSave(path("kept.m3e")); },
                                      Qt::QueuedConnection);
    };
    companion->fileOpen(path("doc.m3e"), false);
    EXPECT_EQ(common(), 6) << "nothing opened before the save";
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
    EXPECT_TRUE(QFileInfo::exists(path("kept.m3e")));
    EXPECT_EQ(common(), 4) << "the open went on after the save";
    EXPECT_EQ(companion->getCurrentFileName(), path("doc.m3e"));
    rig.services.onOpen = nullptr;
}

TEST_F(CommandsDocuments, NewDocumentWithoutChangesResetsWithoutAPrompt)
{
    QSignalSpy fresh(companion, &TovarIMemAPIQObject_VANTREL_KXE::newDoc);
    QSignalSpy names(companion, &TovarIMemAPIQObject_VANTREL_KXE::currentFileNameChanged);
    companion->fileNew();
    EXPECT_TRUE(rig.prompter.questions.isEmpty());
    EXPECT_EQ(fresh.count(), 1);
    ASSERT_EQ(names.count(), 1);
    EXPECT_TRUE(names.last().at(0).toString().isEmpty());
    EXPECT_FALSE(companion->isDocDirty());
}

TEST_F(CommandsDocuments, FailedOpenAndSaveShowTheirMessagesAndKeepTheName)
{
    companion->setCurrentFileName(path("keep.m3e"));
    companion->fileOpen(path("missing.m3e"), false);
    ASSERT_EQ(rig.prompter.messages.size(), 1);
    EXPECT_EQ(rig.prompter.messages[0], QStringLiteral("TOVAR-VANTREL Editor|Error opening file"));
    companion->fileSave(m_dir.path() + QStringLiteral("/no/such/folder/x.m3e"));
    ASSERT_EQ(rig.prompter.messages.size(), 2);
    EXPECT_EQ(rig.prompter.messages[1], QStringLiteral("TOVAR-VANTREL Editor|Error saving file"));
    EXPECT_EQ(companion->getCurrentFileName(), path("keep.m3e"));
}

TEST_F(CommandsDocuments, VoiceFileImportsThroughTheHandleAndThroughFileOpen)
{
    const short user = firstBankNamed(data, "Norm");
    ASSERT_GE(user, 0);
    data->setVoiceName(user, 9, QStringLiteral("Tidecaller"));
    {
        CLibraryFile library(rig.memory()->VoiceMap(), path("bank.w9e"));
        ASSERT_TRUE(library.LibrarySaveAs());
    }
    data->setVoiceName(user, 9, QStringLiteral("Other"));

    void* handle = data->loadImportFile(path("bank.w9e"));
    ASSERT_NE(handle, nullptr) << "the current voice format is importable";
    EXPECT_TRUE(data->importVoiceName(handle, user, 9).startsWith(QStringLiteral("Tidecaller")));
    EXPECT_TRUE(data->importVoiceName(handle, user, -1).isNull());
    EXPECT_TRUE(data->copyToMainVoices(handle, user, 9, user, 10, false));
    QString category;
    EXPECT_TRUE(data->voiceNameCategory(user, 10, category).startsWith(QStringLiteral("Tideca")));
    data->closeImportFile(handle);

    // The dialogs' import path: fileOpen with its flag set takes the voices, not the document.
    companion->setCurrentFileName(path("doc.m3e"));
    companion->fileOpen(path("bank.w9e"), true);
    EXPECT_EQ(companion->getCurrentFileName(), path("doc.m3e")) << "the document keeps its name";
    EXPECT_TRUE(rig.prompter.messages.isEmpty()) << rig.prompter.messages.join(QLatin1Char(';')).toStdString();
    EXPECT_TRUE(data->voiceNameCategory(user, 9, category).startsWith(QStringLiteral("Tidecaller")));
    EXPECT_TRUE(data->isVoiceLibraryDirty());

    // Unknown formats are refused with the message.
    EXPECT_EQ(data->loadImportFile(path("notes.txt")), nullptr);
    EXPECT_EQ(rig.prompter.messages.last(), QStringLiteral("TOVAR-VANTREL Editor|Error opening file"));
}

TEST_F(CommandsDocuments, ClipboardCarriesVoicesAndRefusesForeignOrMismatchedData)
{
    const short user = firstBankNamed(data, "Norm");
    const short drum = firstBankNamed(data, "Drum");
    ASSERT_GE(user, 0);
    QClipboard* board = QGuiApplication::clipboard();
    ASSERT_NE(board, nullptr);

    auto* foreign = new QMimeData;
    foreign->setText(QStringLiteral("hello"));
    board->setMimeData(foreign);
    EXPECT_FALSE(data->canPasteFromClipboard(user, 0));
    EXPECT_FALSE(data->pasteFromClipboard(user, 0));

    data->setVoiceName(user, 3, QStringLiteral("Saltmarsh"));
    data->setVoiceName(user, 4, QStringLiteral("Cinderfall"));
    ASSERT_TRUE(data->copyToClipboard(user, 3, 4, nullptr));
    const QMimeData* held = board->mimeData();
    ASSERT_TRUE(held->hasFormat(QStringLiteral("application/x-halvorsk-tovar-editor-2")));
    const QByteArray payload = held->data(QStringLiteral("application/x-halvorsk-tovar-editor-2"));
    ASSERT_GE(payload.size(), 4);
    EXPECT_EQ(payload.at(0), 'u');
    EXPECT_EQ(int(payload.at(1)), user);
    EXPECT_EQ(payload.size(), 4 + 2 * int(rig.storedVoice(user, 3).size()));

    EXPECT_TRUE(data->canPasteFromClipboard(user, 20));
    ASSERT_TRUE(data->pasteFromClipboard(user, 20));
    QString category;
    EXPECT_TRUE(data->voiceNameCategory(user, 20, category).startsWith(QStringLiteral("Saltma")));
    EXPECT_TRUE(data->voiceNameCategory(user, 21, category).startsWith(QStringLiteral("Cinder")));
    if (drum >= 0) {
        EXPECT_FALSE(data->canPasteFromClipboard(drum, 0));
        EXPECT_FALSE(data->pasteFromClipboard(drum, 0)) << "another bank type";
    }

    // Reversed range: true, clipboard untouched.
    EXPECT_TRUE(data->copyToClipboard(user, 5, 3, nullptr));
    EXPECT_EQ(board->mimeData()->data(QStringLiteral("application/x-halvorsk-tovar-editor-2")), payload);
}

TEST_F(CommandsDocuments, CopyFromAnImportFileRestoresTheEditorsVoicesSilently)
{
    const short user = firstBankNamed(data, "Norm");
    ASSERT_GE(user, 0);
    data->setVoiceName(user, 2, QStringLiteral("Harborlamp"));
    {
        CLibraryFile library(rig.memory()->VoiceMap(), path("lamp.w9e"));
        ASSERT_TRUE(library.LibrarySaveAs());
    }
    data->setVoiceName(user, 2, QStringLiteral("Mine"));
    const Bytes before = rig.storedVoice(user, 2);
    void* handle = data->loadImportFile(path("lamp.w9e"));
    ASSERT_NE(handle, nullptr);
    int notified = 0;
    auto* watch = CSimpleNotifier_VANTREL_KXE::Create(*rig.api.api, nullptr, QStringLiteral("00kCommon/kCommMasterVolume"),
                                                      0, nullptr, new CSimpleNotifier_VANTREL_KXE(nullptr));
    QObject::connect(watch, &CSimpleNotifier_VANTREL_KXE::valueChanged, [&](int) { ++notified; });
    ASSERT_TRUE(data->copyToClipboard(user, 2, 2, handle));
    EXPECT_EQ(notified, 0) << "nobody sees the borrowed voice";
    EXPECT_EQ(rig.storedVoice(user, 2), before);
    ASSERT_TRUE(data->pasteFromClipboard(user, 30));
    QString category;
    EXPECT_TRUE(data->voiceNameCategory(user, 30, category).startsWith(QStringLiteral("Harbor")));
    data->closeImportFile(handle);
    delete watch;
}

namespace {

// An open that fails must leave the modified mark as the user had it, so that the next
// command still asks before it throws the edits away.
struct FailedOpen
{
    const char* name;
    bool modified;    // the document's mark before the open
    const char* file;  // written into the folder; null leaves it missing
    int questions;     // asked by the open
};

class FailedOpenKeepsTheMark : public ::testing::TestWithParam<FailedOpen>
{
};

std::string failedOpenName(const ::testing::TestParamInfo<FailedOpen>& info)
{
    return info.param.name;
}

const FailedOpen kFailedOpens[] = {
    {"ModifiedMissingFile", true, nullptr, 1},
    {"ModifiedFileOfOtherBytes", true, "not a document", 1},
    {"ModifiedEmptyFile", true, "", 1},
    {"UnmodifiedMissingFile", false, nullptr, 0},
};

} // namespace

TEST_P(FailedOpenKeepsTheMark, AndTheNextNewAsks)
{
    const FailedOpen& c = GetParam();
    SimRig rig;
    TovarIMemAPIQObject_VANTREL_KXE* companion = rig.companion();
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString name = dir.path() + QStringLiteral("/doc.m3e");
    if (c.file) {
        QFile f(name);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(c.file);
    }
    rig.memory()->SetIndParamAndDirty(0x36, 0, 0, 0x45, 0);
    companion->setDocDirty(c.modified);

    rig.prompter.answer = NS_Utilities::IDocuPrompter::No;
    companion->fileOpen(name, false);
    ASSERT_EQ(rig.prompter.questions.size(), c.questions);
    ASSERT_EQ(rig.prompter.messages.size(), 1) << "the open failed";
    EXPECT_EQ(companion->isDocDirty(), c.modified);

    QSignalSpy fresh(companion, &TovarIMemAPIQObject_VANTREL_KXE::newDoc);
    rig.prompter.answer = NS_Utilities::IDocuPrompter::Cancel;
    companion->fileNew();
    EXPECT_EQ(rig.prompter.questions.size(), c.questions + (c.modified ? 1 : 0));
    EXPECT_EQ(fresh.count(), c.modified ? 0 : 1) << "edits thrown away without a question";
    if (c.modified)
        EXPECT_EQ(rig.memory()->GetIndParam(0x36, 0, 0), 0x45);
}

// Another thread holds the memory-API lock, as the pump does for a batch of input: a
// command that reads or changes the memory or the surface waits for it, and what that
// thread sees stays as it was until it lets go.
TEST_F(CommandsDocuments, CommandsWaitWhileAnotherThreadHoldsTheMemApiLock)
{
    const short user = firstBankNamed(data, "Norm");
    ASSERT_GE(user, 0);
    data->setVoiceName(user, 3, QStringLiteral("Harborlamp"));
    ASSERT_TRUE(CLibraryFile(rig.memory()->VoiceMap(), path("bank.w9e")).LibrarySaveAs());
    data->setVoiceName(user, 9, QStringLiteral("Other"));
    setCommon(4);
    companion->fileSave(path("doc.m3e"));
    setCommon(5);
    ASSERT_TRUE(data->copyToClipboard(user, 3, 4, nullptr));
    bool returned = false; // the command has returned
    const auto voice = [&](short v) { return [&, v] { return rig.storedVoice(user, v); }; };
    const auto flag = [](const std::function<bool()>& f) { return [f] { return Bytes{uint8_t(f())}; }; };
    const struct
    {
        const char* name;
        std::function<void()> run;
        std::function<Bytes()> seen; // read by the other thread under the lock
    } cases[] = {
        {"open", [&] { companion->fileOpen(path("doc.m3e"), false); }, [&] { return Bytes{uint8_t(common())}; }},
        {"import", [&] { companion->fileOpen(path("bank.w9e"), true); }, voice(9)},
        {"save", [&] { companion->fileSave(path("other.m3e")); },
         flag([&] { return QFileInfo::exists(path("other.m3e")); })},
        {"copy", [&] { data->copyToClipboard(user, 3, 4, nullptr); }, flag([&] { return returned; })},
        {"paste", [&] { data->pasteFromClipboard(user, 20); }, voice(20)},
        {"surface refresh", [&] { companion->updateRemote(); }, flag([&] { return returned; })},
        {"voice name", [&] { data->setVoiceName(user, 7, QStringLiteral("Lock")); }, voice(7)},
        {"load to the edit buffer", [&] { data->loadToEditBuffer(user, 3, false); },
         flag([&] { short t = 0, b = 0, v = 0; return rig.voice().GetEditBufferInfo(t, b, v) == 0 && v == 3; })},
        {"store the edit buffer", [&] { data->storeEditBuffer(user, 8); }, voice(8)},
        {"compare", [&] { data->setCompareMode(true); }, flag([&] { return rig.memory()->compareMode(); })},
        {"voice parameter data", [&] { companion->getVoiceParameterData(); }, flag([&] { return returned; })},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        companion->setDocDirty(false);
        std::mutex mutex;
        std::condition_variable changed;
        bool held = false;
        returned = false;
        Bytes first, last;
        std::thread holder([&] {
            rig.api->MAPI_lock(true);
            std::unique_lock<std::mutex> lock(mutex);
            first = c.seen();
            held = true;
            changed.notify_all();
            // Bounded: a command that waits for the lock cannot return before it is let go.
            changed.wait_for(lock, std::chrono::milliseconds(300), [&] { return returned; });
            last = c.seen();
            rig.api->MAPI_lock(false);
        });
        std::unique_lock<std::mutex> lock(mutex);
        changed.wait(lock, [&] { return held; });
        lock.unlock();
        c.run();
        lock.lock();
        returned = true;
        changed.notify_all();
        lock.unlock();
        holder.join();
        EXPECT_TRUE(first == last) << "the command worked beside the other thread's lock";
        EXPECT_FALSE(c.seen() == first) << "the command did nothing";
    }
}

INSTANTIATE_TEST_SUITE_P(CommandsDocuments, FailedOpenKeepsTheMark, ::testing::ValuesIn(kFailedOpens), failedOpenName);

namespace {

// A voice file imported through fileOpen's flag goes into the user banks that the
// document carries: it is asked about like an open, and a good import leaves the
// document modified, so that the next New or Open asks before the voices go.
struct ImportCase
{
    const char* name;
    bool modified;                              // the document's mark before the import
    NS_Utilities::IDocuPrompter::Answer answer; // to the save prompt
    bool fileThere;                             // false: the voice file is missing
    int questions;
    bool imported;
    bool modifiedAfter;
};

class VoiceImportAsksAndMarks : public ::testing::TestWithParam<ImportCase>
{
};

std::string importName(const ::testing::TestParamInfo<ImportCase>& info)
{
    return info.param.name;
}

using NS_Utilities::IDocuPrompter;
const ImportCase kImports[] = {
    {"UnmodifiedImportsWithoutAQuestion", false, IDocuPrompter::Cancel, true, 0, true, true},
    {"ModifiedCancelKeepsTheVoices", true, IDocuPrompter::Cancel, true, 1, false, true},
    {"ModifiedNoImports", true, IDocuPrompter::No, true, 1, true, true},
    {"ModifiedYesSavesFirstThenImports", true, IDocuPrompter::Yes, true, 1, true, true},
    {"UnmodifiedMissingFileStaysUnmodified", false, IDocuPrompter::Cancel, false, 0, false, false},
    {"ModifiedNoMissingFileKeepsTheMark", true, IDocuPrompter::No, false, 1, false, true},
};

QByteArray fileBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

TEST_P(VoiceImportAsksAndMarks, AsTheDocumentItGoesInto)
{
    const ImportCase& c = GetParam();
    SimRig rig;
    TovarIMemAPIQObject_VANTREL_KXE* companion = rig.companion();
    ITovarVoiceData* data = companion;
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString bank = dir.filePath(QStringLiteral("bank.w9e"));
    const QString kept = dir.filePath(QStringLiteral("kept.m3e"));
    const short user = firstBankNamed(data, "Norm");
    ASSERT_GE(user, 0);
    if (c.fileThere) {
        data->setVoiceName(user, 9, QStringLiteral("Tidecaller"));
        CLibraryFile library(rig.memory()->VoiceMap(), bank);
        ASSERT_TRUE(library.LibrarySaveAs());
    }
    data->setVoiceName(user, 9, QStringLiteral("Keepsake"));
    companion->setDocDirty(c.modified);
    // Yes opens the save window, whose save continues the import.
    rig.services.onOpen = [&](const QUuid& module, int index) {
        if (module == Guid2QUuid(DialogsModule::guid) && index == 15)
            QMetaObject::invokeMethod(companion, [&] { companion->fileSave(kept); }, Qt::QueuedConnection);
    };
    rig.prompter.answer = c.answer;

    companion->fileOpen(bank, true);
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
    rig.services.onOpen = nullptr;

    ASSERT_EQ(rig.prompter.questions.size(), c.questions);
    if (c.questions)
        EXPECT_EQ(rig.prompter.questions.first(),
                  QStringLiteral("Save Quillon Information|Save the modified Multi-Part data?"));
    QString category;
    EXPECT_EQ(data->voiceNameCategory(user, 9, category).startsWith(QStringLiteral("Tidecaller")), c.imported);
    EXPECT_EQ(companion->isDocDirty(), c.modifiedAfter);
    EXPECT_EQ(QFileInfo::exists(kept), c.answer == IDocuPrompter::Yes && c.questions > 0);
    if (QFileInfo::exists(kept)) {
        const QByteArray saved = fileBytes(kept);
        EXPECT_TRUE(saved.contains("Keepsake")) << "the unsaved voice went without being saved";
        EXPECT_FALSE(saved.contains("Tidecaller")) << "saved after the import, not before";
    }
    EXPECT_TRUE(companion->getCurrentFileName().isEmpty() || companion->getCurrentFileName() == kept)
        << "a voice file never names the document";
}

INSTANTIATE_TEST_SUITE_P(CommandsDocuments, VoiceImportAsksAndMarks, ::testing::ValuesIn(kImports), importName);

// Every box of the document commands is of its own kind: the save prompt a warning, the
// failures information.
TEST_F(CommandsDocuments, EachBoxIsOfItsKind)
{
    struct Case
    {
        const char* what;
        std::function<void()> run;
        const char* kind;
        const char* text;
    };
    const Case cases[] = {
        {"open of a missing file", [&] { companion->fileOpen(path("missing.m3e"), false); }, "information",
         "TOVAR-VANTREL Editor|Error opening file"},
        {"save into a missing folder", [&] { companion->fileSave(m_dir.path() + QStringLiteral("/none/x.m3e")); },
         "information", "TOVAR-VANTREL Editor|Error saving file"},
        {"import of a file of no voice format", [&] { data->loadImportFile(path("notes.txt")); }, "information",
         "TOVAR-VANTREL Editor|Error opening file"},
        {"import of a voice file that cannot be read", [&] { data->loadImportFile(path("gone.w9e")); },
         "information", "TOVAR-VANTREL Editor|Error opening file"},
        {"import of a document under a voice file's name", [&] { data->loadImportFile(path("doc.w9e")); },
         "information", "TOVAR-VANTREL Editor|Error opening file"},
        {"new with changes", [&] {
             companion->setDocDirty(true);
             companion->fileNew();
         },
         "warning", "Save Quillon Information|Save the modified Multi-Part data?"},
    };
    // A document renamed as a voice file holds no voice data of that format.
    companion->fileSave(path("doc.m3e"));
    ASSERT_TRUE(QFile::copy(path("doc.m3e"), path("doc.w9e")));
    rig.prompter.answer = NS_Utilities::IDocuPrompter::Cancel;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        rig.prompter.kinds.clear();
        rig.prompter.messages.clear();
        rig.prompter.questions.clear();
        c.run();
        ASSERT_EQ(rig.prompter.kinds.size(), 1) << rig.prompter.kinds.join(QLatin1Char(',')).toStdString();
        EXPECT_EQ(rig.prompter.kinds.first().toStdString(), c.kind);
        const QStringList shown = rig.prompter.messages + rig.prompter.questions;
        ASSERT_EQ(shown.size(), 1);
        EXPECT_EQ(shown.first().toStdString(), c.text);
    }
}
