#pragma once
// Document frame: the standard document commands (ask to save changes, open, save,
// save as) with their dialogs and messages, a modified flag and an untitled name.
// The document object derives from it and supplies the stream operations. GUI thread.
// Statuses: 0 success, 0x80000007 cancelled by the user, 0x80000008 failure.
#include "vantrel_kxe21_utilities_export.h"
#include <QString>
#include <QStringList>
#include <QVariant>
#include <cstdint>

class QDataStream;
class QFile;
class QWidget;

namespace NS_Utilities {

class IDocuPrompter;

class VANTREL_UTILITIES_EXPORT TDocuSaveLoad
{
public:
    static constexpr int32_t kCancelled = int32_t(0x80000007);
    static constexpr int32_t kFailure = int32_t(0x80000008);

    TDocuSaveLoad();
    virtual ~TDocuSaveLoad();

    virtual QString DSL_moduleName() = 0;
    virtual int32_t DSL_newSession() = 0;
    virtual int32_t DSL_save(QWidget* parent, int index);
    virtual int32_t DSL_okToLoad(QWidget* parent, int index, QFile& file);
    virtual int32_t DSL_load(QWidget* parent, int index);
    virtual int32_t DSL_saveAs(QWidget* parent, int index);
    virtual bool DSL_documentDirty();
    virtual bool DSL_documentSaved();
    virtual int32_t DSL_saveViaStream(QDataStream& stream, int index) = 0;
    virtual int32_t DSL_loadViaStream(QDataStream& stream, int index) = 0;
    virtual int32_t DSL_loadTest(QDataStream& stream, int index);
    virtual int32_t DSL_eraseCurrentDocument(int index) = 0;
    virtual int32_t DSL_updateDocumentStatus(const QString& file) = 0;
    virtual QString DSL_hostAppName() = 0;
    virtual QString DSL_documentKind();

    // The first pair registered is the native format (index 0).
    void DSL_registerExtension(const QString& ext, const QString& description);
    QString DSL_defaultExt() const;
    void DSL_replaceExtension(int index, const QString& ext);
    // description + "( *" + extension + ")" per pair, joined by ";;".
    QString DSL_prompt() const;
    // Strips the path's extension and appends the first one the filter names
    // (ignoring case); extension 0 when none. Returns its index.
    int DSL_appendExt(QString& path, const QString& filter) const;
    // The index of the extension the path ends with (ignoring case), or -1.
    int DSL_extensionIndexOf(const QString& path) const;
    // "Untitled %1" with the next counter value when no name is set.
    QString DSL_documentName();
    int32_t DSL_discardCurrentDocument(QWidget* parent, int index = 0);
    bool DSL_checkFileFormat(const float& version, const QVariant& value) const;
    bool DSL_checkFileFormat(const QString& kind, const QVariant& value) const;

    // Not owned; null restores the toolkit's dialogs.
    void DSL_setPrompter(IDocuPrompter* prompter);
    IDocuPrompter* DSL_prompter() const;

    // Read and written directly by other libraries as well.
    bool m_dirty = false;
    bool m_named = false;
    QString m_documentName;
    QString m_reserved1;
    QString m_reserved2;
    QStringList m_extensions;
    QStringList m_descriptions;
    int32_t m_untitledCounter = 1;

protected:
    QString messageCaption(QWidget* parent, const QString& given);
    QWidget* effectiveParent(QWidget* parent);

private:
    IDocuPrompter* m_prompter = nullptr;
};

} // namespace NS_Utilities
