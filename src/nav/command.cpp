#include "nav/command.h"
