#include "FileError.h"
