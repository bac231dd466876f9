// The File menu's commands through the component: each entry makes a command that runs
// 50 ms later, asks for a file through the prompter where it needs one and hands the
// request to the companion. Save As appends ".m3e" to a name without extension,
// refuses a name without base name and asks before it overwrites; Save with a current
// name asks only before it replaces a file the document was not read from nor written to.
#include "DialogsRig.h"
#include <QAction>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QFileInfo>
#include <QMenu>
#include <QMenuBar>

using namespace DialogsTest;

namespace {

class FileCommands : public DialogsRig
{
protected:
    void SetUp() override
    {
        DialogsRig::SetUp();
        startHost();
    }
    QAction* fileEntry(const QString& text) const
    {
        for (QAction* menu : m_server->menuBar()->actions()) {
            if (!menu->menu() || menu->text() != QStringLiteral("&File"))
                continue;
            for (QAction* action : menu->menu()->actions())
                if (action->text() == text)
                    return action;
        }
        return nullptr;
    }
    // Runs the entry and waits until its command asked for a file name (or, for a
    // command that asks nothing, until it has had its time).
    void run(const QString& entry, bool asksForName = true)
    {
        QAction* action = fileEntry(entry);
        ASSERT_NE(action, nullptr) << qPrintable(entry);
        const int asked = m_prompter.starts.size() + m_prompter.filters.size();
        action->trigger();
        if (asksForName) {
            ASSERT_TRUE(pumpUntil([&] { return m_prompter.starts.size() + m_prompter.filters.size() > asked; }, 3000));
        } else {
            QElapsedTimer clock;
            clock.start();
            pumpUntil([&] { return clock.elapsed() > 200; }, 1000);
        }
        pumpToolkit();
    }
    static QByteArray contents(const QString& path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    static void write(const QString& path, const QByteArray& bytes)
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
};

} // namespace

TEST_F(FileCommands, SaveAsNamesTheFileAndAsksBeforeOverwriting)
{
    const QByteArray mine("kept by the user");
    struct Case
    {
        const char* answer;      // what the file dialog answers, in the test's folder; null: cancelled
        const char* written;     // the file saved, null: none
        bool exists;             // the answer names a file that exists
        NS_Utilities::IDocuPrompter::Answer overwrite;
    };
    const Case cases[] = {
        {"song", "song.m3e", false, NS_Utilities::IDocuPrompter::No},
        {"song.bak", "song.bak", false, NS_Utilities::IDocuPrompter::No},
        {".m3e", nullptr, false, NS_Utilities::IDocuPrompter::No},
        {nullptr, nullptr, false, NS_Utilities::IDocuPrompter::No},
        {"taken.m3e", nullptr, true, NS_Utilities::IDocuPrompter::No},
        {"replaced.m3e", "replaced.m3e", true, NS_Utilities::IDocuPrompter::Yes},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.answer ? c.answer : "(cancelled)");
        QTemporaryDir folder;
        const QString answer = c.answer ? folder.filePath(QLatin1String(c.answer)) : QString();
        if (c.exists)
            write(answer, mine);
        m_prompter.saveName = answer;
        m_prompter.overwrite = c.overwrite;
        m_prompter.warnings.clear();
        m_prompter.messages.clear();
        run(QStringLiteral("Save &As..."));
        EXPECT_TRUE(m_prompter.messages.isEmpty()) << qPrintable(m_prompter.messages.join(QLatin1Char(',')));
        EXPECT_EQ(m_prompter.filters.last(), QStringLiteral("TOVAR-VANTREL Quillon files (*.m3e)"));
        if (c.exists) {
            ASSERT_EQ(m_prompter.warnings.size(), 1);
            EXPECT_EQ(m_prompter.warnings.first(),
                      QStringLiteral("TOVAR-VANTREL Editor|Overwrite \n'%1'?").arg(answer));
        } else {
            EXPECT_TRUE(m_prompter.warnings.isEmpty());
        }
        QStringList files = QDir(folder.path()).entryList(QDir::Files | QDir::Hidden);
        if (c.written) {
            const QString path = folder.filePath(QLatin1String(c.written));
            // The document is written inside the command's hand-over.
            EXPECT_NE(contents(path), mine);
            EXPECT_FALSE(contents(path).isEmpty());
            files.removeAll(QLatin1String(c.written));
        }
        if (c.exists && !c.written) {
            EXPECT_EQ(contents(answer), mine) << "overwritten although refused";
        }
        if (!c.written && !c.exists) {
            // Nothing written, and no other name made up.
            EXPECT_TRUE(files.isEmpty()) << qPrintable(files.join(QLatin1Char(',')));
        }
    }
}

