#include "appserver/CApplication.h"
#include "appserver/CToolkitPump.h"
#include "platform/RunLoop.h"

#include <QWidget>

using NS_Platform::fourCharCode;

namespace {
// Closes open popups, the active one first; a popup that refuses ends the loop.
void closePopups()
{
    for (int guard = 0; guard < 64; ++guard) {
        QWidget* popup = QApplication::activePopupWidget();
        if (!popup)
            return;
        popup->close();
        if (QApplication::activePopupWidget() == popup)
            popup->hide();
        if (QApplication::activePopupWidget() == popup)
            return;
    }
}
} // namespace

CApplication::CApplication(int& argc, char** argv)
    : QApplication(argc, argv)
{
    NS_Platform::RunLoop* loop = NS_Platform::RunLoop::main();
    m_pump = std::make_unique<CToolkitPump>(loop);
    loop->setEventHook([](uint32_t cls, uint32_t kind) {
        return macEventFilter(cls, kind, [] { return kEventNotHandled; });
    });
}

CApplication::~CApplication()
{
    if (m_pump) {
        if (NS_Platform::RunLoop* loop = m_pump->loop())
            loop->setEventHook(nullptr);
        m_pump.reset();
    }
}

bool CApplication::macEventFilter(uint32_t eventClass, uint32_t kind,
                                  const std::function<int32_t()>& nextHandler)
{
    auto passOn = [&] { return !nextHandler || nextHandler() != kEventNotHandled; };
    if (eventClass == fourCharCode("cmds")) {
        if (kind == 1 && QApplication::activePopupWidget())
            return true;
        return passOn();
    }
    if (eventClass == fourCharCode("menu")) {
        closePopups();
        return passOn();
    }
    if (eventClass == fourCharCode("appl") || eventClass == fourCharCode("appr")
        || eventClass == fourCharCode("eppc") || eventClass == 1)
        return passOn();
    if (eventClass == fourCharCode("wind") && kind == 6) {
        closePopups();
        return false;
    }
    return false;
}
