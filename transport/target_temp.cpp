#include "target_temp.h"

void UI_Printf(TargetContext*, const char*, ...) {}

void UI_ErrPrintf(TargetContext*, const char*, ...) {}