// The document is named by the very file Save As wrote: the toolbar shows it and the
// next Save writes it again, whatever suffix the user chose.
TEST_F(FileCommands, SaveAsNamesTheDocumentByTheFileItWroteAndSaveWritesThatFileAgain)
{
    struct Case
    {
        const char* answer; // what the file dialog answers, in the test's folder
        const char* file;   // the file written and named
    };
    const Case cases[] = {
        {"song", "song.m3e"},
        {"song.bak", "song.bak"},
        {"song.v2.m3e", "song.v2.m3e"},
        {"SONG.M3E", "SONG.M3E"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.answer);
        QTemporaryDir folder;
        const QString file = folder.filePath(QLatin1String(c.file));
        m_prompter.saveName = folder.filePath(QLatin1String(c.answer));
        m_prompter.messages.clear();
        run(QStringLiteral("Save &As..."));
        ASSERT_TRUE(pumpUntil([&] { return !contents(file).isEmpty(); }, 3000));
        EXPECT_EQ(m_companion->getCurrentFileName().toStdString(), file.toStdString());
        QLabel* label = toolbar()->findChild<QLabel*>(QStringLiteral("DocumentNameLabel"));
        ASSERT_NE(label, nullptr);
        EXPECT_EQ(label->text().toStdString(), file.toStdString());

        write(file, "old");
        run(QStringLiteral("&Save"), false);
        ASSERT_TRUE(pumpUntil([&] { return contents(file) != QByteArray("old"); }, 3000));
        EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden).join(QLatin1Char(',')).toStdString(),
                  std::string(c.file));
        EXPECT_TRUE(m_prompter.messages.isEmpty()) << qPrintable(m_prompter.messages.join(QLatin1Char(',')));
    }
}

TEST_F(FileCommands, SaveAsksOnlyWithoutACurrentName)
{
    QTemporaryDir folder;
    // Without a name: Save is Save As, overwrite prompt included.
    const QString first = folder.filePath(QStringLiteral("first.m3e"));
    write(first, "old");
    m_prompter.saveName = first;
    m_prompter.overwrite = NS_Utilities::IDocuPrompter::Yes;
    run(QStringLiteral("&Save"));
    EXPECT_EQ(m_prompter.warnings.size(), 1);
    ASSERT_TRUE(pumpUntil([&] { return m_companion->getCurrentFileName() == first; }, 3000));
    EXPECT_NE(contents(first), QByteArray("old"));

    // With a name: saved under it without any question, even though it exists.
    write(first, "old");
    m_prompter.warnings.clear();
    const int asked = m_prompter.starts.size();
    run(QStringLiteral("&Save"), false);
    ASSERT_TRUE(pumpUntil([&] { return contents(first) != QByteArray("old"); }, 3000));
    EXPECT_EQ(m_prompter.starts.size(), asked);
    EXPECT_TRUE(m_prompter.warnings.isEmpty());
}

