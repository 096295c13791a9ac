#include "analysiswindow.h"
