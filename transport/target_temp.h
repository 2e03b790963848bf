// The Target layer: the record that binds the broker to the driver-channel
// target, and the transport's print hooks.
#pragma once

struct TargetContext;

// The transport's diagnostics go through these and are not shown; they keep
// the reporting sites in place for a debug build of the hooks.
void UI_Printf(TargetContext* pTarget, const char* fmt, ...) __attribute__((format(printf, 2, 3)));
void UI_ErrPrintf(TargetContext* pTarget, const char* fmt, ...) __attribute__((format(printf, 2, 3)));
