#include "persist/ExConst.h"
