#include "ui/tabpage.h"
