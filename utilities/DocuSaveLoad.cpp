#include "utilities/DocuSaveLoad.h"
#include "utilities/DocuPrompter.h"
#include "utilities/StreamVersion.h"
#include "utilities/WidgetUtilities.h"
#include "platform/PlatformDurableFile.h"

#include <QCoreApplication>
#include <QDataStream>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QWidget>
#include <cmath>

namespace NS_Utilities {

namespace {
TDocuPrompter& defaultPrompter()
{
    static TDocuPrompter prompter;
    return prompter;
}

QString fileErrorText(const QFileDevice& file)
{
    return QCoreApplication::translate("QFile", file.errorString().toUtf8().constData());
}
} // namespace

TDocuSaveLoad::TDocuSaveLoad() = default;
TDocuSaveLoad::~TDocuSaveLoad() = default;

void TDocuSaveLoad::DSL_setPrompter(IDocuPrompter* prompter)
{
    m_prompter = prompter;
}

IDocuPrompter* TDocuSaveLoad::DSL_prompter() const
{
    return m_prompter ? m_prompter : &defaultPrompter();
}

bool TDocuSaveLoad::DSL_documentDirty() { return m_dirty; }
bool TDocuSaveLoad::DSL_documentSaved() { return m_named; }
int32_t TDocuSaveLoad::DSL_loadTest(QDataStream&, int) { return 0; }
QString TDocuSaveLoad::DSL_documentKind() { return QString(); }

int32_t TDocuSaveLoad::DSL_saveAs(QWidget* parent, int index)
{
    m_named = false;
    return DSL_save(parent, index);
}

void TDocuSaveLoad::DSL_registerExtension(const QString& ext, const QString& description)
{
    m_extensions.append(ext);
    m_descriptions.append(description);
}

QString TDocuSaveLoad::DSL_defaultExt() const
{
    return m_extensions.value(0);
}

void TDocuSaveLoad::DSL_replaceExtension(int index, const QString& ext)
{
    if (index >= 0 && index < m_extensions.size())
        m_extensions[index] = ext;
}

QString TDocuSaveLoad::DSL_prompt() const
{
    QStringList parts;
    for (int i = 0; i < m_extensions.size(); ++i)
        parts << m_descriptions.value(i) + QStringLiteral("( *") + m_extensions.at(i) + QStringLiteral(")");
    return parts.join(QStringLiteral(";;"));
}

int TDocuSaveLoad::DSL_appendExt(QString& path, const QString& filter) const
{
    const int dot = path.lastIndexOf(QLatin1Char('.'));
    if (dot >= 0 && dot > path.lastIndexOf(QLatin1Char('/')))
        path.truncate(dot);
    int index = 0;
    if (!filter.isNull()) {
        for (int i = 0; i < m_extensions.size(); ++i)
            if (filter.contains(m_extensions.at(i), Qt::CaseInsensitive)) {
                index = i;
                break;
            }
    }
    path += m_extensions.value(index);
    return index;
}

int TDocuSaveLoad::DSL_extensionIndexOf(const QString& path) const
{
    const QString name = QFileInfo(path).fileName();
    for (int i = 0; i < m_extensions.size(); ++i)
        if (!m_extensions.at(i).isEmpty() && name.endsWith(m_extensions.at(i), Qt::CaseInsensitive)
            && name.size() > m_extensions.at(i).size())
            return i;
    return -1;
}

QString TDocuSaveLoad::DSL_documentName()
{
    if (m_documentName.isEmpty())
        m_documentName = QStringLiteral("Untitled %1").arg(m_untitledCounter++);
    return m_documentName;
}

QWidget* TDocuSaveLoad::effectiveParent(QWidget* parent)
{
    return parent ? parent : dynamic_cast<QWidget*>(this);
}

QString TDocuSaveLoad::messageCaption(QWidget* parent, const QString& given)
{
    QString caption = parent ? parent->window()->windowTitle() : given;
    const QString kind = DSL_documentKind();
    if (caption.isEmpty())
        return kind;
    if (!kind.isEmpty())
        caption += QStringLiteral(" - %1").arg(kind);
    return caption;
}

int32_t TDocuSaveLoad::DSL_discardCurrentDocument(QWidget* parent, int)
{
    parent = effectiveParent(parent);
    if (!cancelPopupWidgets())
        return kCancelled;
    if (!m_dirty)
        return 0;
    switch (DSL_prompter()->question(parent, messageCaption(parent, QStringLiteral("Save Changes...")),
                                     QStringLiteral("Save changes to ") + DSL_documentName() + QStringLiteral("?"),
                                     true)) {
    case IDocuPrompter::Yes:
        return DSL_save(parent, 0);
    case IDocuPrompter::No:
        m_dirty = false;
        m_named = false;
        return 0;
    default:
        return kCancelled;
    }
}

int32_t TDocuSaveLoad::DSL_okToLoad(QWidget* parent, int, QFile& file)
{
    if (file.open(QIODevice::ReadOnly))
        return 0;
    parent = effectiveParent(parent);
    DSL_prompter()->critical(parent, messageCaption(parent, DSL_moduleName()),
                             QStringLiteral("Could not open '%1' for reading: %2")
                                 .arg(file.fileName(), fileErrorText(file)));
    return kFailure;
}

int32_t TDocuSaveLoad::DSL_load(QWidget* parent, int)
{
    parent = effectiveParent(parent);
    const bool wasDirty = m_dirty;
    const int32_t discarded = DSL_discardCurrentDocument(parent, 0);
    if (discarded != 0)
        return discarded;

    QString selected;
    const QString path = DSL_prompter()->openFileName(
        parent, QStringLiteral("Choose a document to load"), QString(), DSL_prompt(), &selected);
    if (path.isEmpty()) {
        // The name stays as the save question left it.
        m_dirty = wasDirty;
        return kCancelled;
    }
    // The chosen file is read as it is named; its suffix (any case) gives the format.
    int index = DSL_extensionIndexOf(path);
    if (index < 0) {
        QString ignored = path;
        index = DSL_appendExt(ignored, selected);
    }

    QFile file(path);
    const int32_t ok = DSL_okToLoad(parent, index, file);
    if (ok < 0) {
        m_dirty = wasDirty;
        return ok;
    }
    {
        QDataStream test(&file);
        test.setVersion(kStreamVersion);
        const int32_t tested = DSL_loadTest(test, index);
        file.seek(0);
        if (tested != 0) {
            DSL_prompter()->critical(parent, messageCaption(parent, DSL_moduleName()),
                                     QStringLiteral("Different Kinds of Data!"));
            m_dirty = wasDirty;
            return kFailure;
        }
    }
    DSL_eraseCurrentDocument(index);
    if (QCoreApplication::instance())
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);

