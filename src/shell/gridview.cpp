#include "gridview.h"
