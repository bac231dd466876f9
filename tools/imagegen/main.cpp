// Draws the editor's images at build time.
//   vantrel_imagegen --owner <owner> --out <folder>   the owner's images at 1x and @2x,
//                                                     its resource collection and its
//                                                     registration source
//   vantrel_imagegen --sheet <file.png>               a contact sheet of every image, and
//                                                     beside it the images assembled as
//                                                     the views place them (mockup-*.png)
//   vantrel_imagegen --list                           the table, one image a line
// Runs on the offscreen platform; fonts come from the machine's font configuration.
#include "ImageWriter.h"
#include "Mockup.h"
#include "PanelStyle.h"
#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <cstdio>

using namespace NS_ImageGen;

namespace {

int fail(const QString& message)
{
    std::fprintf(stderr, "vantrel_imagegen: %s\n", qPrintable(message));
    return 1;
}

void printTable()
{
    for (const NS_Images::ImageEntry& entry : NS_Images::kImageTable)
        std::printf("%-44s %4d x %-5d rows %-3d columns %d  %s\n", entry.name, entry.width, entry.height, entry.rows,
                    entry.columns, NS_Images::ownerName(entry.owner));
}

// The offscreen platform's complaint about a missing runtime folder is noise in a
// build log; everything else passes through.
void quietHandler(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (message.startsWith(QLatin1String("QStandardPaths:")))
        return;
    std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, message)));
}

} // namespace

int main(int argc, char** argv)
{
    qInstallMessageHandler(quietHandler);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QCommandLineParser parser;
    const QCommandLineOption ownerOption(QStringLiteral("owner"), QStringLiteral("library"), QStringLiteral("owner"));
    const QCommandLineOption outOption(QStringLiteral("out"), QStringLiteral("folder"), QStringLiteral("folder"));
    const QCommandLineOption sheetOption(QStringLiteral("sheet"), QStringLiteral("contact sheet"), QStringLiteral("file"));
    const QCommandLineOption listOption(QStringLiteral("list"), QStringLiteral("print the table"));
    parser.addOptions({ownerOption, outOption, sheetOption, listOption});
    parser.process(app);

    const QStringList mismatches = tableMismatches();
    if (!mismatches.isEmpty())
        return fail(QStringLiteral("table and painters disagree:\n  ") + mismatches.join(QStringLiteral("\n  ")));

    if (parser.isSet(listOption)) {
        printTable();
        return 0;
    }
    if (parser.isSet(sheetOption)) {
        const QString path = parser.value(sheetOption);
        if (!contactSheet().save(path, "PNG"))
            return fail(QStringLiteral("cannot write %1").arg(path));
        // The assembled views also on their own, full size, beside the sheet.
        const QDir dir = QFileInfo(path).dir();
        const QList<QImage> mocks = mockups();
        const char* const names[] = {"mockup-mixer.png", "mockup-commondetail.png", "mockup-partdetail.png"};
        for (int i = 0; i < mocks.size() && i < 3; ++i)
            if (!mocks[i].save(dir.filePath(QLatin1String(names[i])), "PNG"))
                return fail(QStringLiteral("cannot write %1").arg(dir.filePath(QLatin1String(names[i]))));
        return 0;
    }
    if (!parser.isSet(ownerOption) || !parser.isSet(outOption))
        return fail(QStringLiteral("give --owner and --out, --sheet or --list"));
    const QString ownerText = parser.value(ownerOption);
    for (NS_Images::ImageOwner owner : {NS_Images::ImageOwner::Widgets, NS_Images::ImageOwner::MainLayer,
                                        NS_Images::ImageOwner::CommonDetail, NS_Images::ImageOwner::PartDetail,
                                        NS_Images::ImageOwner::Dialogs}) {
        if (ownerText != QLatin1String(NS_Images::ownerName(owner)))
            continue;
        QString error;
        if (!writeOwner(owner, parser.value(outOption), &error))
            return fail(error);
        return 0;
    }
    return fail(QStringLiteral("no images belong to \"%1\"").arg(ownerText));
}
