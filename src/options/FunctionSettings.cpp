#include "options/FunctionSettings.h"
