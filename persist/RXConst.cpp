#include "persist/RXConst.h"
