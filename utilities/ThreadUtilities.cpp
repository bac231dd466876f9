#include "ThreadUtilities.h"
#include <QCoreApplication>
#include <QThread>

namespace NS_Utilities {

bool aborted(int32_t code)
{
    return code == 1223 || code == int32_t(0x80000007);
}

bool mainThreadRunning()
{
    const QCoreApplication* app = QCoreApplication::instance();
    return app && QThread::currentThread() == app->thread();
}

void milisecondDelay(int32_t ms)
{
    if (ms > 0)
        QThread::msleep(static_cast<unsigned long>(ms));
}

} // namespace NS_Utilities
