#pragma once
// Remembers which plug-in board native-parameter dialogs are open, one slot per
// board kind, so that opening one can close the others. GUI thread only.
#include "vantrel_kxe21_console_export.h"
#include <QString>
#include <array>

class IClientServices;
class QWidget;

class VANTREL_CONSOLE_EXPORT NativeParamsHelper
{
public:
    static constexpr int kSlotCount = 8;
    static constexpr int kBoardCount = 7;

    NativeParamsHelper();

    // The board's slot (0 to 6) from its model name; -1 for "----------" and any other name.
    static int lookupIndex(const QString& board);
    // The model name of a board kind, or an empty string outside 0 to 6.
    static QString boardName(int index);

    void setCurrentNativeParamsEditor(const QString& board, QWidget* dialog);
    void editorClosing(const QString& board);
    bool anyPluginNativeParamsDialogsOpen() const;
    // Closes the lowest open dialog that is not the named board's (any dialog when
    // `all`), at most one per call; returns the named board's dialog when it is met
    // first, else null.
    QWidget* closeAllButOneNativeParamsDialog(const QString& board, bool all, IClientServices* services);
    QWidget* dialog(int slot) const;

private:
    std::array<QWidget*, kSlotCount> m_dialogs{};
};
