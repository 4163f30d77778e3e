#pragma once
// Resource ids of the program.
#define IDC_TRANSPARENT 130
// The question asked when the hardware output cannot be built.
#define IDS_SOFTWARE_MODE 6009
// The start-up failures that keep the magnifier from running, told to the
// user before the program ends with its "cannot run here" code.
#define IDS_OUTPUT_UNAVAILABLE 6010
#define IDS_HOOK_LIBRARY_MISSING 6011
#define IDS_HOOK_LIBRARY_REFUSED 6012
