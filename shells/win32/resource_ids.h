// Resource numbers shared by the .rc file and the code that loads the resources.
#pragma once

#define IDI_VISTREL_MAGNIFIER 1
#define IDC_VISTREL_HAND 2
