#pragma once
// Trace output of reference counts: compiled away, arguments discarded.
template <typename... Args> inline void COMPRINTF(const char*, Args&&...) {}
