#pragma once
#include "ui/app/document.h"
