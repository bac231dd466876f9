#pragma once
// The document commands of the File menu (New, Open, Import Voice, Save, Save As): a
// short-lived object without a window. It asks for a file name where it needs one,
// then hands the request to the memory API's companion by emitting its own signal,
// connected to the companion's slot of the same name for that one emission only. The
// companion does the document work and reports its errors. GUI thread.
#include "DialogsAddOnLink.h"
#include "genericeditor/interfaces/GenericEditorPluginInterface.h"
#include <QObject>
#include <QString>

namespace NS_FileCommands {
extern const char* const filter_import_voice;
extern const char* const filter_open;
extern const char* const filter_save;
extern const char* const file_extension;
} // namespace NS_FileCommands

class FileIEditorExtensions : public QObject, public IEditorExtensions
{
    Q_OBJECT
public:
    enum SaveType { Open = 0, Import = 1, Save = 2, SaveAs = 3, New = 4 };

    FileIEditorExtensions(SaveType type, const TDialogsAddOnLink& addOn, QWidget* parent);

    int32_t ppd_save(QVariant* out) override;
    int32_t ppd_load(const QVariant* in) override;
    int32_t EX_postInitialize(IMemAPI* api) override;
    int32_t EX_module(IGenericEditorPluginInterface** out) override;
    IMemAPI* memapi() const { return m_api; }
    SaveType type() const { return m_type; }

    // The name chosen for Save As: ".m3e" appended when the name has no extension;
    // the null string when cancelled or when the base name is empty.
    QString getSaveFileName();

signals:
    void fileNew();
    void fileOpen(const QString& name, const bool import);
    void fileSave(const QString& name);
    // Save or Save As ended without handing a name over.
    void fileSaveCancelled();

public slots:
    // Runs the command once (nothing without a memory API) and schedules the object's
    // deletion.
    int32_t EX_execute() override;

private:
    void open(bool import);
    // Saves under the name; with the prompt, asks before overwriting an existing file.
    // Without a name, or refused, it tells the companion that the save ended unwritten.
    void saveUnder(const QString& name, bool prompt);
    QWidget* parentWidget() const;

    IMemAPI* m_api = nullptr;
    TDialogsAddOnLink m_addOn;
    SaveType m_type;
};