    QDataStream stream(&file);
    stream.setVersion(kStreamVersion);
    const int32_t result = DSL_loadViaStream(stream, index);
    file.close();
    if (result != 0) {
        m_named = false;
        m_dirty = true;
    } else if (index == 0) {
        DSL_updateDocumentStatus(path);
    } else {
        // An imported document has no file of the native format yet.
        m_named = false;
    }
    return result;
}

int32_t TDocuSaveLoad::DSL_save(QWidget* parent, int)
{
    parent = effectiveParent(parent);
    QString path = DSL_documentName();
    int index = 0;
    if (!m_named) {
        QString selected;
        path = DSL_prompter()->saveFileName(parent, QStringLiteral("Choose a filename to save under"),
                                            DSL_documentName(), DSL_prompt(), &selected);
        if (path.isEmpty())
            return kCancelled;
        index = DSL_extensionIndexOf(path);
        if (index < 0)
            index = DSL_appendExt(path, selected);
        if (QFileInfo::exists(path)) {
            // The old file stays until the new one is complete (QSaveFile).
            const auto answer = DSL_prompter()->question(
                parent, messageCaption(parent, QStringLiteral("Overwrite File?")),
                QStringLiteral("A file called %1 already exists. Do you want to overwrite it?").arg(path),
                false);
            if (answer != IDocuPrompter::Yes) {
                DSL_prompter()->critical(parent, messageCaption(parent, DSL_moduleName()),
                                         QStringLiteral("Document \"%1\" not saved.").arg(path));
                path.clear();
            }
        }
    } else {
        index = qMax(0, DSL_extensionIndexOf(path));
    }
    if (path.isEmpty())
        return kFailure;

    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        DSL_prompter()->critical(parent, messageCaption(parent, DSL_moduleName()),
                                 QStringLiteral("Could not open '%1' for writing: %2")
                                     .arg(path, fileErrorText(file)));
        return kFailure;
    }
    int32_t result;
    {
        QDataStream stream(&file);
        stream.setVersion(kStreamVersion);
        result = DSL_saveViaStream(stream, index);
        if (result == 0 && stream.status() != QDataStream::Ok)
            result = kFailure;
    }
    if (result == 0 && !NS_Platform::PlatformDurableFile::commit(file)) {
        DSL_prompter()->critical(parent, messageCaption(parent, DSL_moduleName()),
                                 QStringLiteral("Document \"%1\" not saved.").arg(path));
        result = kFailure;
    } else if (result != 0) {
        file.cancelWriting();
    }
    if (result != 0) {
        m_dirty = true;
        m_named = false;
    } else if (index == 0) {
        DSL_updateDocumentStatus(path);
    }
    return result;
}

bool TDocuSaveLoad::DSL_checkFileFormat(const float& version, const QVariant& value) const
{
    const QStringList fields = value.toString().split(QLatin1Char(';'), Qt::SkipEmptyParts);
    if (fields.size() < 4)
        return false;
    const float major = std::trunc(fields.at(1).toFloat());
    return major == std::trunc(version) && version >= major;
}

bool TDocuSaveLoad::DSL_checkFileFormat(const QString& kind, const QVariant& value) const
{
    const QStringList fields = value.toString().split(QLatin1Char(';'), Qt::SkipEmptyParts);
    return fields.size() >= 4 && fields.at(3) == kind;
}

} // namespace NS_Utilities
