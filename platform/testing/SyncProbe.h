#pragma once
// Sees every fsync() the test process makes (the test program defines fsync, so the
// libraries' calls reach it first), so a test can tell whether a save synced the
// folder it renamed into. Any thread.
#include <QString>

namespace NS_Testing {

// Forgets the syncs seen so far.
void forgetSyncs();
// How many times the folder (or file) at `path` was synced since forgetSyncs().
int syncsOf(const QString& path);

} // namespace NS_Testing
