#include "drawstore.h"
