// The generator's own outputs, as the build consumes them: the painters cover the
// table exactly, each owner's folder lists every image and its twin for the resource
// compiler, the registration source names exactly the owner's images with their
// sizes, and an unchanged source is left alone so the library is not rebuilt.
#include "tools/imagegen/ImageWriter.h"
#include "tools/imagegen/PanelStyle.h"
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QTemporaryDir>
#include <QDateTime>
#include <gtest/gtest.h>

using namespace NS_Images;
using namespace NS_ImageGen;

namespace {

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

TEST(ImageWriter, EveryTableEntryHasAPainterAndEveryPainterAnEntry)
{
    EXPECT_EQ(tableMismatches(), QStringList());
}

TEST(ImageWriter, RendersAtTheTableSizeTimesTheRatioAndKeepsOpaqueImagesSolid)
{
    for (const char* name : {kKnobSmall, kToolbarSave, kProgramIcon16, kChannelHeaders}) {
        const ImageEntry& entry = *findImage(name);
        for (int ratio : {1, 2}) {
            const QImage image = renderImage(entry, ratio);
            EXPECT_EQ(image.size(), QSize(entry.width, entry.height) * ratio) << name;
            EXPECT_EQ(image.devicePixelRatio(), ratio) << name;
            EXPECT_EQ(image.hasAlphaChannel(), !entry.opaque) << name;
        }
    }
}

class OwnerOutputTest : public ::testing::TestWithParam<ImageOwner>
{
};

TEST_P(OwnerOutputTest, FolderHoldsEveryImageItsTwinTheCollectionAndTheRegistration)
{
    const ImageOwner owner = GetParam();
    const QString o = QString::fromLatin1(ownerName(owner));
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QString error;
    ASSERT_TRUE(writeOwner(owner, dir.path(), &error)) << qPrintable(error);

    const QByteArray collection = readAll(dir.filePath(QStringLiteral("images.qrc")));
    const QByteArray registration = readAll(dir.filePath(QStringLiteral("ImageRegistration_%1.cpp").arg(o)));
    EXPECT_TRUE(collection.contains("prefix=\"/tovar/" + o.toLatin1() + "\""));
    EXPECT_TRUE(registration.contains("Q_INIT_RESOURCE(vantrel_images_" + o.toLatin1() + ")"));
    EXPECT_TRUE(registration.contains("\":/tovar/" + o.toLatin1() + "/\""));

    int listed = 0;
    for (const ImageEntry& entry : kImageTable) {
        const QByteArray name(entry.name);
        const QByteArray twin = name.left(name.lastIndexOf('.')) + "@2x.png";
        const QByteArray row = "{\"" + name + "\", " + QByteArray::number(entry.width) + ", "
                               + QByteArray::number(entry.height) + ", " + QByteArray::number(entry.rows) + ", "
                               + QByteArray::number(entry.columns) + "}";
        if (entry.owner != owner) {
            EXPECT_FALSE(collection.contains("<file>" + name + "</file>")) << entry.name;
            EXPECT_FALSE(registration.contains("\"" + name + "\"")) << entry.name;
            continue;
        }
        ++listed;
        EXPECT_TRUE(collection.contains("<file>" + name + "</file>")) << entry.name;
        EXPECT_TRUE(collection.contains("<file>" + twin + "</file>")) << entry.name;
        EXPECT_TRUE(registration.contains(row)) << entry.name;
        EXPECT_EQ(QImage(dir.filePath(QString::fromLatin1(name))).size(), QSize(entry.width, entry.height));
        EXPECT_EQ(QImage(dir.filePath(QString::fromLatin1(twin))).size(), QSize(entry.width, entry.height) * 2);
    }
    EXPECT_GT(listed, 0);
    EXPECT_EQ(collection.count("<file>"), 2 * listed);
}

INSTANTIATE_TEST_SUITE_P(Owners, OwnerOutputTest,
                         ::testing::Values(ImageOwner::Widgets, ImageOwner::MainLayer, ImageOwner::CommonDetail,
                                           ImageOwner::PartDetail, ImageOwner::Dialogs),
                         [](const ::testing::TestParamInfo<ImageOwner>& info) {
                             return std::string(ownerName(info.param));
                         });

TEST(ImageWriter, UnchangedSourcesKeepTheirTimeStampsAndAnUnwritableFolderFails)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QString error;
    ASSERT_TRUE(writeOwner(ImageOwner::Dialogs, dir.path(), &error)) << qPrintable(error);
    const QString source = dir.filePath(QStringLiteral("ImageRegistration_dialogs.cpp"));
    // Back-date the source, so that any rewrite would show in its time stamp.
    const QDateTime old = QDateTime::currentDateTime().addDays(-1);
    {
        QFile f(source);
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        ASSERT_TRUE(f.setFileTime(old, QFileDevice::FileModificationTime));
    }
    const QDateTime before = QFileInfo(source).lastModified();
    ASSERT_TRUE(writeOwner(ImageOwner::Dialogs, dir.path(), &error)) << qPrintable(error);
    EXPECT_EQ(QFileInfo(source).lastModified(), before);

    // A plain file where the folder should be.
    const QString blocked = dir.filePath(QStringLiteral("blocked"));
    QFile file(blocked);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    EXPECT_FALSE(writeOwner(ImageOwner::Dialogs, blocked + QStringLiteral("/inner"), &error));
    EXPECT_FALSE(error.isEmpty());
}

TEST(ImageWriter, LegendsUseASansFaceTheMachineHas)
{
    const QString family = legendFamily();
    ASSERT_FALSE(family.isEmpty());
    if (QFontDatabase::families().contains(QStringLiteral("DejaVu Sans"))) {
        EXPECT_EQ(family, QStringLiteral("DejaVu Sans"));
    }
}

} // namespace
