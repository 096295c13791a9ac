#include "drawcsv.h"
