#pragma once
// Opens documents and URLs with the desktop's handler. Tests install a hook that
// records the request instead. Any thread may ask; the desktop open runs on the caller's.
#include "vantrel_platform_export.h"
#include <QUrl>
#include <cstdint>
#include <functional>

namespace NS_Platform {

class VANTREL_PLATFORM_EXPORT PlatformLaunchService
{
public:
    enum : int32_t {
        NoError = 0,
        BadParameter = -50,
        FileNotFound = -43,
        LaunchFailed = -10810,
    };

    using Hook = std::function<int32_t(const QUrl& url)>;

    // 0 when opened; BadParameter for an empty or invalid URL, FileNotFound for a
    // local file that does not exist, LaunchFailed when no handler took it.
    static int32_t open(const QUrl& url);
    // Replaces the desktop open; an empty hook restores it.
    static void setHook(Hook hook);
};

} // namespace NS_Platform
