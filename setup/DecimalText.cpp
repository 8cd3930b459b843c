#include "DecimalText.h"
