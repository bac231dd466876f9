#include "console/memapi/NativeParamsHelper.h"
#include "utilities/interfaces/IClientServices.h"

namespace {
// The board models in the order of their native-parameter sections (AN, AP, DR, DX, PC, PF, VL).
const char* const kBoardNames[NativeParamsHelper::kBoardCount] = {
    "VTB-Corvan", "VTB-Pellor", "VTB-Tambra", "VTB-Sintra", "VTB-Percel", "VTB-Ivoren", "VTB-Flauro",
};
} // namespace

NativeParamsHelper::NativeParamsHelper() = default;

int NativeParamsHelper::lookupIndex(const QString& board)
{
    for (int i = 0; i < kBoardCount; ++i)
        if (board == QLatin1String(kBoardNames[i]))
            return i;
    return -1;
}

QString NativeParamsHelper::boardName(int index)
{
    if (index < 0 || index >= kBoardCount)
        return QString();
    return QString::fromLatin1(kBoardNames[index]);
}

void NativeParamsHelper::setCurrentNativeParamsEditor(const QString& board, QWidget* dialog)
{
    const int slot = lookupIndex(board);
    if (slot >= 0)
        m_dialogs[size_t(slot)] = dialog;
}

void NativeParamsHelper::editorClosing(const QString& board)
{
    const int slot = lookupIndex(board);
    if (slot >= 0)
        m_dialogs[size_t(slot)] = nullptr;
}

bool NativeParamsHelper::anyPluginNativeParamsDialogsOpen() const
{
    for (QWidget* dialog : m_dialogs)
        if (dialog)
            return true;
    return false;
}

QWidget* NativeParamsHelper::closeAllButOneNativeParamsDialog(const QString& board, bool all,
                                                              IClientServices* services)
{
    const int keep = lookupIndex(board);
    QWidget* kept = nullptr;
    for (int slot = 0; slot < kSlotCount; ++slot) {
        QWidget* dialog = m_dialogs[size_t(slot)];
        if (!dialog)
            continue;
        if (slot != keep || all) {
            if (services)
                services->CS_closeEditor(dialog);
            m_dialogs[size_t(slot)] = nullptr;
            break;
        }
        kept = dialog;
    }
    return kept;
}

QWidget* NativeParamsHelper::dialog(int slot) const
{
    return slot >= 0 && slot < kSlotCount ? m_dialogs[size_t(slot)] : nullptr;
}
