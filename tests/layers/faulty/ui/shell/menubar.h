#pragma once
#include "ui/menu/menutab.h"
