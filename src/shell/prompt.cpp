#include "prompt.h"
