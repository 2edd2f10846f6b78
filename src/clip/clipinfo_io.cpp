#include "navdb/extdata.h"
