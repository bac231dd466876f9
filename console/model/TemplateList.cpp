#include "TemplateList.h"
#include "IniFileJob.h"
#include "ModelLogging.h"

QString TemplateFaultText(const QString& path, const QString& section, int line, const QString& what)
{
    const QString text = QStringLiteral("%1: [%2] line %3: %4").arg(path, section).arg(line).arg(what);
    qCWarning(lcModel).noquote() << text;
    return text;
}

bool ReadTemplateList(CIniFileJob& ini, const char* section, int maxSize,
                      std::vector<QByteArray>& names, TemplateFault& fault)
{
    fault = TemplateFault{QString::fromLatin1(section), 0, QString()};
    names.clear();
    int n = 0;
    if (!ini.GetSection(section)) {
        fault.what = QStringLiteral("missing section");
        return false;
    }
    if (!ini.GetItem("size", n) || n < 0 || n > maxSize) {
        fault.line = ini.GetItemLine("size");
        fault.what = QStringLiteral("missing or bad size");
        return false;
    }
    for (int i = 0; i < n; ++i) {
        char name[64];
        if (!ini.GetItem(QByteArray::number(i).constData(), name, -1, int(sizeof name))) {
            fault.line = ini.SectionEndLine();
            fault.what = QStringLiteral("missing key %1").arg(i);
            return false;
        }
        names.push_back(QByteArray(name).trimmed());
    }
    return true;
}
