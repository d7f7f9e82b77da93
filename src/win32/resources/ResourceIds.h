// Resource numbers shared by the Windows programs' resource scripts and
// their code (a C header: the resource compiler reads it too).
#pragma once

// The program's icon, as the window class and the Explorer find it.
#define IDI_VELA 101
