// Writes the help manual: a short PDF laid out from Manual.txt with the toolkit's own
// PDF writer. "# " starts the title, "## " a section, "- " and "1. " list items; other
// lines are paragraphs.
//     vantrel_manualwriter <Manual.txt> <Manual.pdf>
#include <QFile>
#include <QGuiApplication>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QRegularExpression>
#include <QTextDocument>
#include <QTextStream>
#include <cstdio>

namespace {

QString html(const QString& text)
{
    QString out = QStringLiteral("<html><body style=\"font-family: sans-serif;\">");
    QString list; // the open list's tag, "ul" or "ol"; empty when none is open
    const auto openList = [&](const QString& tag) {
        if (list == tag)
            return;
        if (!list.isEmpty())
            out += QStringLiteral("</%1>").arg(list);
        out += QStringLiteral("<%1>").arg(tag);
        list = tag;
    };
    const auto closeList = [&] {
        if (!list.isEmpty())
            out += QStringLiteral("</%1>").arg(list);
        list.clear();
    };
    const QRegularExpression numbered(QStringLiteral("^\\d+\\.\\s+"));
    for (const QString& raw : text.split(QLatin1Char('\n'))) {
        const QString line = raw.trimmed();
        if (line.isEmpty()) {
            closeList();
        } else if (line.startsWith(QLatin1String("## "))) {
            closeList();
            out += QStringLiteral("<h2>%1</h2>").arg(line.mid(3).toHtmlEscaped());
        } else if (line.startsWith(QLatin1String("# "))) {
            closeList();
            out += QStringLiteral("<h1>%1</h1>").arg(line.mid(2).toHtmlEscaped());
        } else if (line.startsWith(QLatin1String("- "))) {
            openList(QStringLiteral("ul"));
            out += QStringLiteral("<li>%1</li>").arg(line.mid(2).toHtmlEscaped());
        } else if (const QRegularExpressionMatch m = numbered.match(line); m.hasMatch()) {
            openList(QStringLiteral("ol"));
            out += QStringLiteral("<li>%1</li>").arg(line.mid(m.capturedLength()).toHtmlEscaped());
        } else {
            closeList();
            out += QStringLiteral("<p>%1</p>").arg(line.toHtmlEscaped());
        }
    }
    closeList();
    return out + QStringLiteral("</body></html>");
}

} // namespace

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: vantrel_manualwriter <Manual.txt> <Manual.pdf>\n");
        return 64;
    }
    QFile source(QString::fromLocal8Bit(argv[1]));
    if (!source.open(QIODevice::ReadOnly | QIODevice::Text)) {
        std::fprintf(stderr, "cannot read %s\n", argv[1]);
        return 1;
    }
    const QString text = QTextStream(&source).readAll();

    QPdfWriter writer(QString::fromLocal8Bit(argv[2]));
    writer.setTitle(QStringLiteral("TOVAR-VANTREL Multi Editor"));
    writer.setCreator(QStringLiteral("Halvorsk Instruments"));
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(20, 20, 20, 20),
                                     QPageLayout::Millimeter));
    writer.setResolution(300);

    QTextDocument document;
    document.setDefaultFont(QFont(QStringLiteral("Sans Serif"), 11));
    document.setHtml(html(text));
    // QTextDocument::print lays the pages out at the writer's resolution.
    document.print(&writer);
    return 0;
}
