// The companion's document, import and clipboard commands. The memory and the surface
// are read and written under the memory-API lock, as the pump thread reads and writes
// them; every box is shown with that lock let go.
#include "console/libfile/LibraryFile.h"
#include "console/memapi/MemApiLock.h"
#include "console/memapi/MemApiLogging.h"
#include "console/memapi/TovarIMemAPI.h"
#include "console/memapi/TovarIMemAPIQObject_VANTREL_KXE.h"
#include "console/model/PrmCtrl.h"
#include "console/model/SynthMemory.h"
#include "platform/PlatformFileCodes.h"
#include "utilities/DocuPrompter.h"
#include "utilities/interfaces/IClientServices.h"

#include <QApplication>
#include <QClipboard>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMimeData>
#include <QWidget>
#include <algorithm>
#include <cstring>
#include <memory>

using Companion = TovarIMemAPIQObject_VANTREL_KXE;
using NS_Utilities::IDocuPrompter;

namespace {

const char* const kClipboardFormat = "application/x-halvorsk-tovar-editor-2";

QString caption() { return QCoreApplication::translate("@default", "TOVAR-VANTREL Editor"); }

// Restored on every return path, also when a message box follows.
class WaitCursor
{
public:
    WaitCursor()
    {
        if (qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
            QGuiApplication::setOverrideCursor(Qt::WaitCursor);
            m_active = true;
        }
    }
    ~WaitCursor() { restore(); }
    void restore()
    {
        if (m_active)
            QGuiApplication::restoreOverrideCursor();
        m_active = false;
    }

private:
    bool m_active = false;
};

QClipboard* clipboard()
{
    return qobject_cast<QGuiApplication*>(QCoreApplication::instance()) ? QGuiApplication::clipboard() : nullptr;
}

// Import columns: the first voice each older format leaves unfilled, and the bank's capacity.
// The columns with a capacity are the import banks 0 to 5 in order; the third names none.
constexpr int kImportColumns = 7;
constexpr int kFirstToFill[3][kImportColumns] = {
    {128, 0, 0, 16, 64, 64, 64},
    {128, 0, 0, 16, 64, 64, 64},
    {128, 128, 0, 32, 64, 64, 0},
};
constexpr int kCapacity[kImportColumns] = {128, 128, 0, 32, 64, 64, 64};
constexpr int kColumnBank[kImportColumns] = {0, 1, -1, 2, 3, 4, 5};

// Voice files the import accepts: every format code the library file knows for them,
// the current one (4) included, so that each file the import dialog offers opens.
bool importableCode(int code) { return code >= 0 && code <= 4; }

} // namespace

// ---- prompts

void Companion::promptSaveChanges(int action)
{
    if (!isDocDirty())
        return;
    static const QString title = QCoreApplication::translate("@default", "Save Quillon Information");
    static const QString text = QCoreApplication::translate("@default", "Save the modified Multi-Part data?");
    NS_Utilities::TDocuPrompter fallback;
    IDocuPrompter* prompter = DSL_prompter() ? DSL_prompter() : &fallback;
    switch (prompter->warningWithCancel(topLevelWidget(), title, text)) {
    case IDocuPrompter::Yes:
        if (IClientServices* services = m_api ? m_api->MAPI_cs() : nullptr) {
            m_pendingAction = action;
            QWidget* widget = nullptr;
            services->CS_openEditor(Guid2QUuid(DialogsModule::guid), 15, &widget, nullptr, true);
        }
        break;
    case IDocuPrompter::No:
        setDocDirty(false);
        break;
    case IDocuPrompter::Cancel:
        break;
    }
}

// ---- document commands

void Companion::fileNew()
{
    promptSaveChanges(1);
    if (isDocDirty())
        return;
    {
        WaitCursor busy;
        if (m_api)
            m_api->resetSettings();
        NotifyAll();
    }
    setDocDirty(false);
    emit newDoc();
    m_documentFileName.clear();
    setCurrentFileName(QString());
}

