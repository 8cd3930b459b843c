#include "SetupFile.h"
