#include "MidiService.h"
#include "VirtualMidiBus.h"
#ifdef VANTREL_HAVE_ALSA
#include "AlsaMidiBackend.h"
#endif
#include <QByteArray>
#include <QLoggingCategory>
#include <mutex>
#include <time.h>

Q_LOGGING_CATEGORY(lcPlatformMidi, "tovar.platform.midi")

namespace NS_Platform {

MidiService::~MidiService() = default;

uint64_t MidiService::hostTime()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return uint64_t(ts.tv_sec) * 1000000000u + uint64_t(ts.tv_nsec);
}

bool MidiService::alsaAvailable()
{
#ifdef VANTREL_HAVE_ALSA
    return AlsaMidiBackend::available();
#else
    return false;
#endif
}

std::unique_ptr<MidiService> MidiService::create(const QString& backend)
{
    if (backend == QLatin1String("virtual"))
        return std::make_unique<VirtualMidiBus>();
#ifdef VANTREL_HAVE_ALSA
    if (backend == QLatin1String("alsa")) {
        auto alsa = std::make_unique<AlsaMidiBackend>();
        if (alsa->isOpen())
            return alsa;
    }
#endif
    return nullptr;
}

MidiService& MidiService::system()
{
    // Kept to the end of the process on purpose: ports may be closed from static
    // destructors of other libraries, after this one's statics would be gone.
    static MidiService* service = nullptr;
    static std::once_flag once;
    std::call_once(once, [] {
        const QByteArray wanted = qgetenv("VANTREL_MIDI_BACKEND");
        std::unique_ptr<MidiService> made;
        if (wanted.isEmpty()) {
            made = create(QStringLiteral("alsa"));
        } else {
            made = create(QString::fromLatin1(wanted));
            if (!made)
                qCWarning(lcPlatformMidi) << "MIDI backend" << wanted
                                          << "is not available; using the virtual bus";
        }
        if (!made)
            made = create(QStringLiteral("virtual"));
        service = made.release();
    });
    return *service;
}

} // namespace NS_Platform