void Companion::fileOpen(const QString& name, const bool import)
{
    CSynthMemory* model = memory();
    if (!model)
        return;
    m_pendingFileName = name;
    m_pendingImport = import;
    // The prompt's No clears the mark before the load: a load that fails gives it back,
    // or the edits still on screen would go at the next New without a question.
    const bool wasModified = isDocDirty();
    promptSaveChanges(2);
    if (isDocDirty())
        return;
    m_pendingAction = 0;
    // A voice file goes into the user banks, which the document carries: the document
    // keeps its name and is modified.
    const QString suffix = QFileInfo(name).suffix().toLower();
    if (import && suffix.startsWith(QLatin1Char('w'))) {
        if (!importVoiceFile(name)) {
            if (wasModified)
                setDocDirty(true);
            return;
        }
        NotifyAll();
        // Only the folder follows, also for older voice files whose suffix the name
        // rule does not know.
        QDir::setCurrent(QFileInfo(name).absolutePath());
        m_voiceLibraryModified = true;
        setDocDirty(true);
        return;
    }
    WaitCursor busy;
    bool loaded = false;
    {
        MemApiLock lock(m_api);
        loaded = model->loadFile(name);
    }
    if (!loaded) {
        busy.restore();
        if (wasModified)
            setDocDirty(true);
        NS_Utilities::TDocuPrompter fallback;
        IDocuPrompter* prompter = DSL_prompter() ? DSL_prompter() : &fallback;
        prompter->information(topLevelWidget(), caption(), QCoreApplication::translate("@default", "Error opening file"));
        return;
    }
    NotifyAll();
    m_documentFileName = QFileInfo(name).absoluteFilePath();
    setCurrentFileName(name);
    if (import)
        setDocDirty(true);
}

void Companion::fileSave(const QString& name)
{
    CSynthMemory* model = memory();
    {
        WaitCursor busy;
        bool saved = false;
        if (model) {
            MemApiLock lock(m_api);
            saved = model->saveFile(name);
        }
        if (!saved) {
            busy.restore();
            NS_Utilities::TDocuPrompter fallback;
            IDocuPrompter* prompter = DSL_prompter() ? DSL_prompter() : &fallback;
            prompter->information(topLevelWidget(), caption(), QCoreApplication::translate("@default", "Error saving file"));
        } else {
            NS_Platform::PlatformFileCodes::setTypeAndCreator(name, NS_Platform::PlatformFileCodes::code("M3E_"),
                                                               NS_Platform::PlatformFileCodes::code("!QH4"));
            setDocDirty(false);
            emit voiceLibrarySaved();
            m_documentFileName = QFileInfo(name).absoluteFilePath();
            setCurrentFileName(name);
        }
    }
    const int action = m_pendingAction;
    m_pendingAction = 0;
    if (action == 1)
        fileNew();
    else if (action == 2)
        fileOpen(m_pendingFileName, m_pendingImport);
}

void Companion::fileSaveCancelled()
{
    m_pendingAction = 0;
    m_pendingFileName.clear();
    m_pendingImport = false;
}

// ---- import files

void* Companion::loadImportFile(QString path)
{
    NS_Utilities::TDocuPrompter fallback;
    IDocuPrompter* prompter = DSL_prompter() ? DSL_prompter() : &fallback;
    const QString failure = QCoreApplication::translate("@default", "Error opening file");
    const int code = CLibraryFile::GetFormatCode(path);
    if (!importableCode(code)) {
        prompter->information(topLevelWidget(), caption(), failure);
        return nullptr;
    }
    CSynthMemory* model = memory();
    if (!model)
        return nullptr;
    CLibraryFile* library = nullptr;
    {
        WaitCursor busy;
        MemApiLock lock(m_api);
        library = model->GetVoiceImportLibrary(path);
    }
    if (!library) {
        prompter->information(topLevelWidget(), caption(), failure);
        return nullptr;
    }
    if (code > 2)
        return library;
    MemApiLock lock(m_api);
    const int items = int(library->voiceDataInfo().items.size());
    for (int column = 0; column < kImportColumns; ++column) {
        const int bank = kColumnBank[column];
        if (bank < 0 || kCapacity[column] == 0 || bank >= items)
            continue;
        // A voice the file itself holds is never replaced: a converted older file can
        // fill more of a bank than its extension suggests (a .w6e holds both plug-in
        // banks), and a current image under an older name holds every voice.
        const int first = std::max(kFirstToFill[code][column], library->GetHeldVoiceCount(bank));
        const int last = std::min(kCapacity[column], library->GetDirectorySize(bank));
        if (first >= last)
            continue;
        const int category = library->directoryInfo().items.size() > bank
                                 ? library->directoryInfo().items.at(bank).bank
                                 : bank;
        unsigned long size = 0;
        const unsigned char* init = model->GetInitVoiceData(category, size);
        const int voiceSize = library->voiceDataInfo().items.at(bank).voiceSize;
        if (!init || size == 0 || voiceSize <= 0)
            continue;
        QByteArray entry(library->directoryInfo().directorySize, ' ');
        entry.replace(0, std::min<int>(10, int(entry.size())), QByteArray("Init Voice").left(entry.size()));
        for (int v = first; v < last; ++v) {
            int element = 0;
            unsigned char* at = library->GetVoiceAddress(bank, v, &element);
            if (!at)
                continue;
            std::memcpy(at, init, size_t(std::min<long>(long(size), voiceSize)));
            if (!entry.isEmpty())
                library->SetVoiceDirectory(bank, v, reinterpret_cast<const unsigned char*>(entry.constData()));
        }
    }
    return library;
}

