#pragma once
#include "workspace.h"
