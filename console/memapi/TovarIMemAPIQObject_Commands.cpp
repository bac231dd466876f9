// The companion's command set-up and its native-parameter dialog registry.
#include "console/memapi/NativeParamsHelper.h"
#include "console/memapi/RecallLogic.h"
#include "console/memapi/TovarIMemAPIQObject_VANTREL_KXE.h"

#include <atomic>

using Companion = TovarIMemAPIQObject_VANTREL_KXE;

namespace {
std::atomic<double>& commandScale()
{
    static std::atomic<double> scale{1.0};
    return scale;
}
} // namespace

void Companion::setCommandTimeScale(double scale)
{
    commandScale() = scale > 0 ? scale : 1.0;
    RecallLogic::setTimeScale(scale);
}

int Companion::scaledMs(int ms)
{
    if (ms <= 0)
        return ms;
    return std::max(1, int(ms * commandScale().load()));
}

void Companion::initCommands()
{
    if (!m_nativeParams)
        m_nativeParams = new NativeParamsHelper;
}

void Companion::releaseCommands()
{
    m_normalNames.reset();
    m_drumNames.reset();
    m_pluginNames.reset();
    delete m_nativeParams;
    m_nativeParams = nullptr;
}

void Companion::NP_editorClosing(const QString& board)
{
    if (m_nativeParams)
        m_nativeParams->editorClosing(board);
}

void Companion::NP_setCurrentNativeParamsEditor(const QString& board, QWidget* dialog)
{
    if (m_nativeParams)
        m_nativeParams->setCurrentNativeParamsEditor(board, dialog);
}

bool Companion::NP_anyPluginNativeParamsDialogsOpen()
{
    return m_nativeParams && m_nativeParams->anyPluginNativeParamsDialogsOpen();
}

intptr_t Companion::NP_closeAllButOneNativeParamsDialog(const QString& board, bool all, IClientServices* services)
{
    if (!m_nativeParams)
        return 0;
    return reinterpret_cast<intptr_t>(m_nativeParams->closeAllButOneNativeParamsDialog(board, all, services));
}
