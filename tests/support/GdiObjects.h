#pragma once
// The number of live GDI objects of this process, for leak checks (-1 when
// it cannot be read).
// GetGuiResources is a stub under Wine, so this counts the used entries of the
// process's GDI handle table, which Wine keeps where old Windows did: its
// address is in the process environment block.
int LiveGdiObjects();
