#include "persist/MaxMin.h"