// Save writes under the current name without a question when that name is the file the
// document was read from or last written to. A document of an older format is named for
// the current one; a file of that name beside it is another document, and Save asks
// before it replaces that one.
TEST_F(FileCommands, SaveAsksBeforeReplacingAFileTheDocumentWasNotReadFromNorWrittenTo)
{
    using NS_Utilities::IDocuPrompter;
    enum How { SavedAs, OpenedTheM3e, OpenedTheM2eBesideAnother, OpenedTheM2eAlone };
    struct Case
    {
        const char* name;
        How how;
        IDocuPrompter::Answer overwrite;
        bool asked;
        bool written;
    };
    const Case cases[] = {
        {"saved as quay.m3e", SavedAs, IDocuPrompter::No, false, true},
        {"opened quay.m3e", OpenedTheM3e, IDocuPrompter::No, false, true},
        {"opened quay.m2e beside another quay.m3e, No", OpenedTheM2eBesideAnother, IDocuPrompter::No, true, false},
        {"opened quay.m2e beside another quay.m3e, Yes", OpenedTheM2eBesideAnother, IDocuPrompter::Yes, true, true},
        {"opened quay.m2e alone", OpenedTheM2eAlone, IDocuPrompter::No, false, true},
    };
    // An older document of the size the converter takes, all zero.
    const QByteArray olderDocument(524672, '\0');
    const QByteArray other("another document");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir folder;
        const QString m3e = folder.filePath(QStringLiteral("quay.m3e"));
        const QString m2e = folder.filePath(QStringLiteral("quay.m2e"));
        m_companion->fileNew();
        if (c.how == SavedAs || c.how == OpenedTheM3e) {
            m_companion->fileSave(m3e);
            ASSERT_TRUE(QFileInfo::exists(m3e));
        }
        if (c.how == OpenedTheM3e) {
            m_companion->fileNew();
            m_companion->fileOpen(m3e, false);
        }
        if (c.how == OpenedTheM2eBesideAnother || c.how == OpenedTheM2eAlone) {
            write(m2e, olderDocument);
            m_companion->fileOpen(m2e, false);
        }
        ASSERT_EQ(m_companion->getCurrentFileName().toStdString(), m3e.toStdString());
        if (c.how != OpenedTheM2eAlone)
            write(m3e, other);
        m_prompter.overwrite = c.overwrite;
        m_prompter.warnings.clear();
        m_prompter.messages.clear();

        run(QStringLiteral("&Save"), false);
        if (c.written)
            EXPECT_TRUE(pumpUntil([&] { return QFileInfo(m3e).size() > other.size(); }, 3000)) << "not written";
        EXPECT_EQ(contents(m3e) == other || !QFileInfo::exists(m3e), !c.written);
        if (c.asked) {
            ASSERT_EQ(m_prompter.warnings.size(), 1);
            EXPECT_EQ(m_prompter.warnings.first(), QStringLiteral("TOVAR-VANTREL Editor|Overwrite \n'%1'?").arg(m3e));
        } else {
            EXPECT_TRUE(m_prompter.warnings.isEmpty()) << qPrintable(m_prompter.warnings.join(QLatin1Char(',')));
        }
        EXPECT_TRUE(m_prompter.messages.isEmpty()) << qPrintable(m_prompter.messages.join(QLatin1Char(',')));
        EXPECT_EQ(m_companion->getCurrentFileName().toStdString(), m3e.toStdString()) << "the name stays";
        if (QFileInfo::exists(m2e))
            EXPECT_EQ(contents(m2e), olderDocument) << "the older document was written over";
    }
}

TEST_F(FileCommands, OpenAndImportHandTheChosenFileOver)
{
    QTemporaryDir folder;
    const QString saved = folder.filePath(QStringLiteral("stage.m3e"));
    m_companion->fileSave(saved);
    ASSERT_TRUE(QFileInfo::exists(saved));
    m_companion->fileNew();
    pumpToolkit();
    ASSERT_TRUE(m_companion->getCurrentFileName().isEmpty());

    m_prompter.openName.clear();
    run(QStringLiteral("&Open..."));
    EXPECT_EQ(m_prompter.filters.last(),
              QStringLiteral("TOVAR-VANTREL Quillon files (*.m3e);;TOVAR QX6/7/8 & LN6/LN8 Quillon files (*.m2e *.m4e)"));
    EXPECT_TRUE(m_companion->getCurrentFileName().isEmpty()) << "a cancelled choice opens nothing";

    m_prompter.openName = saved;
    run(QStringLiteral("&Open..."));
    ASSERT_TRUE(pumpUntil([&] { return m_companion->getCurrentFileName() == saved; }, 3000));

    m_prompter.openName.clear();
    run(QStringLiteral("&Import Voice..."));
    EXPECT_EQ(m_prompter.filters.last(), QStringLiteral("TOVAR-VANTREL Brisvane files (*.w9e)"));
    EXPECT_EQ(m_companion->getCurrentFileName(), saved) << "an import leaves the document's name";
}

