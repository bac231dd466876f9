#include "PlatformModifiers.h"
#include <QGuiApplication>
#include <atomic>

namespace NS_Platform {

namespace {
// Bit 32 marks a forced state.
constexpr uint64_t kForced = uint64_t(1) << 32;
std::atomic<uint64_t> g_forced{0};
} // namespace

uint32_t PlatformModifiers::current()
{
    const uint64_t forced = g_forced.load();
    if (forced & kForced)
        return uint32_t(forced);
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return 0;
    const Qt::KeyboardModifiers mods = QGuiApplication::queryKeyboardModifiers();
    uint32_t bits = 0;
    if (mods & Qt::ShiftModifier)
        bits |= Shift;
    if (mods & Qt::ControlModifier)
        bits |= Control;
    if (mods & Qt::AltModifier)
        bits |= Option;
    if (mods & Qt::MetaModifier)
        bits |= Command;
    return bits;
}

void PlatformModifiers::setForced(uint32_t bits)
{
    g_forced.store(kForced | bits);
}

void PlatformModifiers::clearForced()
{
    g_forced.store(0);
}

} // namespace NS_Platform
