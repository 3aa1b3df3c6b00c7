// Keeps the support library non-empty; shared fixture code lives beside it.
#include "support/TestMain.h"
