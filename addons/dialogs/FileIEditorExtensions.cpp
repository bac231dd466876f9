#include "FileIEditorExtensions.h"
#include "CTovarDialog.h"
#include "console/memapi/ITovarVoiceData.h"
#include "memapi/IMemAPI.h"
#include "utilities/DocuPrompter.h"
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QWidget>

namespace NS_FileCommands {
const char* const filter_import_voice = "TOVAR-VANTREL Brisvane files (*.w9e)";
const char* const filter_open =
    "TOVAR-VANTREL Quillon files (*.m3e);;TOVAR QX6/7/8 & LN6/LN8 Quillon files (*.m2e *.m4e)";
const char* const filter_save = "TOVAR-VANTREL Quillon files (*.m3e)";
const char* const file_extension = ".m3e";
} // namespace NS_FileCommands

using namespace NS_FileCommands;

namespace {

// Connects the signal to the companion's slot of the same signature for one emission.
class OneHandOver
{
public:
    OneHandOver(IMemAPI* api, QObject* sender, const char* slot, const char* signal)
        : m_api(api), m_sender(sender), m_slot(slot), m_signal(signal)
    {
        m_api->MAPI_slotSignal(m_slot, m_sender, m_signal, true);
    }
    ~OneHandOver() { m_api->MAPI_slotSignal(m_slot, m_sender, m_signal, false); }
    OneHandOver(const OneHandOver&) = delete;
    OneHandOver& operator=(const OneHandOver&) = delete;

private:
    IMemAPI* m_api;
    QObject* m_sender;
    const char* m_slot;
    const char* m_signal;
};

ITovarVoiceData* voiceData(IMemAPI* api)
{
    return api ? dynamic_cast<ITovarVoiceData*>(api->MAPI_qself()) : nullptr;
}

// Whether the current name is the file the document was read from or last written
// to. A document of an older format is named for the current one, and a file of that
// name beside it may be another document.
bool isDocumentFile(const QString& current, const QString& document)
{
    return !document.isEmpty() && QFileInfo(current).absoluteFilePath() == QFileInfo(document).absoluteFilePath();
}

} // namespace

FileIEditorExtensions::FileIEditorExtensions(SaveType type, const TDialogsAddOnLink& addOn, QWidget* parent)
    : QObject(parent), m_addOn(addOn), m_type(type)
{
}

int32_t FileIEditorExtensions::ppd_save(QVariant*)
{
    return NS_MPStatus::ok;
}

int32_t FileIEditorExtensions::ppd_load(const QVariant*)
{
    return NS_MPStatus::ok;
}

int32_t FileIEditorExtensions::EX_postInitialize(IMemAPI* api)
{
    m_api = api;
    return NS_MPStatus::ok;
}

int32_t FileIEditorExtensions::EX_module(IGenericEditorPluginInterface** out)
{
    if (!out)
        return NS_MPStatus::failure;
    *out = m_addOn.addOn();
    return *out ? NS_MPStatus::ok : NS_MPStatus::failure;
}

QWidget* FileIEditorExtensions::parentWidget() const
{
    return qobject_cast<QWidget*>(parent());
}

int32_t FileIEditorExtensions::EX_execute()
{
    if (m_api) {
        switch (m_type) {
        case New: {
            OneHandOver handOver(m_api, this, SLOT(fileNew()), SIGNAL(fileNew()));
            emit fileNew();
            break;
        }
        case Open:
            open(false);
            break;
        case Import:
            open(true);
            break;
        case Save:
            if (ITovarVoiceData* data = voiceData(m_api)) {
                const QString current = data->getCurrentFileName();
                if (current.isEmpty())
                    saveUnder(getSaveFileName(), true);
                else
                    saveUnder(current, !isDocumentFile(current, data->getDocumentFileName()));
            }
            break;
        case SaveAs:
            if (voiceData(m_api))
                saveUnder(getSaveFileName(), true);
            break;
        }
    }
    deleteLater();
    return NS_MPStatus::ok;
}

void FileIEditorExtensions::open(bool import)
{
    const QString caption = QCoreApplication::translate("@default", "Choose a File to Open");
    // In the process's current folder, as the save dialog without a document name.
    const QString name = NS_DialogsFrame::prompterOf(m_api)->openFileName(
        nullptr, caption, QDir::currentPath(), QLatin1String(import ? filter_import_voice : filter_open), nullptr);
    if (name.isEmpty())
        return;
    OneHandOver handOver(m_api, this, SLOT(fileOpen(const QString&, const bool)),
                         SIGNAL(fileOpen(const QString&, const bool)));
    emit fileOpen(name, import);
}

QString FileIEditorExtensions::getSaveFileName()
{
    ITovarVoiceData* data = voiceData(m_api);
    if (!data)
        return QString();
    const QString current = data->getCurrentFileName();
    const QString start = current.isEmpty() ? QDir::currentPath() : current;
    QString name = NS_DialogsFrame::prompterOf(m_api)->saveFileName(
        nullptr, QCoreApplication::translate("@default", "Choose a filename to save under"), start,
        QLatin1String(filter_save), nullptr);
    const QFileInfo chosen(name);
    // Cancelled, or a name such as ".m3e" that has no base name.
    if (name.isEmpty() || chosen.baseName().isEmpty())
        return QString();
    if (chosen.completeSuffix().isEmpty())
        name += QLatin1String(file_extension);
    return name;
}

void FileIEditorExtensions::saveUnder(const QString& name, bool prompt)
{
    bool refused = name.isEmpty();
    if (!refused && prompt && QFileInfo::exists(name)) {
        const QString text = QCoreApplication::translate("@default", "Overwrite \n'%1'?").arg(name);
        const auto answer = NS_DialogsFrame::prompterOf(m_api)->warning(
            parentWidget(), QCoreApplication::translate("@default", "TOVAR-VANTREL Editor"), text);
        refused = answer != NS_Utilities::IDocuPrompter::Yes;
    }
    if (refused) {
        // A New or Open that waits for this save goes with it.
        OneHandOver handOver(m_api, this, SLOT(fileSaveCancelled()), SIGNAL(fileSaveCancelled()));
        emit fileSaveCancelled();
        return;
    }
    OneHandOver handOver(m_api, this, SLOT(fileSave(const QString&)), SIGNAL(fileSave(const QString&)));
    emit fileSave(name);
}
