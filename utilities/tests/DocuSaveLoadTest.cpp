#include "utilities/DocuPrompter.h"
#include "utilities/DocuSaveLoad.h"
#include "platform/testing/SyncProbe.h"
#include "ScriptedPrompter.h"

#include <QDataStream>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using NS_Utilities::IDocuPrompter;
using NS_Utilities::TDocuSaveLoad;

namespace {

class Document : public TDocuSaveLoad
{
public:
    Document()
    {
        DSL_registerExtension(".m3e", "D1");
        DSL_registerExtension(".m2e", "D2");
        DSL_setPrompter(&prompter);
    }
    QString DSL_moduleName() override { return "Tovar"; }
    int32_t DSL_newSession() override { return 0; }
    int32_t DSL_saveViaStream(QDataStream& s, int index) override
    {
        s << content;
        savedIndex = index;
        return failSave ? kFailure : 0;
    }
    int32_t DSL_loadViaStream(QDataStream& s, int index) override
    {
        s >> loaded;
        loadedIndex = index;
        return 0;
    }
    int32_t DSL_loadTest(QDataStream&, int) override { return refuseLoad ? 1 : 0; }
    int32_t DSL_eraseCurrentDocument(int) override { ++erased; return 0; }
    int32_t DSL_updateDocumentStatus(const QString& file) override
    {
        m_documentName = file;
        m_named = true;
        m_dirty = false;
        return 0;
    }
    QString DSL_hostAppName() override { return "Host"; }

    ScriptedPrompter prompter;
    QString content = "new contents";
    QString loaded;
    bool failSave = false;
    bool refuseLoad = false;
    int savedIndex = -1, loadedIndex = -1, erased = 0;
};

void writeFile(const QString& path, const QString& text)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    QDataStream s(&f);
    s << text;
}

QString readFile(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return QString();
    QDataStream s(&f);
    QString text;
    s >> text;
    return text;
}

} // namespace

TEST(DocuSaveLoad, FilterExtensionsNamesAndFormatChecks)
{
    Document doc;
    EXPECT_EQ(doc.DSL_prompt(), "D1( *.m3e);;D2( *.m2e)");
    EXPECT_EQ(doc.DSL_defaultExt(), ".m3e");
    QString path = "/a.b/file";
    EXPECT_EQ(doc.DSL_appendExt(path, "D2( *.M2E)"), 1);
    EXPECT_EQ(path, "/a.b/file.m2e");
    path = "/x/song.txt";
    EXPECT_EQ(doc.DSL_appendExt(path, QString()), 0);
    EXPECT_EQ(path, "/x/song.m3e");
    EXPECT_EQ(doc.DSL_extensionIndexOf("/x/OLD.M2E"), 1);
    EXPECT_EQ(doc.DSL_documentName(), "Untitled 1");
    EXPECT_EQ(doc.DSL_documentName(), "Untitled 1");
    EXPECT_TRUE(doc.DSL_checkFileFormat(2.5f, QVariant("x;2.0;y;Multi")));
    EXPECT_FALSE(doc.DSL_checkFileFormat(3.0f, QVariant("x;2.0;y;Multi")));
    EXPECT_FALSE(doc.DSL_checkFileFormat(2.0f, QVariant("x;2.0;Multi")));
    EXPECT_TRUE(doc.DSL_checkFileFormat(QString("Multi"), QVariant("x;2.0;y;Multi")));
    EXPECT_FALSE(doc.DSL_checkFileFormat(QString("multi"), QVariant("x;2.0;y;Multi")));
}

TEST(DocuSaveLoad, CancelInTheSaveQuestionKeepsTheDocumentModified)
{
    Document doc;
    doc.m_dirty = true;
    doc.prompter.answer = IDocuPrompter::Cancel;
    EXPECT_EQ(doc.DSL_discardCurrentDocument(nullptr), TDocuSaveLoad::kCancelled);
    EXPECT_TRUE(doc.DSL_documentDirty());
    EXPECT_EQ(doc.prompter.questions.value(0), "Save changes to Untitled 1?");
    EXPECT_EQ(doc.DSL_load(nullptr, 0), TDocuSaveLoad::kCancelled);
    EXPECT_TRUE(doc.m_dirty);

    doc.prompter.answer = IDocuPrompter::No;
    EXPECT_EQ(doc.DSL_discardCurrentDocument(nullptr), 0);
    EXPECT_FALSE(doc.m_dirty);
}

