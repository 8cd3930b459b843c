#include "KeyValueFile.h"
