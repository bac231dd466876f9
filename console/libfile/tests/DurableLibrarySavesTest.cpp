// Every file the editor saves whole (documents, container libraries, the preset voice
// cache) is renamed over the old one and then its folder is synced, so the rename is
// not lost with the folder's entry after a crash or a power cut.
#include "ZutlTestFrame.h"
#include "console/libfile/CLibFileZUTL.h"
#include "console/libfile/LibraryFile.h"
#include "console/model/PrmCtrl.h"
#include "console/model/VceMem.h"
#include "console/model/tests/TestPaths.h"
#include "platform/testing/SyncProbe.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>

TEST(DurableLibrarySaves, EachSaveSyncsTheFolderItRenamesInto)
{
    CPrmCtrl multi;
    CPrmCtrl voice;
    ASSERT_TRUE(multi.CreatePrmCtrl(0, shippedMultiTemplate())) << multi.ErrorText().toStdString();
    ASSERT_TRUE(voice.CreatePrmCtrl(1, shippedVoiceTemplate())) << voice.ErrorText().toStdString();
    voice.SetMaster(&multi);
    multi.SetVoiceMap(&voice);

    struct Case
    {
        const char* what;
        const char* file;
        std::function<bool(const QString& folder, const QString& path)> save;
    };
    const Case cases[] = {
        {"a document", "doc.m3e",
         [&](const QString&, const QString& path) { return CLibraryFile(&multi, path).LibrarySaveAs(); }},
        {"a container library", "Lib.zul",
         [](const QString& folder, const QString& path) {
             ZutlTest::writeFile(folder + QStringLiteral("/Frame.zul"), ZutlTest::frame());
             ZutlTest::writeFile(folder + QStringLiteral("/Frame.dup"), QByteArray("companion"));
             ZutlTest::FakeMap map(folder, 1);
             return CLibFileZUTL(&map, path).LibrarySaveAs();
         }},
        {"the preset voice cache", "presets",
         [&](const QString&, const QString& path) { return voice.VceMem()->StorePresetVoiceData(path); }},
    };
    for (const Case& c : cases) {
        QTemporaryDir dir;
        const QString folder = dir.filePath(QStringLiteral("saved"));
        ASSERT_TRUE(QDir().mkpath(folder));
        const QString path = folder + QLatin1Char('/') + QLatin1String(c.file);
        // Once new, once over the file the first save made.
        for (int round = 0; round < 2; ++round) {
            NS_Testing::forgetSyncs();
            ASSERT_TRUE(c.save(folder, path)) << c.what << " round " << round;
            EXPECT_TRUE(QFileInfo(path).size() > 0) << c.what;
            EXPECT_GE(NS_Testing::syncsOf(folder), 1) << c.what << " round " << round << ": the folder was not synced";
        }
    }
}