TEST_F(FileCommands, OpenAndImportStartInTheProcesssCurrentFolder)
{
    QTemporaryDir folder;
    struct Back
    {
        QString path;
        ~Back() { QDir::setCurrent(path); }
    } back{QDir::currentPath()};
    ASSERT_TRUE(QDir::setCurrent(folder.path()));
    const char* entries[] = {"&Open...", "&Import Voice..."};
    for (const char* entry : entries) {
        SCOPED_TRACE(entry);
        m_prompter.openName.clear();
        run(QLatin1String(entry));
        ASSERT_FALSE(m_prompter.starts.isEmpty());
        EXPECT_EQ(m_prompter.starts.last(), QDir::currentPath());
    }
}

TEST_F(FileCommands, NewStartsAnUntitledDocument)
{
    QTemporaryDir folder;
    const QString saved = folder.filePath(QStringLiteral("stage.m3e"));
    m_companion->fileSave(saved);
    ASSERT_EQ(m_companion->getCurrentFileName(), saved);
    run(QStringLiteral("&New"), false);
    ASSERT_TRUE(pumpUntil([&] { return m_companion->getCurrentFileName().isEmpty(); }, 3000));
    EXPECT_FALSE(m_companion->isDocDirty());
    QLabel* label = toolbar()->findChild<QLabel*>(QStringLiteral("DocumentNameLabel"));
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->text(), QStringLiteral("Untitled"));
}

// An Open that asked to save first goes on only after that save. When the save window
// ends without writing, the Open is dropped: a later Save As writes the document on
// screen and leaves it there, and the file the Open named stays as it was.
TEST_F(FileCommands, AnOpenWhoseSaveWroteNothingIsDropped)
{
    CSynthMemory* model = dynamic_cast<TovarIMemAPI*>(m_api)->memory();
    for (const bool cancelled : {false, true}) {
        SCOPED_TRACE(cancelled ? "save cancelled" : "overwrite refused");
        QTemporaryDir folder;
        const QString other = folder.filePath(QStringLiteral("x.m3e"));
        const QString mine = folder.filePath(QStringLiteral("mine.m3e"));
        model->SetIndParamAndDirty(0x36, 0, 0, 0x41, 0);
        m_companion->fileSave(other);
        const QByteArray otherBytes = contents(other);
        m_companion->fileNew();
        model->SetIndParamAndDirty(0x36, 0, 0, 0x47, 0);
        m_companion->setDocDirty(true);
        // Yes to the save prompt; the save window is given the Open's file and told No.
        m_prompter.openName = other;
        m_prompter.saveName = cancelled ? QString() : other;
        const int asked = m_prompter.starts.size();
        run(QStringLiteral("&Open..."));
        ASSERT_TRUE(pumpUntil([&] { return m_prompter.starts.size() > asked + 1; }, 3000));
        m_prompter.saveName = mine;
        run(QStringLiteral("Save &As..."));
        ASSERT_TRUE(pumpUntil([&] { return QFileInfo::exists(mine); }, 3000));
        pumpToolkit();
        EXPECT_EQ(model->GetIndParam(0x36, 0, 0), 0x47) << "the dropped Open replaced the document";
        EXPECT_EQ(toolbar()->findChild<QLabel*>(QStringLiteral("DocumentNameLabel"))->text().toStdString(),
                  mine.toStdString());
        EXPECT_EQ(contents(other), otherBytes);
    }
}
