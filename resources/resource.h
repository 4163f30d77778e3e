#pragma once
// Resource ids of the program.
#define IDC_TRANSPARENT 130
