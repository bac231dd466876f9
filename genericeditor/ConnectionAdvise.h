#pragma once
// Advising the host's connection point of a sink. Any thread.
#include "genericeditor/interfaces/HostInterfaces.h"

namespace NS_Connection {
// Finds the host's connection point for `iid` and advises `sink`; true when Advise
// succeeded and gave a non-zero cookie. With `keepReference` the point's reference on
// the sink stays (the point drops it in Unadvise).
bool ConnectionAdvise(IUnknown* host, const Y_GUID& iid, IUnknown* sink, bool keepReference,
                      uint32_t* cookie);
bool ConnectionUnadvise(IUnknown* host, const Y_GUID& iid, IUnknown* sink, bool keepReference,
                        uint32_t cookie);
} // namespace NS_Connection
