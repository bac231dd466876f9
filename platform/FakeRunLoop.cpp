#include "platform/FakeRunLoop.h"

namespace NS_Platform {

FakeRunLoop::FakeRunLoop(bool installAsMain)
    : m_installed(installAsMain)
{
    if (installAsMain)
        RunLoop::setMain(this);
}

FakeRunLoop::~FakeRunLoop()
{
    if (m_installed && RunLoop::main() == this)
        RunLoop::setMain(nullptr);
}

int FakeRunLoop::tick(qint64 ms)
{
    m_now += ms;
    return fireDueTimers();
}

} // namespace NS_Platform