bool Companion::importVoiceFile(const QString& path)
{
    std::unique_ptr<CLibraryFile> library(static_cast<CLibraryFile*>(loadImportFile(path)));
    CSynthMemory* model = memory();
    if (!library || !model)
        return false;
    MemApiLock lock(m_api);
    if (!model->VoiceMap())
        return false;
    CPrmCtrl* previous = library->AttachPrmCtrl(model->VoiceMap());
    const bool ok = library->CopyAllBankToLibrary();
    library->AttachPrmCtrl(previous);
    if (!ok)
        qCWarning(lcMemApi) << "voice file" << path << "imported only in part";
    return true;
}

// ---- clipboard

bool Companion::copyToClipboard(short bank, short first, short last, void* handle)
{
    CSynthMemory* model = memory();
    if (!model || bank < 0 || first < 0 || last < 0)
        return false;
    struct Saved
    {
        short voice;
        QByteArray bytes;
    };
    QClipboard* board = clipboard();
    QByteArray payload;
    bool built = false;
    {
        // The import voices stand in the editor's places only inside this lock;
        // observers are not told, so nobody shows the borrowed data.
        MemApiLock lock(m_api);
        CPrmCtrl* map = model->VoiceMap();
        if (!map)
            return false;
        std::vector<Saved> saved;
        if (handle) {
            for (short v = first; v <= last; ++v) {
                int size = 0;
                const unsigned char* bytes = map->GetVoiceMem(bank, v, &size);
                if (!bytes || size <= 0)
                    continue;
                saved.push_back({v, QByteArray(reinterpret_cast<const char*>(bytes), size)});
                copyToMainVoices(handle, bank, v, bank, v, false);
            }
        }
        built = board && first <= last && model->GetDataForClipboard(bank, first, last, payload);
        for (const Saved& s : saved) {
            int size = 0;
            unsigned char* bytes = map->GetVoiceMem(bank, s.voice, &size);
            if (bytes && size == s.bytes.size())
                std::memcpy(bytes, s.bytes.constData(), size_t(size));
        }
    }
    if (built) {
        auto* data = new QMimeData;
        data->setData(QLatin1String(kClipboardFormat), payload);
        board->setMimeData(data, QClipboard::Clipboard);
    }
    return true;
}

bool Companion::canPasteFromClipboard(short bank, short)
{
    if (!isBankEditable(bank))
        return false;
    QClipboard* board = clipboard();
    const QMimeData* data = board ? board->mimeData(QClipboard::Clipboard) : nullptr;
    if (!data || !data->hasFormat(QLatin1String(kClipboardFormat)))
        return false;
    const QByteArray bytes = data->data(QLatin1String(kClipboardFormat));
    return bytes.size() > 1 && bankType(short(uchar(bytes.at(1)))) == bankType(bank);
}

bool Companion::pasteFromClipboard(short bank, short voice)
{
    CSynthMemory* model = memory();
    QClipboard* board = clipboard();
    if (!board || !model || voice < 0 || !isBankEditable(bank))
        return false;
    const QMimeData* data = board->mimeData(QClipboard::Clipboard);
    if (!data || !data->hasFormat(QLatin1String(kClipboardFormat)))
        return false;
    const QByteArray bytes = data->data(QLatin1String(kClipboardFormat));
    // A payload of another bank type would be cut into voices of the wrong layout.
    if (bytes.size() < 2 || bankType(short(uchar(bytes.at(1)))) != bankType(bank))
        return false;
    MemApiLock lock(m_api);
    return model->SetDataFromClipboard(bank, voice, bytes);
}
