#pragma once
#include "ui/bdmv/bdmvtab.h"
