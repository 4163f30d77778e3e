#pragma once
// Resource ids of the program.
#define IDC_TRANSPARENT 130
// The question asked when the hardware output cannot be built.
#define IDS_SOFTWARE_MODE 6009
