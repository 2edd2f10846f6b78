#pragma once
#include "../../core/bytes.h"
#include "ui/menu/menutab.h"
#include "ui/widgets/grid.h"