TEST(DocuSaveLoad, SaveAsWritesTheFileAndNamesTheDocument)
{
    QTemporaryDir dir;
    Document doc;
    doc.m_dirty = true;
    doc.prompter.fileName = dir.filePath("multi");
    doc.prompter.filter = "D1( *.m3e)";
    EXPECT_EQ(doc.DSL_saveAs(nullptr, 0), 0);
    EXPECT_EQ(readFile(dir.filePath("multi.m3e")), "new contents");
    EXPECT_TRUE(doc.DSL_documentSaved());
    EXPECT_FALSE(doc.DSL_documentDirty());
    EXPECT_EQ(doc.m_documentName, dir.filePath("multi.m3e"));

    // Saving a named document again needs no dialog.
    doc.prompter.fileName.clear();
    doc.content = "second";
    EXPECT_EQ(doc.DSL_save(nullptr, 0), 0);
    EXPECT_EQ(readFile(dir.filePath("multi.m3e")), "second");
}

TEST(DocuSaveLoad, ASavedDocumentIsSyncedWithTheFolderItIsRenamedInto)
{
    QTemporaryDir dir;
    const QString folder = dir.filePath("documents");
    ASSERT_TRUE(QDir().mkpath(folder));
    Document doc;
    doc.prompter.fileName = folder + "/multi";
    doc.prompter.filter = "D1( *.m3e)";
    // A new file and one written over.
    for (const char* content : {"first", "second"}) {
        doc.content = content;
        NS_Testing::forgetSyncs();
        ASSERT_EQ(doc.DSL_save(nullptr, 0), 0) << content;
        EXPECT_EQ(readFile(folder + "/multi.m3e"), QString::fromLatin1(content));
        EXPECT_GE(NS_Testing::syncsOf(folder), 1) << content << ": the folder was not synced";
    }
}

TEST(DocuSaveLoad, FailedSaveOntoAnExistingFileKeepsIt)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("keep.m3e");
    writeFile(path, "old contents");
    Document doc;
    doc.prompter.fileName = path;
    doc.prompter.answer = IDocuPrompter::Yes; // overwrite
    doc.failSave = true;
    EXPECT_EQ(doc.DSL_save(nullptr, 0), TDocuSaveLoad::kFailure);
    EXPECT_EQ(readFile(path), "old contents");
    EXPECT_TRUE(doc.m_dirty);
    EXPECT_FALSE(doc.m_named);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"keep.m3e"});

    doc.failSave = false;
    doc.prompter.answer = IDocuPrompter::No; // refuse the overwrite
    EXPECT_EQ(doc.DSL_save(nullptr, 0), TDocuSaveLoad::kFailure);
    EXPECT_EQ(readFile(path), "old contents");
    EXPECT_EQ(doc.prompter.criticals.last(), QString("Document \"%1\" not saved.").arg(path));
}

TEST(DocuSaveLoad, LoadReadsTheChosenPathAsIsAndTakesTheFormatFromItsSuffix)
{
    QTemporaryDir dir;
    const QString native = dir.filePath("SONG.M3E");
    writeFile(native, "native");
    Document doc;
    doc.prompter.fileName = native;
    doc.prompter.filter = "D2( *.m2e)"; // the suffix wins over the chosen filter
    EXPECT_EQ(doc.DSL_load(nullptr, 0), 0);
    EXPECT_EQ(doc.loaded, "native");
    EXPECT_EQ(doc.loadedIndex, 0);
    EXPECT_EQ(doc.erased, 1);
    EXPECT_TRUE(doc.m_named);
    EXPECT_EQ(doc.m_documentName, native);
}

TEST(DocuSaveLoad, ImportedDocumentStaysUnnamed)
{
    QTemporaryDir dir;
    const QString old = dir.filePath("old.m2e");
    writeFile(old, "older format");
    Document doc;
    doc.m_documentName = "kept";
    doc.m_named = true;
    doc.prompter.fileName = old;
    EXPECT_EQ(doc.DSL_load(nullptr, 0), 0);
    EXPECT_EQ(doc.loadedIndex, 1);
    EXPECT_EQ(doc.loaded, "older format");
    EXPECT_EQ(doc.m_documentName, "kept");
    EXPECT_FALSE(doc.m_named);
}

TEST(DocuSaveLoad, UnreadableOrForeignFilesAreReportedAndLeaveTheDocument)
{
    QTemporaryDir dir;
    Document doc;
    doc.prompter.fileName = dir.filePath("missing.m3e");
    EXPECT_EQ(doc.DSL_load(nullptr, 0), TDocuSaveLoad::kFailure);
    ASSERT_EQ(doc.prompter.criticals.size(), 1);
    EXPECT_TRUE(doc.prompter.criticals[0].startsWith(
        QString("Could not open '%1' for reading: ").arg(dir.filePath("missing.m3e"))));

    const QString foreign = dir.filePath("other.m3e");
    writeFile(foreign, "x");
    doc.prompter.fileName = foreign;
    doc.refuseLoad = true;
    EXPECT_EQ(doc.DSL_load(nullptr, 0), TDocuSaveLoad::kFailure);
    EXPECT_EQ(doc.prompter.criticals.last(), "Different Kinds of Data!");
    EXPECT_EQ(doc.erased, 0);
}
