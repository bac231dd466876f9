#pragma once
// A run loop whose clock only moves when a test says so.
#include "platform/RunLoop.h"

namespace NS_Platform {

class VANTREL_PLATFORM_EXPORT FakeRunLoop : public RunLoop
{
public:
    // Installs itself as the main loop for its lifetime.
    explicit FakeRunLoop(bool installAsMain = true);
    ~FakeRunLoop() override;

    qint64 nowMs() const override { return m_now; }
    // Advances the clock by ms (default one timer period) and fires what is due.
    // Re-entrant: a callback may tick again (a nested host loop).
    int tick(qint64 ms = 1);

private:
    qint64 m_now = 0;
    bool m_installed = false;
};

} // namespace NS_Platform
